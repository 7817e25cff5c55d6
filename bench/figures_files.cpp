// The two figures bound by the disk and the page cache: encode and start-up.
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QMessageBox>
#include <QMetaObject>
#include <QPushButton>
#include <QWindow>
#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
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

double EncodeOnce(const fs::path& dir, SoundOutput& sound) {
  Show show(dir, sound);
  show.window->Form_Load();
  show.window->show();
  QCoreApplication::processEvents();
  show.window->Command1->setEnabled(true);  // as the load-slides command leaves it
  MessageWatch messages;
  const Clock::time_point start = Clock::now();
  show.window->Command1->click();
  if (messages.count != 1 || messages.text != QStringLiteral("Кодирование завершено успешно.")) {
    throw std::runtime_error("encode failed: " + messages.text.toStdString());
  }
  return SecondsBetween(start, messages.shownAt);
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

// Seconds to write the pieces into a new file: as the encoder does (gathered
// writes of 128 KiB, `oneCall` false), or with as few calls as the kernel takes
// (one gathered write of every piece, `oneCall` true).
double TimeWrite(const fs::path& path, const std::vector<Bytes>& pieces, bool oneCall) {
  const Clock::time_point start = Clock::now();
  if (!oneCall) {
    WriteFileAtomically(path, std::vector<ByteView>(pieces.begin(), pieces.end()));
  } else {
    std::vector<iovec> all;
    for (const Bytes& piece : pieces) all.push_back({const_cast<std::byte*>(piece.data()), piece.size()});
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw std::runtime_error("cannot create " + path.native());
    for (std::size_t at = 0; at < all.size(); at += IOV_MAX) {
      const int count = static_cast<int>(std::min<std::size_t>(IOV_MAX, all.size() - at));
      std::size_t bytes = 0;
      for (int i = 0; i < count; ++i) bytes += all[at + static_cast<std::size_t>(i)].iov_len;
      if (::writev(fd, all.data() + at, count) != static_cast<ssize_t>(bytes)) {
        ::close(fd);
        throw std::runtime_error("cannot write " + path.native());
      }
    }
    ::close(fd);
  }
  return SecondsBetween(start, Clock::now());
}

// Runs one measurement in a new process, so it starts, as the tool does, with
// no memory of its own to reuse.
double InNewProcess(const char* what, const fs::path& dir) {
  const std::string output = RunSelf({"--child", what, dir.native()});
  return std::stod(output);
}

}  // namespace

// 200 slides of 4 MiB and 20 sounds of 10 MiB. The slides are not pictures:
// encoding copies their bytes and never decodes them, so the window is set up
// as the load-slides command leaves it (start-up run, Command1 enabled)
// without loading them.
Figure EncodeFigure(const Context& context) {
  const fs::path dir = context.work / "encode";
  std::fprintf(stderr, "encode: writing 200 x 4 MiB slides and 20 x 10 MiB sounds\n");
  std::uint64_t media = 0;
  for (int i = 1; i <= 200; ++i) {
    const Bytes bytes = MarkerFreeNoise(4 * kMiB, 1000 + static_cast<std::uint64_t>(i));
    WriteInput(dir / "pic" / Name(i, 4, ".jpg"), bytes);
    media += bytes.size();
  }
  for (int i = 1; i <= 20; ++i) {
    const Bytes bytes = NoiseWav(10 * kMiB - 44, 2000 + static_cast<std::uint64_t>(i));
    WriteInput(dir / "snd" / Name(i, 2, ".wav"), bytes);
    media += bytes.size();
  }

  TimeShell("cat pic/* snd/* > /dev/null", dir);  // both sides start from a warm page cache
  // The same media in memory, to time writing them as the encoder does
  // against one gathered write of the whole.
  std::vector<Bytes> pieces;
  for (const char* list : {"pic", "snd"}) {
    for (const fs::directory_entry& entry : fs::directory_iterator(dir / list)) pieces.push_back(ReadWholeFile(entry.path()));
  }
  std::vector<double> encodeTimes, catTimes, flushTimes, freshTimes, gatheredTimes, slicedTimes;
  for (int round = 0; round < context.rounds; ++round) {
    // Each side starts with no dirty pages, no old output to delete and no
    // memory freed just before it.
    Settle();
    catTimes.push_back(TimeShell("cat pic/* snd/* > cat.out", dir));
    // What forcing that output to the disk would add (the encoder does not).
    flushTimes.push_back(TimeShell("sync cat.out", dir));
    fs::remove(dir / "cat.out");

    fs::remove(dir / "Dest.zel");
    fs::remove(dir / "sound.ini");
    Settle();
    encodeTimes.push_back(InNewProcess("encode", dir));
    // The media, a separator after each file, the eight tags and "50".
    if (FileLength(dir / "Dest.zel") != media + 220 * 3 + 5 + 2 + 6 + 3 + 4 + 5 + 6 + 5 + 6) {
      throw std::runtime_error("encode wrote a container of the wrong length");
    }
    fs::remove(dir / "Dest.zel");
    Settle();
    freshTimes.push_back(FreshMemorySeconds(media));

    Settle();
    slicedTimes.push_back(TimeWrite(dir / "sliced.out", pieces, false));
    fs::remove(dir / "sliced.out");
    Settle();
    gatheredTimes.push_back(TimeWrite(dir / "gathered.out", pieces, true));
    fs::remove(dir / "gathered.out");
  }
  pieces.clear();
  fs::remove_all(dir);

  const double encode = Median(encodeTimes), cat = Median(catTimes), fresh = Median(freshTimes);
  const double ratio = encode / cat;
  return {"encode",
          Format("kvarbon %.2f s | ", encode) + Format("cat %.2f s", cat) +
              Format(" | %.0f MiB media, click to message", static_cast<double>(media) / kMiB) +
              Format("; fresh memory for it %.2f s", fresh) +
              Format(", ratio without that %.2f", (encode - fresh) / cat) +
              Format("; a flush to disk would add %.2f s", Median(flushTimes)) +
              Format("; writing it from memory as the encoder does %.2f s", Median(slicedTimes)) +
              Format(", in one gathered write %.2f s", Median(gatheredTimes)),
          Format("ratio %.2f", ratio), "<= 1.3", ratio <= 1.3};
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
    startupTimes.push_back(InNewProcess("startup", dir));
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
