// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

#include "app/core/bytes.h"
#include "app/core/shared_state.h"
#include "show/core/container_reader.h"
#include "show/core/show_file.h"

namespace kvarbon {

// Fills the shared state a show plays from, as the authoring tool holds it:
// SlideSoundTable from the assignments (frame k's element holds its sound
// number, or is empty; one element more than there are frames), SoundBank from
// the sound payloads (one empty element more), FrameInterval from the speed.
// Assignments that name no frame or no sound are left out. Returns what is
// wrong when the frame interval cannot be played. Throws what `payloads` throws.
std::optional<std::string> FillSharedState(const PayloadSource& payloads, const ContainerContents& contents, SharedState& state);

}  // namespace kvarbon
