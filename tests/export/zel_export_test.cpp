// SPDX-License-Identifier: GPL-3.0-or-later
// The zel-export program on small real shows: what a reader of the video sees
// and hears, a malformed container, usage errors, an output that cannot be
// written, and an interrupted or killed export.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QColor>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "export/decoded_media.h"
#include "export/resampling.h"
#include "support/images.h"
#include "support/media_samples.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

extern char** environ;

namespace kvarbon {
namespace {

using testing::DecodedMedia;
using testing::Put;
using testing::TempDir;

using testing::Outcome;
using testing::Quote;
using testing::ZelContainer;

Outcome RunExport(const std::string& arguments) { return testing::RunProgram(KVARBON_ZEL_EXPORT, arguments); }

// Noise, so that where a sound lies in the track shows unambiguously; smoothed
// to the low frequencies the codecs keep.
std::vector<float> Noise(std::size_t count, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> value(-1.0f, 1.0f);
  std::vector<float> samples(count);
  float smooth = 0;
  for (float& sample : samples) sample = smooth = 0.8f * smooth + 0.2f * value(random);
  return samples;
}

Bytes Pcm16(const std::vector<float>& samples) {
  Bytes data;
  for (const float sample : samples) testing::PutLe(data, static_cast<std::uint16_t>(std::lround(sample * 32767)), 2);
  return data;
}

Bytes Float32Stereo(const std::vector<float>& samples) {
  Bytes data;
  for (const float sample : samples) {
    for (int channel = 0; channel < 2; ++channel) testing::PutLe(data, std::bit_cast<std::uint32_t>(sample), 4);
  }
  return data;
}

bool Near(std::uint32_t pixel, QColor colour, int tolerance = 40) {
  const QColor got = QColor::fromRgb(pixel);
  return std::abs(got.red() - colour.red()) <= tolerance && std::abs(got.green() - colour.green()) <= tolerance &&
         std::abs(got.blue() - colour.blue()) <= tolerance;
}

std::vector<std::string> Names(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// Frames of 100 ms: a 63 x 47 red BMP (the video is 64 x 48), a green JPEG, a
// smaller blue GIF over it, a white BMP. Sound 0 (150 ms at 44.1 kHz mono)
// starts on frames 1 and 4, sound 1 (300 ms at 48 kHz stereo float, long
// enough to be read from the show a piece at a time) on frame 2:
// frame 2 cuts sound 0 off at 100 ms, frame 4 cuts sound 1 off at 300 ms, and
// the video runs on to 450 ms with the last frame while sound 0 ends.
class ExportedShow : public ::testing::TestWithParam<const char*> {};

TEST_P(ExportedShow, ReadersSeeEachFrameAndHearEachSoundFromItsStart) {
  TempDir dir;
  const std::vector<float> sound0 = Noise(44100 * 150 / 1000, 1);
  const std::vector<float> sound1 = Noise(48000 * 300 / 1000, 2);
  testing::WriteFile(dir / "show.zel",
                     ZelContainer("100", "1=0;2=1;4=0;",
                               {testing::FormattedWav(1, 1, 16, Pcm16(sound0), false, 44100),
                                testing::FormattedWav(3, 2, 32, Float32Stereo(sound1), false, 48000)},
                               {testing::SolidBmp(63, 47, Qt::red), testing::SolidJpeg(64, 48, Qt::green),
                                testing::SolidGif(32, 24, Qt::blue), testing::SolidBmp(64, 48, Qt::white)}));
  const std::filesystem::path out = dir / (std::string("out.") + GetParam());
  const Outcome outcome = RunExport("--quiet " + Quote(dir / "show.zel") + " " + Quote(out));
  ASSERT_EQ(outcome.status, 0) << outcome.output;
  EXPECT_EQ(outcome.output, "");
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"out." + std::string(GetParam()), "show.zel"}));

  const bool mp4 = std::string(GetParam()) == "mp4";
  const DecodedMedia media = testing::DecodeMedia(out);
  // WebM writes the last frame once more one frame time before the end (its
  // blocks carry no durations).
  ASSERT_EQ(media.pictures.size(), mp4 ? 4u : 5u);
  for (std::size_t k = 0; k < 4; ++k) {
    EXPECT_EQ(media.pictures[k].startMs, static_cast<std::int64_t>(k) * 100) << k;
    EXPECT_EQ(media.pictures[k].width, 64);
    EXPECT_EQ(media.pictures[k].height, 48);
  }
  EXPECT_TRUE(Near(media.pictures[0].At(20, 20), Qt::red));
  EXPECT_TRUE(Near(media.pictures[1].At(20, 20), Qt::green));
  EXPECT_TRUE(Near(media.pictures[2].At(10, 10), Qt::blue));
  EXPECT_TRUE(Near(media.pictures[2].At(50, 40), Qt::green));  // the earlier slide around the smaller one
  EXPECT_TRUE(Near(media.pictures[3].At(20, 20), Qt::white));

  ASSERT_TRUE(media.hasAudio);
  EXPECT_EQ(media.audioStart, 0);
  const std::vector<float> track0 = Resample(PcmSound{44100, 1, sound0}, 48000, 1);
  // Sample-exact onsets, whatever the codec's start delay.
  EXPECT_EQ(testing::OnsetOffset(media.audio, 0, track0), 0);
  EXPECT_EQ(testing::OnsetOffset(media.audio, 4800, sound1), 0);
  EXPECT_EQ(testing::OnsetOffset(media.audio, 14400, track0), 0);
  // No mixing: sound 0's rest is gone once sound 1 starts; sound 1's once sound 0 starts again.
  const std::vector<float> rest0(track0.begin() + 4800, track0.end());
  const std::vector<float> rest1(sound1.begin() + 9600, sound1.end());
  EXPECT_GT(testing::Presence(media.audio, 4800, sound1), 0.6);
  EXPECT_LT(std::abs(testing::Presence(media.audio, 4800, rest0)), 0.1);
  EXPECT_LT(std::abs(testing::Presence(media.audio, 14400, rest1)), 0.1);
  EXPECT_GT(testing::Presence(media.audio, 14400, track0), 0.6);
  // The last frame is held until sound 0 ends at 450 ms, in both formats
  // (WebM's file length counts Opus's 6.5 ms start delay in).
  EXPECT_NEAR(media.durationMs, 450, mp4 ? 0 : 7);
  EXPECT_EQ(media.videoEndMs, 450);
  if (mp4) {
    EXPECT_EQ(media.pictures[3].startMs + media.pictures[3].durationMs, 450);
  } else {
    EXPECT_EQ(media.pictures[4].startMs, 350);
    EXPECT_TRUE(Near(media.pictures[4].At(20, 20), Qt::white));
  }
  EXPECT_NEAR(static_cast<double>(media.audio.size()), 450 * 48, 1024);
}

INSTANTIATE_TEST_SUITE_P(Formats, ExportedShow, ::testing::Values("mp4", "webm"));

TEST(ZelExport, FitAndSizeScaleTheSlidesAndAShowWithoutSoundsHasNoTrack) {
  TempDir dir;
  testing::WriteFile(dir / "show.zel",
                     ZelContainer("50", "", {testing::FormattedWav(1, 1, 16, Pcm16(Noise(480, 3)))},
                               {testing::SolidBmp(64, 48, Qt::red), testing::SolidGif(16, 24, Qt::blue)}));
  const Outcome outcome =
      RunExport("--fit --size 32x24 " + Quote(dir / "show.zel") + " " + Quote(dir / "out.mp4") + " </dev/null");
  ASSERT_EQ(outcome.status, 0) << outcome.output;
  EXPECT_EQ(outcome.output.find('\r'), std::string::npos);  // no progress when not on a terminal
  const DecodedMedia media = testing::DecodeMedia(dir / "out.mp4");
  EXPECT_FALSE(media.hasAudio);
  ASSERT_EQ(media.pictures.size(), 2u);
  EXPECT_EQ(media.pictures[1].width, 32);
  EXPECT_EQ(media.pictures[1].height, 24);
  // The 16 x 24 slide fills the height, centred on black.
  EXPECT_TRUE(Near(media.pictures[1].At(16, 12), Qt::blue));
  EXPECT_TRUE(Near(media.pictures[1].At(2, 12), Qt::black));
  EXPECT_EQ(media.videoEndMs, 100);

  // Without a sound to hold it, a WebM's last frame lasts its frame time too.
  ASSERT_EQ(RunExport(Quote(dir / "show.zel") + " " + Quote(dir / "out.webm") + " </dev/null").status, 0);
  const DecodedMedia webm = testing::DecodeMedia(dir / "out.webm");
  EXPECT_EQ(webm.pictures.size(), 2u);
  EXPECT_EQ(webm.videoEndMs, 100);
}

TEST(ZelExport, MalformedContainersAndUsageErrorsLeaveNothing) {
  TempDir dir;
  Bytes cut = ZelContainer("50", "", {}, {testing::SolidBmp(8, 8, Qt::red), testing::SolidBmp(8, 8, Qt::red)});
  cut.resize(cut.size() - 3);
  testing::WriteFile(dir / "cut.zel", cut);
  const Outcome malformed = RunExport(Quote(dir / "cut.zel") + " " + Quote(dir / "out.mp4"));
  EXPECT_EQ(malformed.status, 1);
  EXPECT_NE(malformed.output.find("malformed container: offset "), std::string::npos) << malformed.output;

  const Outcome wrongType = RunExport(Quote(dir / "cut.zel") + " " + Quote(dir / "out.avi"));
  EXPECT_EQ(wrongType.status, 2);
  EXPECT_NE(wrongType.output.find(".mp4"), std::string::npos);
  EXPECT_NE(wrongType.output.find(".webm"), std::string::npos);
  EXPECT_EQ(RunExport(Quote(dir / "missing.zel") + " " + Quote(dir / "out.mp4")).status, 2);
  EXPECT_EQ(RunExport("--size 33x24 a.zel b.mp4").status, 2);
  // 2700 frames of 32.767 s: 24 h 34 min.
  testing::WriteFile(dir / "days.zel", ZelContainer("32767", "", {}, std::vector<Bytes>(2700, testing::Bmp(2, ""))));
  const Outcome days = RunExport(Quote(dir / "days.zel") + " " + Quote(dir / "out.mp4"));
  EXPECT_EQ(days.status, 2);
  EXPECT_NE(days.output.find((dir / "days.zel").native() +
                             ": the video would last 24:34:31 (1.0 days), more than 24 hours; give --force"),
            std::string::npos)
      << days.output;
  std::filesystem::remove(dir / "days.zel");

  // An output that cannot be written is refused before the show is read.
  std::filesystem::create_directory(dir / "folder.mp4");
  const Outcome folder = RunExport(Quote(dir / "cut.zel") + " " + Quote(dir / "folder.mp4"));
  EXPECT_EQ(folder.status, 2);
  EXPECT_NE(folder.output.find("Cannot write \"" + (dir / "folder.mp4").native() + "\": Is a directory"),
            std::string::npos)
      << folder.output;
  std::filesystem::remove(dir / "folder.mp4");
  const Outcome noDir = RunExport(Quote(dir / "cut.zel") + " " + Quote(dir / "no" / "out.mp4"));
  EXPECT_EQ(noDir.status, 2);
  EXPECT_NE(noDir.output.find("No such file or directory"), std::string::npos) << noDir.output;
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"cut.zel"});

  const Outcome help = RunExport("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.output.find("Usage: zel-export"), std::string::npos);
  EXPECT_EQ(RunExport("--version").status, 0);
}

// Starts zel-export on `show` writing `out`, and waits until its temporary
// file is there, that is, until it is writing.
pid_t StartWriting(const std::filesystem::path& show, const std::filesystem::path& out) {
  const std::string showText = show.native();
  const std::string outText = out.native();
  std::vector<char*> argv = {const_cast<char*>(KVARBON_ZEL_EXPORT), const_cast<char*>("--quiet"),
                             const_cast<char*>(showText.c_str()), const_cast<char*>(outText.c_str()), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, KVARBON_ZEL_EXPORT, nullptr, nullptr, argv.data(), environ) != 0) return -1;
  const std::string prefix = "." + out.filename().native() + ".tmp-" + std::to_string(pid) + "-";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    for (const std::string& name : Names(out.parent_path())) {
      if (name.starts_with(prefix)) return pid;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return pid;
}

// How the process ended; a process still running after 10 s (an export that
// does not stop) is killed and reported as -1.
int EndOf(pid_t pid) {
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return status;
}

TEST(ZelExport, AStoppedExportLeavesNothingAndAKilledOnesLeftoversGoWithTheNextExport) {
  TempDir dir;
  const Bytes slide = testing::SolidJpeg(320, 240, Qt::gray);
  testing::WriteFile(dir / "long.zel", ZelContainer("20", "", {}, std::vector<Bytes>(3000, slide)));
  // One frame and then 20 minutes of 8 kHz sound: the export is all sound tail.
  testing::WriteFile(dir / "tail.zel",
                     ZelContainer("20", "1=0;",
                                  {testing::FormattedWav(1, 1, 8, Bytes(8000 * 60 * 20, std::byte{0x80}), false, 8000)},
                                  {testing::SolidBmp(16, 16, Qt::red)}));
  const std::vector<std::string> shows = {"long.zel", "tail.zel"};

  // Interrupted while frames are written, and while the sound tail is.
  const std::pair<const char*, int> stops[] = {{"long.zel", SIGINT}, {"tail.zel", SIGINT}, {"tail.zel", SIGTERM}};
  for (const auto& [show, signal] : stops) {
    const pid_t pid = StartWriting(dir / show, dir / "out.webm");
    ASSERT_GT(pid, 0);
    EXPECT_EQ(Names(dir.path()).size(), 3u) << show;
    kill(pid, signal);
    const int status = EndOf(pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << show << " " << status;
    EXPECT_EQ(Names(dir.path()), shows) << show;
  }

  // Killed outright, it leaves its temporary file; the next export to the same file removes it.
  const pid_t killed = StartWriting(dir / "long.zel", dir / "out.webm");
  kill(killed, SIGKILL);
  EndOf(killed);
  EXPECT_EQ(Names(dir.path()).size(), 3u);
  testing::WriteFile(dir / "short.zel", ZelContainer("20", "", {}, {slide}));
  ASSERT_EQ(RunExport("--quiet " + Quote(dir / "short.zel") + " " + Quote(dir / "out.webm")).status, 0);
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"long.zel", "out.webm", "short.zel", "tail.zel"}));
}

}  // namespace
}  // namespace kvarbon
