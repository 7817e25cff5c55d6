// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/core/bytes.h"

namespace kvarbon::bench {

using Clock = std::chrono::steady_clock;

inline double SecondsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

// The median of the values (the mean of the middle two for an even count).
double Median(std::vector<double> values);

// "00042.jpg" for (42, 5): a picture's name that sorts as its number does.
std::string NumberedJpegName(int number, int digits);

// A small seeded generator (splitmix64): the same seed gives the same bytes on
// every machine, so every input the suite writes is reproducible.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next();
  // Uniform in [0, bound).
  std::uint32_t Below(std::uint32_t bound) { return static_cast<std::uint32_t>(Next() % bound); }

 private:
  std::uint64_t state_;
};

// `size` pseudo-random bytes that never contain "|" or "n", so no file holds the
// container's separator "-|-" or the tags "ini" and "sound" (the encoder would
// warn about each on stderr); every other byte value, including the first bytes
// of every marker, occurs at its natural rate, so the encoder's marker scan does
// its real work.
Bytes MarkerFreeNoise(std::size_t size, std::uint64_t seed);

// A 16-bit stereo 44.1 kHz PCM WAV image whose data chunk holds `dataBytes`
// bytes of marker-free noise.
Bytes NoiseWav(std::size_t dataBytes, std::uint64_t seed);

// Runs `command` with /bin/sh in `workDir` and returns its wall time in
// seconds. Throws if it fails.
double TimeShell(const std::string& command, const std::filesystem::path& workDir);

// Runs `program` with `arguments`: what it printed on stdout and the highest
// resident memory it reached. Throws if it fails.
struct ChildRun {
  std::string output;
  std::uint64_t peakResident = 0;
};
ChildRun RunProgram(const std::string& program, const std::vector<std::string>& arguments);
// The same for this program, returning what it printed.
std::string RunSelf(const std::vector<std::string>& arguments);

// Seconds to write `bytes` of memory fresh from the kernel, by as many threads
// as the tool reads files with: what any program pays, beyond copying, to hold
// that much newly read data.
double FreshMemorySeconds(std::size_t bytes);

// Flushes every dirty page to disk, so no measurement pays for an earlier one's writes.
void SyncAll();
// SyncAll, then waits a few seconds: on a virtual machine that hands freed
// memory back to its host (free page reporting, after about 2 s), memory one
// side has just freed would otherwise make the other side's fresh memory
// cheap. Both sides of a comparison start after it.
void Settle();

// The process's resident memory in bytes, and the same after giving freed heap
// memory back to the system.
std::uint64_t ResidentBytes();
std::uint64_t TrimmedResidentBytes();
// The highest resident memory since the process started or since the last
// ResetPeakResident (VmHWM).
std::uint64_t PeakResidentBytes();
void ResetPeakResident();
// Page faults the process has taken so far that needed no disk read.
long MinorFaults();
// Processor time the process has used so far, all threads, user and system, in seconds.
double CpuSeconds();

// One result line: name, what was measured against what, the figure, the target, and the verdict.
struct Figure {
  std::string name;
  std::string detail;
  std::string value;
  std::string target;
  bool pass = false;
};
void PrintFigure(const Figure& figure);

std::string Format(const char* format, double value);

}  // namespace kvarbon::bench
