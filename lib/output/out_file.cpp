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
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  const size_t room = kBufferSize - used_;
  if (n <= room) {
    std::memcpy(buffer_.get() + used_, bytes, n);
    used_ += n;
    return true;
  }
  // As the stream buffer did: the buffer filled up and written whole, whole
  // buffers' worth written straight, the rest kept. The writes thus end at the
  // same file offsets, and a full disk is noticed at the same record.
  std::memcpy(buffer_.get() + used_, bytes, room);
  used_ = kBufferSize;
  if (!drain()) return false;
  const size_t rest = n - room;
  const size_t straight = rest - rest % kBufferSize;
  if (straight > 0 && !note(std::fwrite(bytes + room, 1, straight, file_) == straight))
    return false;
  std::memcpy(buffer_.get(), bytes + room + straight, rest - straight);
  used_ = rest - straight;
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
  bool ok = r >= 0;
  if (ok && static_cast<size_t>(r) < room) {
    used_ += static_cast<size_t>(r);
  } else if (ok) {
    // Rare (once per buffer of text): formatted apart, then written as bytes.
    std::string text(static_cast<size_t>(r) + 1, '\0');
    std::vsnprintf(&text[0], text.size(), format, again);
    ok = write(text.data(), static_cast<size_t>(r));
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
