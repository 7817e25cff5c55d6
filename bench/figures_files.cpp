// SPDX-License-Identifier: GPL-3.0-or-later
// The two figures bound by the disk and the page cache: encode and start-up.
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QMessageBox>
#include <QMetaObject>
#include <QPushButton>
#include <QWindow>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "app/core/file_io.h"
#include "bench/figures.h"

namespace kvarbon::bench {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMiB = 1024 * 1024;

std::string Name(int number, int digits, const char* extension) {
  std::string text = std::to_string(number);
  if (static_cast<int>(text.size()) < digits) text.insert(0, static_cast<std::size_t>(digits) - text.size(), '0');
  return text + extension;
}

void WriteInput(const fs::path& path, const Bytes& bytes) {
  fs::create_directories(path.parent_path());
  WriteWholeFile(path, bytes);
}

}  // namespace

MessageWatch::MessageWatch() { qApp->installEventFilter(this); }
MessageWatch::~MessageWatch() { qApp->removeEventFilter(this); }

bool MessageWatch::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Show) {
    if (auto* box = qobject_cast<QMessageBox*>(watched)) {
      shownAt = Clock::now();
      text = box->text();
      ++count;
      QMetaObject::invokeMethod(box, [box] { box->accept(); }, Qt::QueuedConnection);
    }
  }
  return false;
}

EncodeRun EncodeOnce(const fs::path& dir, SoundOutput& sound) {
  Show show(dir, sound);
  show.window->Form_Load();
  show.window->show();
  QCoreApplication::processEvents();
  show.window->Command1->setEnabled(true);  // as the load-slides command leaves it
  MessageWatch messages;
  ResetPeakResident();
  const std::uint64_t before = ResidentBytes();
  const Clock::time_point start = Clock::now();
  show.window->Command1->click();
  if (messages.count != 1 || messages.text != QStringLiteral("Кодирование завершено успешно.")) {
    throw std::runtime_error("encode failed: " + messages.text.toStdString());
  }
  return {SecondsBetween(start, messages.shownAt), PeakResidentBytes() - before};
}

double StartupOnce(const fs::path& dir, SoundOutput& sound) {
  const Clock::time_point start = Clock::now();
  Show show(dir, sound);
  show.window->Form_Load();
  show.window->show();
  while (show.window->windowHandle() == nullptr || !show.window->windowHandle()->isExposed()) {
    QCoreApplication::processEvents();
  }
  QCoreApplication::processEvents();  // the first paint
  const Clock::time_point shown = Clock::now();
  if (show.state.SoundBank.size() != 101) throw std::runtime_error("start-up did not fill the bank");
  return SecondsBetween(start, shown);
}

namespace {

// One encode in a new process, so it starts, as the tool does, with no memory
// of its own to reuse: `program` is this benchmark or an earlier build of it.
struct ChildEncode {
  double seconds = 0;
  std::uint64_t extraPeak = 0;    // resident high-water mark above the start of the click (0 if not told)
  std::uint64_t processPeak = 0;  // the whole process's, start-up and sound bank included
};

ChildEncode EncodeInNewProcess(const std::string& program, const fs::path& dir) {
  const ChildRun run = RunProgram(program, {"--child", "encode", dir.native()});
  std::istringstream output(run.output);
  ChildEncode result;
  output >> result.seconds >> result.extraPeak;
  result.processPeak = run.peakResident;
  return result;
}

// Runs one start-up measurement in a new process, so it starts, as the tool
// does, with no memory of its own to reuse.
double StartupInNewProcess(const fs::path& dir) { return std::stod(RunSelf({"--child", "startup", dir.native()})); }

double MiB(std::uint64_t bytes) { return static_cast<double>(bytes) / kMiB; }

}  // namespace

// `context.encodeSlides` slides of 4 MiB (200 unless told) and 20 sounds of
// 10 MiB. The slides are not pictures: encoding copies their bytes and never
// decodes them, so the window is set up as the load-slides command leaves it
// (start-up run, Command1 enabled) without loading them. With
// KVARBON_BENCH_ENCODE_BEFORE naming an earlier build of this benchmark, that
// build's encode runs in the same rounds on the same inputs.
Figure EncodeFigure(const Context& context) {
  const fs::path dir = context.work / "encode";
  std::fprintf(stderr, "encode: writing %d x 4 MiB slides and 20 x 10 MiB sounds\n", context.encodeSlides);
  std::uint64_t media = 0, sounds = 0;
  for (int i = 1; i <= context.encodeSlides; ++i) {
    const Bytes bytes = MarkerFreeNoise(4 * kMiB, 1000 + static_cast<std::uint64_t>(i));
    WriteInput(dir / "pic" / Name(i, 4, ".jpg"), bytes);
    media += bytes.size();
  }
  for (int i = 1; i <= 20; ++i) {
    const Bytes bytes = NoiseWav(10 * kMiB - 44, 2000 + static_cast<std::uint64_t>(i));
    WriteInput(dir / "snd" / Name(i, 2, ".wav"), bytes);
    media += bytes.size();
    sounds += bytes.size();
  }
  // The media, a separator after each file, the eight tags and "50".
  const std::uint64_t containerSize =
      media + static_cast<std::uint64_t>(context.encodeSlides + 20) * 3 + 5 + 2 + 6 + 3 + 4 + 5 + 6 + 5 + 6;
  const std::string self = fs::read_symlink("/proc/self/exe").native();
  const char* const earlier = std::getenv("KVARBON_BENCH_ENCODE_BEFORE");

  // The container's head ("speed50\speedini\inisound"), for a copy of the
  // media at the container's offsets: none of them falls on a page boundary
  // there, where cat of the media alone writes each 4 MiB file at one.
  WriteInput(dir / "head.bin", Bytes(29, std::byte{'x'}));
  TimeShell("cat pic/* snd/* > /dev/null", dir);  // both sides start from a warm page cache
  std::vector<double> encodeTimes, catTimes, flushTimes, durableCatTimes, shiftedTimes, earlierTimes;
  std::uint64_t extraPeak = 0, processPeak = 0, earlierPeak = 0;
  const auto encode = [&](const std::string& program) {
    fs::remove(dir / "Dest.zel");
    fs::remove(dir / "sound.ini");
    Settle();
    const ChildEncode run = EncodeInNewProcess(program, dir);
    if (FileLength(dir / "Dest.zel") != containerSize) throw std::runtime_error("encode wrote a container of the wrong length");
    fs::remove(dir / "Dest.zel");
    return run;
  };
  for (int round = 0; round < context.rounds; ++round) {
    // Each side starts with no dirty pages, no old output to delete and no
    // memory freed just before it.
    Settle();
    catTimes.push_back(TimeShell("cat pic/* snd/* > cat.out", dir));
    // The encoder forces its output to the disk before it reports success, so
    // the baseline does too: the copy, then the flush of its output.
    flushTimes.push_back(TimeShell("sync cat.out", dir));
    durableCatTimes.push_back(catTimes.back() + flushTimes.back());
    fs::remove(dir / "cat.out");
    Settle();
    shiftedTimes.push_back(TimeShell("cat head.bin pic/* snd/* > cat.out && sync cat.out", dir));
    fs::remove(dir / "cat.out");

    const ChildEncode run = encode(self);
    encodeTimes.push_back(run.seconds);
    extraPeak = std::max(extraPeak, run.extraPeak);
    processPeak = std::max(processPeak, run.processPeak);
    if (earlier != nullptr) {
      const ChildEncode before = encode(earlier);
      earlierTimes.push_back(before.seconds);
      earlierPeak = std::max(earlierPeak, before.processPeak);
    }
  }
  fs::remove_all(dir);

  const double seconds = Median(encodeTimes), cat = Median(durableCatTimes);
  const double ratio = seconds / cat;
  std::string detail = Format("kvarbon %.2f s | ", seconds) + Format("cat and sync %.2f s", cat) +
                       Format(" | %.0f MiB media, click to message", MiB(media)) +
                       Format("; resident peak %.1f MiB above the click's start", MiB(extraPeak)) +
                       Format(" (process %.0f MiB", MiB(processPeak)) + Format(", of which %.0f MiB is the sound bank)", MiB(sounds)) +
                       Format("; cat alone %.2f s", Median(catTimes)) + Format(", its sync %.2f s", Median(flushTimes)) +
                       Format("; cat and sync with the container's head in front %.2f s", Median(shiftedTimes)) +
                       Format(" (ratio to it %.2f)", seconds / Median(shiftedTimes));
  if (earlier != nullptr) {
    detail += Format("; earlier build %.2f s", Median(earlierTimes)) +
              Format(" (ratio %.2f", Median(earlierTimes) / cat) + Format(", process %.0f MiB)", MiB(earlierPeak));
  }
  return {"encode", detail, Format("ratio %.2f", ratio) + Format(", +%.1f MiB", MiB(extraPeak)), "<= 1.3, <= 64 MiB",
          ratio <= 1.3 && extraPeak <= 64 * kMiB};
}

// 100 sounds of 10 MiB; "pic" holds nothing, which start-up allows. Timed from
// the main window's creation (Qt's own initialisation before it excluded) to
// the window shown.
Figure StartupFigure(const Context& context) {
  const fs::path dir = context.work / "startup";
  std::fprintf(stderr, "startup: writing 100 x 10 MiB sounds\n");
  std::uint64_t total = 0;
  for (int i = 1; i <= 100; ++i) {
    const Bytes bytes = NoiseWav(10 * kMiB - 44, 3000 + static_cast<std::uint64_t>(i));
    WriteInput(dir / "snd" / Name(i, 3, ".wav"), bytes);
    total += bytes.size();
  }
  fs::create_directories(dir / "pic");

  const std::string catCommand = "cat snd/* > /dev/null";
  TimeShell(catCommand, dir);  // warm
  std::vector<double> startupTimes, catTimes, freshTimes;
  for (int round = 0; round < context.rounds; ++round) {
    // The inputs were just written: their writeback must not run beside either
    // side, nor may memory freed by the side before.
    Settle();
    catTimes.push_back(TimeShell(catCommand, dir));
    Settle();
    startupTimes.push_back(StartupInNewProcess(dir));
    Settle();
    freshTimes.push_back(FreshMemorySeconds(total));
  }
  fs::remove_all(dir);

  const double startup = Median(startupTimes), cat = Median(catTimes), fresh = Median(freshTimes);
  const double ratio = startup / cat;
  return {"startup",
          Format("kvarbon %.3f s | ", startup) + Format("cat %.3f s", cat) +
              Format(" | %.0f MiB in snd, bank filled and window shown", static_cast<double>(total) / kMiB) +
              Format("; fresh memory for it %.3f s", fresh) + Format(", ratio without that %.2f", (startup - fresh) / cat),
          Format("ratio %.2f", ratio), "<= 1.2", ratio <= 1.2};
}

}  // namespace kvarbon::bench
