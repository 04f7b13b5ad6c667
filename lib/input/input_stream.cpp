#include "input/input_stream.h"

#include <cstring>

namespace d01ozu {

bool InputStream::open(const char* path) {
  close();
  file_ = std::fopen(path, "rb");
  if (!file_) return false;
  std::setvbuf(file_, nullptr, _IONBF, 0);
  uint64_t size = 0;
  if (std::fseek(file_, 0, SEEK_END) == 0) {
    long end = std::ftell(file_);
    size = end > 0 ? static_cast<uint64_t>(end) : 0;
  }
  std::fseek(file_, 0, SEEK_SET);
  file_pos_ = 0;
  start(read_file, this, size);
  return true;
}

void InputStream::open_bytes(const uint8_t* data, size_t size) {
  close();
  memory_ = data;
  start(read_memory, this, size);
}

void InputStream::open_reader(ReadAt read, void* user, uint64_t size) {
  close();
  if (read) start(read, user, size);
}

void InputStream::start(ReadAt read, void* user, uint64_t size) {
  read_ = read;
  user_ = user;
  size_ = size;
  pos_ = len_ = 0;
  base_ = 0;
  eof_ = false;
}

void InputStream::close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  memory_ = nullptr;
  read_ = nullptr;
  user_ = nullptr;
  pos_ = len_ = 0;
  base_ = 0;
  size_ = 0;
  eof_ = false;
}

// File bytes at offset; the file is repositioned only when the reads are not
// consecutive.
size_t InputStream::read_file(void* user, uint64_t offset, uint8_t* dest, size_t size) {
  InputStream& s = *static_cast<InputStream*>(user);
  if (offset != s.file_pos_) {
    if (std::fseek(s.file_, static_cast<long>(offset), SEEK_SET) != 0) return 0;
    s.file_pos_ = offset;
  }
  const size_t got = std::fread(dest, 1, size, s.file_);
  s.file_pos_ += got;
  return got;
}

size_t InputStream::read_memory(void* user, uint64_t offset, uint8_t* dest, size_t size) {
  const InputStream& s = *static_cast<const InputStream*>(user);
  if (offset >= s.size_) return 0;
  const uint64_t left = s.size_ - offset;
  const size_t n = left < size ? static_cast<size_t>(left) : size;
  std::memcpy(dest, s.memory_ + offset, n);
  return n;
}

// Loads the next chunk behind the current one; false at end of input.
bool InputStream::refill() {
  if (!read_) return false;
  base_ += len_;
  pos_ = len_ = 0;
  len_ = read_(user_, base_, buf_, kBufferSize);
  return len_ > 0;
}

int InputStream::refill_and_get() {
  if (!refill()) {
    eof_ = true;
    return -1;
  }
  return buf_[pos_++];
}

size_t InputStream::read(void* dst, size_t n) {
  auto* out = static_cast<uint8_t*>(dst);
  size_t got = 0;
  while (got < n) {
    if (pos_ == len_ && !refill()) {
      eof_ = true;
      break;
    }
    size_t chunk = len_ - pos_;
    if (chunk > n - got) chunk = n - got;
    std::memcpy(out + got, buf_ + pos_, chunk);
    pos_ += chunk;
    got += chunk;
  }
  return got;
}

bool InputStream::seek(uint64_t offset) {
  if (!read_) return false;
  eof_ = false;
  if (offset >= base_ && offset <= base_ + len_) {
    pos_ = static_cast<size_t>(offset - base_);
    return true;
  }
  base_ = offset;
  pos_ = len_ = 0;
  return true;
}

}  // namespace d01ozu
