#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks what the build installs and the Debian package made from it.
#
#   check_package.sh CMAKE CPACK BUILD_DIR VERSION
#
# Installs the build into a temporary root and checks the files there: every
# program answers --help and --version and has a manual page groff reads
# without warnings, the desktop entry (desktop-file-validate), the icons and
# the AppStream metadata (appstreamcli validate). Then builds the .deb with
# CPack from the build's own configuration (cpack builds nothing, it installs
# what is built), checks its control fields (name, version, architecture,
# Depends) and its file list with dpkg-deb, and runs lintian on it: any error
# or warning fails.
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

# The installed tree: the programs (the player and the exporter when the build
# has them) with their manual pages, the desktop entry, the icons, the AppStream
# metadata, the docs.
programs=(kvarbon zel-inspect)
for program in zel-play zel-export; do
  if [[ -e "$stage/usr/bin/$program" ]]; then programs+=("$program"); fi
done
icon_sizes=(16 32 48 64 128 256)
expected_files=(
  usr/share/applications/kvarbon.desktop
  usr/share/icons/hicolor/scalable/apps/kvarbon.svg
  usr/share/metainfo/org.kvarbon.kvarbon.metainfo.xml
  usr/share/doc/kvarbon/README.md
  usr/share/doc/kvarbon/copyright
  usr/share/doc/kvarbon/changelog.gz
  usr/share/doc/kvarbon/docs/zel-format.md
  usr/share/doc/kvarbon/docs/architecture.md
  usr/share/doc/kvarbon/docs/screenshot.png
)
for program in "${programs[@]}"; do
  expected_files+=("usr/bin/$program" "usr/share/man/man1/$program.1.gz")
done
if [[ -e "$stage/usr/bin/zel-play" ]]; then
  expected_files+=(usr/share/applications/zel-play.desktop usr/share/mime/packages/kvarbon-zel.xml)
fi
for size in "${icon_sizes[@]}"; do
  expected_files+=("usr/share/icons/hicolor/${size}x${size}/apps/kvarbon.png")
done
actual_files="$(cd "$stage" && find . -type f -printf '%P\n' | LC_ALL=C sort)"
wanted_files="$(printf '%s\n' "${expected_files[@]}" | LC_ALL=C sort)"
if [[ "$actual_files" != "$wanted_files" ]]; then
  fail "installed files differ from the expected list:"
  diff <(echo "$wanted_files") <(echo "$actual_files") >&2 || true
fi

for program in "${programs[@]}"; do
  binary="$stage/usr/bin/$program"
  [[ -x "$binary" ]] || { fail "usr/bin/$program is not executable"; continue; }
  # No display: --help and --version must not need one.
  if ! env -u DISPLAY -u WAYLAND_DISPLAY "$binary" --help >"$work/help.txt" 2>"$work/help.err"; then
    fail "$program --help did not exit with 0"
  elif [[ ! -s "$work/help.txt" || -s "$work/help.err" ]]; then
    fail "$program --help printed nothing on standard output, or something on standard error"
  fi
  if ! printed="$(env -u DISPLAY -u WAYLAND_DISPLAY "$binary" --version)"; then
    fail "$program --version did not exit with 0"
  elif [[ "$printed" != "$program $version" ]]; then
    fail "$program --version printed \"$printed\", not \"$program $version\""
  fi
  # A stripped install drops the compiler's notes too.
  if readelf -S "$binary" | grep -q '\.comment'; then
    fail "usr/bin/$program still has a .comment section"
  fi
  page="$stage/usr/share/man/man1/$program.1.gz"
  [[ -f "$page" ]] || continue
  if ! gzip -t "$page" || ! LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>"$work/man.log" >/dev/null ||
    [[ -s "$work/man.log" ]]; then
    fail "the manual page of $program is not read cleanly:"
    cat "$work/man.log" >&2
  fi
done

for size in "${icon_sizes[@]}"; do
  icon="$stage/usr/share/icons/hicolor/${size}x${size}/apps/kvarbon.png"
  [[ -f "$icon" ]] || continue
  description="$(file -b "$icon")"
  [[ "$description" == "PNG image data, $size x $size,"* ]] || fail "icon for ${size}x${size} is: $description"
done
svg="$stage/usr/share/icons/hicolor/scalable/apps/kvarbon.svg"
[[ ! -f "$svg" ]] || xmllint --noout "$svg" || fail "the scalable icon is not well-formed XML"

# A double-click on a .zel file starts zel-play with it.
player="$stage/usr/share/applications/zel-play.desktop"
if [[ -f "$player" ]]; then
  validate_desktop "$player"
  [[ "$(sed -n 's/^Exec=//p' "$player")" == "zel-play %f" ]] || fail "zel-play.desktop does not run zel-play %f"
  grep -q '^MimeType=application/x-zel;$' "$player" || fail "zel-play.desktop does not open application/x-zel"
fi
mime="$stage/usr/share/mime/packages/kvarbon-zel.xml"
if [[ -f "$mime" ]]; then
  xmllint --noout "$mime" || fail "kvarbon-zel.xml is not well-formed XML"
  grep -q '<mime-type type="application/x-zel">' "$mime" || fail "kvarbon-zel.xml defines no application/x-zel"
  grep -q '<glob pattern="\*.zel"/>' "$mime" || fail "kvarbon-zel.xml does not match *.zel"
fi

metainfo="$stage/usr/share/metainfo/org.kvarbon.kvarbon.metainfo.xml"
if [[ -f "$metainfo" ]] && ! appstreamcli validate --no-net --pedantic "$metainfo" >"$work/appstream.log" 2>&1; then
  fail "appstreamcli validate $metainfo:"
  cat "$work/appstream.log" >&2
fi

desktop="$stage/usr/share/applications/kvarbon.desktop"
if [[ -f "$desktop" ]]; then
  validate_desktop "$desktop"
  # The entry starts a program that is installed and names an icon that is.
  entry() { sed -n "s/^$1=//p" "$desktop"; }
  # From the menu, the tool first asks for the show's folder.
  [[ "$(entry Exec)" == "kvarbon --choose-folder" ]] || fail "Exec is \"$(entry Exec)\", not kvarbon --choose-folder"
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
for name in libqt6core6 libqt6gui6 libqt6widgets6 libsdl2-2.0-0 libstdc++6 libc6 fonts-dejavu-core; do
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
for program in "${programs[@]}"; do
  grep -Eq "^-rwxr-xr-x .* \./usr/bin/$program\$" <<<"$contents" || fail "usr/bin/$program is not mode 755"
done
dpkg-deb --extract "$deb" "$work/unpacked"
validate_desktop "$work/unpacked/usr/share/applications/kvarbon.desktop"

# No lintian error or warning (on standard error it only notes running as root).
if ! lintian --fail-on error,warning --no-tag-display-limit "$deb" >"$work/lintian.log" 2>"$work/lintian.err"; then
  fail "lintian:"
  cat "$work/lintian.log" "$work/lintian.err" >&2
fi

if ((failures > 0)); then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "package $(basename "$deb") checked: $(wc -l <<<"$packaged_files") files, Depends: $depends"
