#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/core/bytes.h"
#include "app/core/file_lists.h"
#include "app/core/byte_chain.h"
#include "format/core/zel_format.h"

namespace kvarbon {

// File name of the container, in the working directory.
inline constexpr const char* kContainerName = "Dest.zel";

// Receives one line about a media file whose bytes a player may misread.
using MediaWarning = std::function<void(const std::string&)>;
// Writes the line on stderr.
void WarnOnStderr(const std::string& line);

// Reads every file of `list` whole and appends its bytes, then "-|-", to
// `section`, from position 0 to the last. A file whose bytes would mislead a
// reader that splits the container by searching (in a section of `kind`) is
// named through `warn`. `afterEachFile(position)` runs on the calling
// thread after each file is appended, before the next one is. Files are read
// ahead on worker threads; a failing file is reported (FileError) after every
// file before it has been appended, and nothing after it is.
void GatherPayloadsInto(const FileListSource& list, MediaSection kind, ByteChain& section,
                        const std::function<void(int)>& afterEachFile = {},
                        const MediaWarning& warn = WarnOnStderr);

// The same into a new section.
ByteChain GatherPayloads(const FileListSource& list, MediaSection kind,
                         const std::function<void(int)>& afterEachFile = {},
                         const MediaWarning& warn = WarnOnStderr);

// The container: "speed", FrameInterval's digits, "\speed", "ini", IniSection,
// "\ini", "sound", SoundSection, "\sound", "video", VideoSection, "\video".
// It refers to the two media sections instead of copying them, so they must
// outlive it; the pieces are written in order straight from where they are held.
class Container {
 public:
  Container(std::int16_t FrameInterval, const std::string& IniSection, const ByteChain& SoundSection,
            const ByteChain& VideoSection);
  Container(const Container&) = delete;
  Container& operator=(const Container&) = delete;

  std::vector<ByteView> Pieces() const;
  std::uint64_t Size() const;
  Bytes ToBytes() const;

 private:
  std::string head_;  // speed and ini sections, and the sound section's opening tag
  const ByteChain& sound_;
  const ByteChain& video_;
};

inline Container BuildContainer(std::int16_t FrameInterval, const std::string& IniSection,
                                const ByteChain& SoundSection, const ByteChain& VideoSection) {
  return Container(FrameInterval, IniSection, SoundSection, VideoSection);
}

}  // namespace kvarbon
