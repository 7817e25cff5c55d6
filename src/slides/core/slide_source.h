// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <memory>

#include "slides/core/slide_holder.h"

namespace kvarbon {

// The loaded slides as the preview sees them: holders 0 to Size() - 1, holder 0
// never holding a picture, holder n the slide of frame n.
class SlideSource {
 public:
  virtual ~SlideSource() = default;
  virtual std::size_t Size() const = 0;
  // Holder `index` (< Size()), decoded. Throws when it cannot be made ready.
  virtual std::shared_ptr<const SlideHolder> Fetch(std::size_t index) = 0;
};

}  // namespace kvarbon
