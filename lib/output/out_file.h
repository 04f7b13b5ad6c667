// An output file owned by the library: a buffered stdio stream that is closed
// when the object goes away. write() reports a short write so the caller can
// latch "Disk full".
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
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
  bool seek(uint64_t offset);
  uint64_t tell();
  // Reads up to n bytes at the current position (used to verify records).
  size_t read(void* dst, size_t n);
  bool has_error() const { return file_ && std::ferror(file_) != 0; }
  std::FILE* stream() { return file_; }

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
  char buffer_[64 * 1024];
};

// Size of a closed file, or -1 when it cannot be examined.
long long file_size_of(const char* path);
// Deletes the file at path when it exists and is empty.
void remove_if_empty(const char* path);

}  // namespace d01ozu
