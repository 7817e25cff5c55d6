// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "app/core/file_error.h"

namespace kvarbon {

// A file error worded for the English command line of the companion programs
// ("Cannot read "PATH": reason"); the library's own wording is the authoring
// tool's Russian.
std::string DescribeInEnglish(const FileError& error);

}  // namespace kvarbon
