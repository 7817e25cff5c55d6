// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/core/program.h"

#include <exception>
#include <iostream>
#include <vector>

#include "app/core/file_error.h"
#include "app/core/program_version.h"
#include "cli/core/file_error_text.h"

namespace kvarbon {
namespace {

int UsageFailure(const ProgramSpec& program, const std::string& error) {
  std::cerr << program.name << ": " << error << "\n"
            << program.usage << "Try '" << program.name << " --help' for more.\n";
  return kExitTrouble;
}

int Failure(const ProgramSpec& program, int status, const std::string& text) {
  std::cerr << program.name << ": " << text << "\n";
  if (program.alsoReport) program.alsoReport(text);
  return status;
}

}  // namespace

int RunProgram(const ProgramSpec& program, int argc, char** argv,
               const std::function<int(const Arguments& arguments)>& body) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  Arguments arguments;
  try {
    arguments = ParseArguments(program.options, args);
  } catch (const UsageError& error) {
    return UsageFailure(program, error.what());
  }
  switch (arguments.request) {
    case Arguments::Request::kHelp:
      std::cout << program.usage << program.help;
      return kExitOk;
    case Arguments::Request::kVersion:
      std::cout << program.name << " " << ProgramVersion() << "\n";
      return kExitOk;
    case Arguments::Request::kRun:
      break;
  }
  try {
    return body(arguments);
  } catch (const UsageError& error) {
    return UsageFailure(program, error.what());
  } catch (const CommandFailure& failure) {
    return Failure(program, failure.status(), failure.what());
  } catch (const FileError& error) {
    return Failure(program, kExitTrouble, DescribeInEnglish(error));
  } catch (const std::exception& error) {
    return Failure(program, kExitTrouble, error.what());
  }
}

}  // namespace kvarbon
