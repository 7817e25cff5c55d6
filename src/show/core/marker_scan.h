// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/bytes.h"
#include "show/core/zel_format.h"

namespace kvarbon {

// Every marker that occurs in `bytes`, in the order of kContainerMarkers.
std::vector<MarkerHit> FindMarkers(ByteView bytes);

// The texts of the markers that occur in `bytes`, in the order of
// kContainerMarkers; empty when there are none.
std::vector<std::string> MarkersIn(ByteView bytes);

}  // namespace kvarbon
