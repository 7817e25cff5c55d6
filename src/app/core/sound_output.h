// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/core/bytes.h"

namespace kvarbon {

// Makes sounds audible. Play starts a WAV file image held in memory (RIFF
// header included) and returns at once while it sounds; a sound still playing
// is cut off and replaced, so at most one is heard. An empty or unplayable
// image gives silence. The bytes may be played where they lie, without a copy:
// they must stay alive and unchanged until the sound ends, is replaced, or the
// output is destroyed (SoundBank elements live as long as the process).
class SoundOutput {
 public:
  virtual ~SoundOutput() = default;
  virtual void Play(ByteView image) = 0;
};

}  // namespace kvarbon
