#pragma once

#include <cstdint>
#include <vector>

#include "app/core/bytes.h"

namespace kvarbon {

// A byte string held as the pieces it was gathered from, so a large section is
// never copied into one buffer just to be written out.
class ByteChain {
 public:
  void Append(Bytes piece) {
    size_ += piece.size();
    pieces_.push_back(std::move(piece));
  }
  void Clear() {
    pieces_.clear();
    size_ = 0;
  }
  bool Empty() const { return size_ == 0; }
  std::uint64_t Size() const { return size_; }
  const std::vector<Bytes>& Pieces() const { return pieces_; }

  // One contiguous copy; for tests and small sections.
  Bytes Flatten() const {
    Bytes all;
    all.reserve(size_);
    for (const Bytes& piece : pieces_) all.insert(all.end(), piece.begin(), piece.end());
    return all;
  }

 private:
  std::vector<Bytes> pieces_;
  std::uint64_t size_ = 0;
};

}  // namespace kvarbon
