#!/usr/bin/env bash
# Checks what the build installs and the Debian package made from it.
#
#   check_package.sh CMAKE CPACK BUILD_DIR VERSION
#
# Installs the build into a temporary root and checks the files there and the
# desktop entry (desktop-file-validate); then builds the .deb with CPack from
# the build's own configuration (cpack builds nothing, it installs what is
# built) and checks its control fields (name, version, architecture, Depends)
# and its file list with dpkg-deb.
set -euo pipefail

if (($# != 4)); then
  echo "usage: check_package.sh CMAKE CPACK BUILD_DIR VERSION" >&2
  exit 2
fi
cmake_command=$1
cpack_command=$2
build=$3
version=$4

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# desktop-file-validate reports some errors with status 0: any output fails.
validate_desktop() {
  if ! desktop-file-validate "$1" >"$work/validate.log" 2>&1 || [[ -s "$work/validate.log" ]]; then
    fail "desktop-file-validate $1:"
    cat "$work/validate.log" >&2
  fi
}

stage="$work/stage"
"$cmake_command" --install "$build" --prefix "$stage/usr" --strip >"$work/install.log"

# The installed tree: the programs, the desktop entries, the .zel type, two icon sizes, the docs.
expected_files=(
  usr/bin/kvarbon
  usr/bin/zel-inspect
  usr/bin/zel-export
  usr/bin/zel-play
  usr/share/applications/kvarbon.desktop
  usr/share/applications/zel-play.desktop
  usr/share/mime/packages/kvarbon-zel.xml
  usr/share/icons/hicolor/16x16/apps/kvarbon.png
  usr/share/icons/hicolor/32x32/apps/kvarbon.png
  usr/share/doc/kvarbon/README.md
  usr/share/doc/kvarbon/zel-format.md
)
actual_files="$(cd "$stage" && find . -type f -printf '%P\n' | LC_ALL=C sort)"
wanted_files="$(printf '%s\n' "${expected_files[@]}" | LC_ALL=C sort)"
if [[ "$actual_files" != "$wanted_files" ]]; then
  fail "installed files differ from the expected list:"
  diff <(echo "$wanted_files") <(echo "$actual_files") >&2 || true
fi

for program in kvarbon zel-inspect zel-export zel-play; do
  [[ -x "$stage/usr/bin/$program" ]] || fail "usr/bin/$program is not executable"
done
for program in zel-inspect zel-export zel-play; do
  if ! "$stage/usr/bin/$program" --help >"$work/help.txt" 2>&1; then
    fail "the installed $program --help did not exit with 0"
  elif ! grep -q "^Usage: $program" "$work/help.txt"; then
    fail "the installed $program --help printed no usage"
  fi
done

# A double-click on a .zel file starts zel-play with it.
player="$stage/usr/share/applications/zel-play.desktop"
if [[ -f "$player" ]]; then
  validate_desktop "$player"
  [[ "$(sed -n 's/^Exec=//p' "$player")" == "zel-play %f" ]] || fail "zel-play.desktop does not run zel-play %f"
  grep -q '^MimeType=application/x-zel;$' "$player" || fail "zel-play.desktop does not open application/x-zel"
fi
mime="$stage/usr/share/mime/packages/kvarbon-zel.xml"
if [[ -f "$mime" ]]; then
  grep -q '<mime-type type="application/x-zel">' "$mime" || fail "kvarbon-zel.xml defines no application/x-zel"
  grep -q '<glob pattern="\*.zel"/>' "$mime" || fail "kvarbon-zel.xml does not match *.zel"
  if command -v xmllint >/dev/null && ! xmllint --noout "$mime" 2>"$work/xmllint.log"; then
    fail "kvarbon-zel.xml is not well-formed: $(cat "$work/xmllint.log")"
  fi
fi

for size in 16 32; do
  icon="$stage/usr/share/icons/hicolor/${size}x${size}/apps/kvarbon.png"
  [[ -f "$icon" ]] || continue
  description="$(file -b "$icon")"
  [[ "$description" == "PNG image data, $size x $size,"* ]] || fail "icon for ${size}x${size} is: $description"
done

desktop="$stage/usr/share/applications/kvarbon.desktop"
if [[ -f "$desktop" ]]; then
  validate_desktop "$desktop"
  # The entry starts a program that is installed and names an icon that is.
  entry() { sed -n "s/^$1=//p" "$desktop"; }
  [[ "$(entry Exec)" == kvarbon ]] || fail "Exec is \"$(entry Exec)\", not kvarbon"
  [[ "$(entry Icon)" == kvarbon ]] || fail "Icon is \"$(entry Icon)\", not kvarbon"
  [[ "$(entry Terminal)" == false ]] || fail "Terminal is not false"
  for key in Name 'Name\[ru\]' Comment 'Comment\[ru\]'; do
    [[ -n "$(entry "$key")" ]] || fail "the desktop entry has no $key"
  done
  # Russian texts really are Cyrillic, the English comment is not.
  # (UTF-8 Cyrillic letters start with byte D0 or D1.)
  LC_ALL=C grep -q $'^Comment\\[ru\\]=.*[\xD0\xD1]' "$desktop" || fail "Comment[ru] is not Russian"
  LC_ALL=C grep -q '^Comment=[ -~]*$' "$desktop" || fail "Comment is not plain English"
fi

# The package, as `cpack -G DEB` in the build directory makes it, but written here.
"$cpack_command" --config "$build/CPackConfig.cmake" -G DEB -B "$work/package" >"$work/cpack.log" 2>&1 || {
  cat "$work/cpack.log" >&2
  echo "FAIL: cpack did not build the package" >&2
  exit 1
}
arch="$(dpkg --print-architecture)"
deb="$work/package/kvarbon_${version}_${arch}.deb"
if [[ ! -f "$deb" ]]; then
  echo "FAIL: no package $deb; cpack made:" >&2
  ls "$work/package" >&2
  exit 1
fi

field() { dpkg-deb --field "$deb" "$1"; }
[[ "$(field Package)" == kvarbon ]] || fail "Package is \"$(field Package)\""
[[ "$(field Version)" == "$version" ]] || fail "Version is \"$(field Version)\", not $version"
[[ "$(field Architecture)" == "$arch" ]] || fail "Architecture is \"$(field Architecture)\""
for name in Maintainer Section Priority Description; do
  [[ -n "$(field "$name")" ]] || fail "the package has no $name"
done

# Depends: the libraries the programs load, and the fonts the windows use.
depends="$(field Depends)"
declare -A depended=()
IFS=',' read -ra clauses <<<"$depends"
for clause in "${clauses[@]}"; do
  name="$(sed -E 's/^ *//; s/[ (].*//' <<<"$clause")"
  depended[$name]=1
done
for name in libqt6core6 libqt6gui6 libqt6widgets6 libsdl2-2.0-0 libavcodec59 libavformat59 libstdc++6 libc6 fonts-dejavu-core; do
  [[ -n "${depended[$name]:-}" ]] || fail "Depends lacks $name: $depends"
done
# Every dependency must be satisfiable where the package was built.
for clause in "${clauses[@]}"; do
  [[ "$clause" == *"|"* ]] && continue  # alternatives: any one may be there
  read -r name relation wanted <<<"$(sed -E 's/^ *//; s/[()]//g' <<<"$clause")"
  installed="$(dpkg-query -W -f='${db:Status-Abbrev} ${Version}\n' "$name" 2>/dev/null |
    awk '$1 == "ii" { print $2; exit }')" || installed=""
  if [[ -z "$installed" ]]; then
    fail "dependency $name is not installed here"
  elif [[ -n "${relation:-}" ]] && ! dpkg --compare-versions "$installed" "$relation" "$wanted"; then
    fail "dependency $name $relation $wanted, but $installed is installed"
  fi
done

# The package's files are the installed tree, owned by root, programs executable.
contents="$(dpkg-deb --contents "$deb")"
packaged_files="$(awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' <<<"$contents" | LC_ALL=C sort)"
if [[ "$packaged_files" != "$wanted_files" ]]; then
  fail "packaged files differ from the expected list:"
  diff <(echo "$wanted_files") <(echo "$packaged_files") >&2 || true
fi
awk '$2 != "root/root" { exit 1 }' <<<"$contents" || fail "files not owned by root/root"
for program in kvarbon zel-inspect; do
  grep -Eq "^-rwxr-xr-x .* \./usr/bin/$program\$" <<<"$contents" || fail "usr/bin/$program is not mode 755"
done
dpkg-deb --extract "$deb" "$work/unpacked"
validate_desktop "$work/unpacked/usr/share/applications/kvarbon.desktop"

if ((failures > 0)); then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "package $(basename "$deb") checked: $(wc -l <<<"$packaged_files") files, Depends: $depends"
