#include "app/core/startup.h"

#include "app/core/file_io.h"

namespace kvarbon {

void RunStartup(const std::filesystem::path& workDir, SharedState& state, FileListSource& File1,
                FileListSource& File2) {
  File1.SetDirectory(workDir / "pic");
  File2.SetDirectory(workDir / "snd");

  const int soundCount = File2.Count();
  state.SoundBank.assign(static_cast<std::size_t>(soundCount) + 1, Bytes{});
  const int slideCount = File1.Count();
  state.SlideSoundTable.assign(static_cast<std::size_t>(slideCount) + 1, std::string{});
  state.FrameInterval = 50;

  for (int p = 0; p < soundCount; ++p) {
    state.SoundBank[static_cast<std::size_t>(p)] = ReadWholeFile(File2.PathOf(p));
  }
}

}  // namespace kvarbon
