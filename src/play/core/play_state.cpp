// SPDX-License-Identifier: GPL-3.0-or-later
#include "play/core/play_state.h"

#include <limits>

#include "export/core/export_timeline.h"
#include "preview/core/frame_sound.h"
#include "show/core/playability.h"

namespace kvarbon {

std::optional<std::string> FillSharedState(const PayloadSource& payloads, const ContainerContents& contents, SharedState& state) {
  if (std::optional<std::string> problem = FrameIntervalProblem(contents)) return problem;
  state.FrameInterval = static_cast<std::int16_t>(*contents.frameInterval);
  state.CurrentFrame = 0;

  const std::size_t soundCount =
      std::min<std::size_t>(contents.sounds.size(), std::numeric_limits<std::int16_t>::max());
  state.SoundBank.clear();
  for (std::size_t s = 0; s < soundCount; ++s) {
    state.SoundBank.push_back(payloads.Read(contents.sounds[s]));
  }
  state.SoundBank.emplace_back();

  state.SlideSoundTable.assign(contents.slides.size() + 1, std::string());
  const auto sounds = FrameSounds(contents.entries, contents.slides.size(), soundCount);
  for (std::size_t k = 0; k < sounds.size(); ++k) {
    if (sounds[k]) state.SlideSoundTable[k] = SoundPositionText(static_cast<std::int16_t>(*sounds[k]));
  }
  return std::nullopt;
}

}  // namespace kvarbon
