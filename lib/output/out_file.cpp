#include "output/out_file.h"

#include <sys/stat.h>

#include <cstdarg>

namespace d01ozu {

bool OutFile::open(const char* path, const char* mode) {
  close();
  path_ = path ? path : "";
  if (path_.empty()) return false;
  file_ = std::fopen(path, mode);
  if (!file_) return false;
  std::setvbuf(file_, buffer_, _IOFBF, sizeof buffer_);
  return true;
}

bool OutFile::close() {
  if (!file_) return true;
  bool ok = std::ferror(file_) == 0;
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  return ok;
}

bool OutFile::write(const void* data, size_t n) {
  if (!file_) return false;
  if (n == 0) return true;
  return std::fwrite(data, 1, n, file_) == n;
}

bool OutFile::printf(const char* format, ...) {
  if (!file_) return false;
  va_list args;
  va_start(args, format);
  int r = std::vfprintf(file_, format, args);
  va_end(args);
  return r >= 0;
}

bool OutFile::seek(uint64_t offset) {
  return file_ && std::fseek(file_, static_cast<long>(offset), SEEK_SET) == 0;
}

uint64_t OutFile::tell() {
  if (!file_) return 0;
  long p = std::ftell(file_);
  return p > 0 ? static_cast<uint64_t>(p) : 0;
}

size_t OutFile::read(void* dst, size_t n) {
  if (!file_) return 0;
  return std::fread(dst, 1, n, file_);
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
