// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace kvarbon {

// The version of the programs, the one the Debian package carries.
std::string_view ProgramVersion();

}  // namespace kvarbon
