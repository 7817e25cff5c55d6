// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/platform/playable_show.h"

#include <optional>
#include <string>
#include <utility>

#include "show/platform/slide_decoding.h"

namespace kvarbon {

SlideSize PlayableFirstSlide(const PayloadSource& payloads, const ContainerContents& contents, std::string_view picture) {
  if (const std::optional<std::string> reason = UnplayableReason(contents)) throw ShowError(*reason);
  const std::optional<SlideSize> first = DecodedSlideSize(payloads.Read(contents.slides.front()));
  if (!first || first->width <= 0 || first->height <= 0) throw ShowError(UndecodableFirstSlideReason(contents, picture));
  return *first;
}

}  // namespace kvarbon
