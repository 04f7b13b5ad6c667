// Buffered binary input with the observable behaviour of a stdio stream:
// get() returns the next byte or -1, the end-of-file flag is set only once a
// read has found no byte, and seek() clears it. Reads go through one fixed
// buffer so a byte costs a compare and an increment, not a library call. The
// bytes come from a file, from memory, or from a caller's read callback.
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

  // Bytes of the input at offset into dest; the count read (short at the end).
  using ReadAt = size_t (*)(void* user, uint64_t offset, uint8_t* dest, size_t size);

  // Opens path for binary reading; false when it cannot be opened.
  bool open(const char* path);
  // Reads size bytes of memory that outlive the stream.
  void open_bytes(const uint8_t* data, size_t size);
  // Reads through a caller's callback; size is the input's size when known.
  void open_reader(ReadAt read, void* user, uint64_t size);
  void close();
  bool is_open() const { return read_ != nullptr; }

  // Next byte, or -1 at end of input (which sets the end-of-file flag).
  int get() {
    if (pos_ < len_) return buf_[pos_++];
    return refill_and_get();
  }
  // The bytes buffered from the current offset on, refilling first when none
  // are left: their start, and their count in n. n is 0 only at the end of
  // input, which sets the end-of-file flag as get() would.
  const uint8_t* buffered(size_t& n) {
    if (pos_ == len_ && !refill()) {
      eof_ = true;
      n = 0;
      return nullptr;
    }
    n = len_ - pos_;
    return buf_ + pos_;
  }
  // Moves past the first n of the bytes buffered() gave.
  void consume(size_t n) { pos_ += n; }
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

  static size_t read_file(void* user, uint64_t offset, uint8_t* dest, size_t size);
  static size_t read_memory(void* user, uint64_t offset, uint8_t* dest, size_t size);
  void start(ReadAt read, void* user, uint64_t size);

  static constexpr size_t kBufferSize = 64 * 1024;
  ReadAt read_ = nullptr;
  void* user_ = nullptr;
  std::FILE* file_ = nullptr;
  uint64_t file_pos_ = 0;  // where the file's own position stands
  const uint8_t* memory_ = nullptr;
  uint8_t buf_[kBufferSize];
  size_t pos_ = 0;
  size_t len_ = 0;
  uint64_t base_ = 0;  // file offset of buf_[0]
  uint64_t size_ = 0;
  bool eof_ = false;
};

}  // namespace d01ozu
