// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kvarbon {

// File contents carried unchanged, one element per byte. Never decoded as text.
using Bytes = std::vector<std::byte>;
using ByteView = std::span<const std::byte>;

inline ByteView AsBytes(std::string_view text) {
  return {reinterpret_cast<const std::byte*>(text.data()), text.size()};
}

inline Bytes ToBytes(std::string_view text) {
  const ByteView view = AsBytes(text);
  return {view.begin(), view.end()};
}

inline std::string_view AsText(ByteView bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace kvarbon
