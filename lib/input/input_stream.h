// Buffered binary input file with the observable behaviour of a stdio stream:
// get() returns the next byte or -1, the end-of-file flag is set only once a
// read has found no byte, and seek() clears it. Reads go through one fixed
// buffer so a byte costs a compare and an increment, not a library call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace d01ozu {

class InputStream {
 public:
  InputStream() = default;
  ~InputStream() { close(); }
  InputStream(const InputStream&) = delete;
  InputStream& operator=(const InputStream&) = delete;

  // Opens path for binary reading; false when it cannot be opened.
  bool open(const char* path);
  void close();
  bool is_open() const { return file_ != nullptr; }

  // Next byte, or -1 at end of input (which sets the end-of-file flag).
  int get() {
    if (pos_ < len_) return buf_[pos_++];
    return refill_and_get();
  }
  // Reads up to n bytes into dst; returns the count read (short at the end).
  size_t read(void* dst, size_t n);
  // Current offset from the start of the file.
  uint64_t tell() const { return base_ + pos_; }
  // Moves to an absolute offset and clears the end-of-file flag.
  bool seek(uint64_t offset);
  // True once a read has found no byte.
  bool eof() const { return eof_; }
  // Size of the file in bytes, measured at open.
  uint64_t size() const { return size_; }

 private:
  int refill_and_get();
  bool refill();

  static constexpr size_t kBufferSize = 64 * 1024;
  std::FILE* file_ = nullptr;
  uint8_t buf_[kBufferSize];
  size_t pos_ = 0;
  size_t len_ = 0;
  uint64_t base_ = 0;  // file offset of buf_[0]
  uint64_t size_ = 0;
  bool eof_ = false;
};

}  // namespace d01ozu
