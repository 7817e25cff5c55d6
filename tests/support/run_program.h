// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Runs one of the project's programs as a user would, through the shell.

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

namespace kvarbon::testing {

struct Outcome {
  int status = -1;     // the exit status; -1 when the program did not exit by itself
  std::string output;  // stdout and stderr together
};

// Runs `program` with `arguments` (already quoted for the shell).
inline Outcome RunProgram(const std::string& program, const std::string& arguments) {
  const std::string command = "'" + program + "' " + arguments + " 2>&1";
  Outcome outcome;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return outcome;
  std::array<char, 4096> buffer;
  std::size_t read = 0;
  while ((read = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) outcome.output.append(buffer.data(), read);
  const int status = ::pclose(pipe);
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

inline std::string Quote(const std::filesystem::path& path) { return "'" + path.native() + "'"; }

}  // namespace kvarbon::testing
