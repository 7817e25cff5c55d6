// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "app/core/file_error.h"

namespace kvarbon {

// A file error worded for the English command line of zel-inspect, zel-export
// and zel-play ("Cannot read "PATH": reason"); what() is worded for the
// authoring tool's Russian interface.
std::string DescribeInEnglish(const FileError& error);

}  // namespace kvarbon
