// An output file owned by the library, closed when the object goes away.
// Writes and formatted text collect in one large buffer of the object's own
// and reach the file in few large writes; write() reports a short write so the
// caller can latch "Disk full".
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace d01ozu {

class OutFile {
 public:
  OutFile() = default;
  ~OutFile() { close(); }
  OutFile(const OutFile&) = delete;
  OutFile& operator=(const OutFile&) = delete;

  // Opens path with a stdio mode ("wb+", "wb", "w"); false on failure.
  bool open(const char* path, const char* mode);
  // Flushes and closes; false when a buffered write failed on the way.
  bool close();
  bool is_open() const { return file_ != nullptr; }
  const std::string& path() const { return path_; }

  // Writes n bytes; false when fewer were transferred.
  bool write(const void* data, size_t n);
  // Formatted text output; false on failure.
  bool printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Hands every buffered byte to the file; false when a write failed.
  bool flush();
  bool seek(uint64_t offset);
  uint64_t tell();
  // Reads up to n bytes at the current position (used to verify records).
  size_t read(void* dst, size_t n);
  // True once an operation on the stream has failed (its error indicator).
  bool has_error() const { return file_ && error_; }

 private:
  // Writes the buffered bytes to the stream; false when fewer went.
  bool drain();
  // Copies the stream's error indicator after an operation on it (kept here,
  // since asking the stream takes its lock on every record); returns ok.
  bool note(bool ok);
  // Formats into the free room; text that does not fit is written as bytes.
  bool buffered_printf(const char* format, va_list args);

  // The size of the stream buffer this one replaces, filled and written the
  // same way: a full disk is noticed at the same record as before. Larger
  // writes gain nothing measurable (the kernel's copy costs the same).
  static constexpr size_t kBufferSize = 64 * 1024;
  std::FILE* file_ = nullptr;
  std::string path_;
  // Without it (no memory) the stream buffers on its own.
  std::unique_ptr<uint8_t[]> buffer_;
  size_t used_ = 0;
  bool error_ = false;
};

// Size of a closed file, or -1 when it cannot be examined.
long long file_size_of(const char* path);
// Deletes the file at path when it exists and is empty.
void remove_if_empty(const char* path);

}  // namespace d01ozu
