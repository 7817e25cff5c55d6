// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/bench_support.h"

#include "app/core/in_order_jobs.h"

#include <malloc.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace kvarbon::bench {

double Median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2.0;
}

std::string NumberedJpegName(int number, int digits) {
  std::string name = std::to_string(number);
  if (static_cast<int>(name.size()) < digits) name.insert(0, static_cast<std::size_t>(digits) - name.size(), '0');
  return name + ".jpg";
}

std::uint64_t Rng::Next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

Bytes MarkerFreeNoise(std::size_t size, std::uint64_t seed) {
  Rng rng(seed);
  Bytes bytes(size);
  std::size_t at = 0;
  for (; at + 8 <= size; at += 8) {
    const std::uint64_t word = rng.Next();
    std::memcpy(bytes.data() + at, &word, 8);
  }
  for (; at < size; ++at) bytes[at] = static_cast<std::byte>(rng.Next() & 0xFF);
  for (std::byte& b : bytes) {
    if (b == std::byte{'|'} || b == std::byte{'n'}) b = std::byte{'#'};
  }
  return bytes;
}

namespace {

void Put(Bytes& out, std::string_view text) {
  const ByteView view = AsBytes(text);
  out.insert(out.end(), view.begin(), view.end());
}

void PutLe(Bytes& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::byte>((value >> (8 * i)) & 0xFF));
}

}  // namespace

Bytes NoiseWav(std::size_t dataBytes, std::uint64_t seed) {
  constexpr std::uint32_t kRate = 44100;
  constexpr std::uint32_t kChannels = 2;
  constexpr std::uint32_t kBlockAlign = kChannels * 2;
  dataBytes -= dataBytes % kBlockAlign;
  Bytes wav;
  wav.reserve(44 + dataBytes);
  Put(wav, "RIFF");
  PutLe(wav, static_cast<std::uint32_t>(36 + dataBytes), 4);
  Put(wav, "WAVEfmt ");
  PutLe(wav, 16, 4);
  PutLe(wav, 1, 2);  // PCM
  PutLe(wav, kChannels, 2);
  PutLe(wav, kRate, 4);
  PutLe(wav, kRate * kBlockAlign, 4);
  PutLe(wav, kBlockAlign, 2);
  PutLe(wav, 16, 2);
  Put(wav, "data");
  PutLe(wav, static_cast<std::uint32_t>(dataBytes), 4);
  const Bytes samples = MarkerFreeNoise(dataBytes, seed);
  wav.insert(wav.end(), samples.begin(), samples.end());
  return wav;
}

double TimeShell(const std::string& command, const std::filesystem::path& workDir) {
  const std::string script = "cd '" + workDir.native() + "' && " + command;
  const char* argv[] = {"/bin/sh", "-c", script.c_str(), nullptr};
  const Clock::time_point start = Clock::now();
  pid_t pid = 0;
  if (::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
    throw std::runtime_error("cannot start /bin/sh");
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
  }
  const Clock::time_point end = Clock::now();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("failed: " + command);
  return SecondsBetween(start, end);
}

ChildRun RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) throw std::runtime_error("cannot make a pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  pid_t pid = 0;
  const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeEnds[1]);
  if (spawned != 0) {
    ::close(pipeEnds[0]);
    throw std::runtime_error("cannot start " + program);
  }
  std::string output;
  char buffer[4096];
  for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) != 0;) {
    if (got > 0) output.append(buffer, static_cast<std::size_t>(got));
    else if (errno != EINTR) break;
  }
  ::close(pipeEnds[0]);
  int status = 0;
  rusage usage{};
  while (::wait4(pid, &status, 0, &usage) < 0) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("failed: " + arguments.front());
  return {output, static_cast<std::uint64_t>(usage.ru_maxrss) * 1024};
}

std::string RunSelf(const std::vector<std::string>& arguments) {
  return RunProgram(std::filesystem::read_symlink("/proc/self/exe").native(), arguments).output;
}

double FreshMemorySeconds(std::size_t bytes) {
  void* memory = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) throw std::runtime_error("cannot map fresh memory");
  // Filled by as many threads as the tool reads files with.
  const std::size_t threads = WorkerThreads();
  const std::size_t part = (bytes + threads - 1) / threads;
  const Clock::time_point start = Clock::now();
  {
    std::vector<std::jthread> fillers;
    for (std::size_t at = 0; at < bytes; at += part) {
      fillers.emplace_back([at, length = std::min(part, bytes - at), memory] {
        std::memset(static_cast<char*>(memory) + at, 1, length);
      });
    }
  }
  const double seconds = SecondsBetween(start, Clock::now());
  ::munmap(memory, bytes);
  return seconds;
}

void SyncAll() { ::sync(); }

void Settle() {
  SyncAll();
  std::this_thread::sleep_for(std::chrono::seconds(3));
}

std::uint64_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::uint64_t size = 0, resident = 0;
  statm >> size >> resident;
  return resident * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

std::uint64_t PeakResidentBytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stoull(line.substr(6)) * 1024;
  }
  return 0;
}

void ResetPeakResident() { std::ofstream("/proc/self/clear_refs") << "5"; }

std::uint64_t TrimmedResidentBytes() {
  ::malloc_trim(0);
  return ResidentBytes();
}

long MinorFaults() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

double CpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

void PrintFigure(const Figure& figure) {
  std::printf("%-9s %-4s  %-34s target %-18s %s\n", figure.name.c_str(), figure.pass ? "PASS" : "FAIL",
              figure.value.c_str(), figure.target.c_str(), figure.detail.c_str());
  std::fflush(stdout);
}

}  // namespace kvarbon::bench
