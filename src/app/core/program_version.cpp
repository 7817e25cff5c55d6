// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/core/program_version.h"

namespace kvarbon {

std::string_view ProgramVersion() { return KVARBON_VERSION; }

}  // namespace kvarbon
