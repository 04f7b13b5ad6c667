#include "output/out_file.h"

#include <sys/stat.h>

#include <cstdarg>
#include <cstring>
#include <new>

namespace d01ozu {

bool OutFile::open(const char* path, const char* mode) {
  close();
  path_ = path ? path : "";
  if (path_.empty()) return false;
  file_ = std::fopen(path, mode);
  if (!file_) return false;
  if (!buffer_) buffer_.reset(new (std::nothrow) uint8_t[kBufferSize]);
  // The object's buffer does the collecting; without it the stream does.
  if (buffer_)
    std::setvbuf(file_, nullptr, _IONBF, 0);
  else
    std::setvbuf(file_, nullptr, _IOFBF, 64 * 1024);
  used_ = 0;
  error_ = false;
  return true;
}

bool OutFile::note(bool ok) {
  if (std::ferror(file_) != 0) error_ = true;
  return ok;
}

bool OutFile::close() {
  if (!file_) return true;
  bool ok = drain();
  ok = !error_ && ok;
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  return ok;
}

bool OutFile::drain() {
  if (used_ == 0) return true;
  const size_t n = used_;
  used_ = 0;
  return note(std::fwrite(buffer_.get(), 1, n, file_) == n);
}

bool OutFile::write(const void* data, size_t n) {
  if (!file_) return false;
  if (n == 0) return true;
  if (!buffer_) return note(std::fwrite(data, 1, n, file_) == n);
  if (n > kBufferSize - used_) {
    if (!drain()) return false;
    if (n >= kBufferSize) return note(std::fwrite(data, 1, n, file_) == n);
  }
  std::memcpy(buffer_.get() + used_, data, n);
  used_ += n;
  return true;
}

bool OutFile::printf(const char* format, ...) {
  if (!file_) return false;
  va_list args;
  va_start(args, format);
  const bool ok =
      buffer_ ? buffered_printf(format, args) : note(std::vfprintf(file_, format, args) >= 0);
  va_end(args);
  return ok;
}

bool OutFile::buffered_printf(const char* format, va_list args) {
  va_list again;
  va_copy(again, args);
  const size_t room = kBufferSize - used_;
  const int r = std::vsnprintf(reinterpret_cast<char*>(buffer_.get() + used_), room, format, args);
  const size_t length = r >= 0 ? static_cast<size_t>(r) : 0;
  bool ok = r >= 0;
  if (ok && length < room) {
    used_ += length;
  } else if (ok && (ok = drain()) && length < kBufferSize) {
    std::vsnprintf(reinterpret_cast<char*>(buffer_.get()), kBufferSize, format, again);
    used_ = length;
  } else if (ok) {
    ok = note(std::vfprintf(file_, format, again) >= 0);
  }
  va_end(again);
  return ok;
}

bool OutFile::flush() {
  if (!file_) return false;
  const bool drained = drain();
  return note(std::fflush(file_) == 0) && drained;
}

bool OutFile::seek(uint64_t offset) {
  return file_ && drain() && note(std::fseek(file_, static_cast<long>(offset), SEEK_SET) == 0);
}

uint64_t OutFile::tell() {
  if (!file_) return 0;
  const long p = std::ftell(file_);
  return p >= 0 ? static_cast<uint64_t>(p) + used_ : 0;
}

size_t OutFile::read(void* dst, size_t n) {
  if (!file_ || !drain()) return 0;
  const size_t got = std::fread(dst, 1, n, file_);
  note(true);
  return got;
}

long long file_size_of(const char* path) {
  struct stat st;
  if (::stat(path, &st) != 0) return -1;
  return static_cast<long long>(st.st_size);
}

void remove_if_empty(const char* path) {
  if (file_size_of(path) == 0) std::remove(path);
}

}  // namespace d01ozu
