// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <vector>

#include "app/core/sound_output.h"

namespace kvarbon::testing {

// A SoundOutput that only records what it was asked to play.
class RecordingSoundOutput final : public SoundOutput {
 public:
  struct Played {
    const std::byte* data;
    std::size_t size;
  };

  void Play(ByteView image) override { played.push_back({image.data(), image.size()}); }

  std::vector<Played> played;
};

}  // namespace kvarbon::testing
