// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/platform/playable_show.h"

#include <optional>
#include <string>
#include <utility>

#include "show/platform/slide_decoding.h"

namespace kvarbon {

SlidePicture PlayableFirstSlide(const PayloadSource& payloads, const ContainerContents& contents, std::string_view picture) {
  if (const std::optional<std::string> reason = UnplayableReason(contents)) throw ShowError(*reason);
  std::optional<SlidePicture> first = DecodeSlidePicture(payloads.Read(contents.slides.front()));
  if (!first || first->Empty()) throw ShowError(UndecodableFirstSlideReason(contents, picture));
  return std::move(*first);
}

}  // namespace kvarbon
