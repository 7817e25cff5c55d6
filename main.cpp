#include <filesystem>

#include "app/application.h"

// The tool works on the "pic" and "snd" folders of the working directory.
int main(int argc, char** argv) {
  return kvarbon::RunApplication(argc, argv, std::filesystem::path("."));
}
