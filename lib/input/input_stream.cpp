#include "input/input_stream.h"

#include <cstring>

namespace d01ozu {

bool InputStream::open(const char* path) {
  close();
  file_ = std::fopen(path, "rb");
  if (!file_) return false;
  std::setvbuf(file_, nullptr, _IONBF, 0);
  if (std::fseek(file_, 0, SEEK_END) == 0) {
    long end = std::ftell(file_);
    size_ = end > 0 ? static_cast<uint64_t>(end) : 0;
  }
  std::fseek(file_, 0, SEEK_SET);
  pos_ = len_ = 0;
  base_ = 0;
  eof_ = false;
  return true;
}

void InputStream::close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  pos_ = len_ = 0;
  base_ = 0;
  eof_ = false;
}

// Loads the next chunk behind the current one; false at end of input.
bool InputStream::refill() {
  if (!file_) return false;
  base_ += len_;
  pos_ = len_ = 0;
  len_ = std::fread(buf_, 1, kBufferSize, file_);
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
  if (!file_) return false;
  eof_ = false;
  if (offset >= base_ && offset <= base_ + len_) {
    pos_ = static_cast<size_t>(offset - base_);
    return true;
  }
  if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) return false;
  base_ = offset;
  pos_ = len_ = 0;
  return true;
}

}  // namespace d01ozu
