// Counted arrays of decoded record-35 values and a growable byte buffer.
// Both grow on demand and never shrink, so a subtype's structures stop
// allocating once they have seen its largest record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace d01ozu {

// Error byte of the record-35 code (shared with the dispatcher).
enum : uint8_t {
  kRec35Ok = 0,
  kRec35EmptyBody = 7,
  kRec35NoMemory = 17,
  kRec35PageSequence = 18,
  kRec35DecodeFailed = 19,
  kRec35ArrayOverrun = 20,
  kRec35KeyAwaited = 23,
};

// capacity elements at d are constructed (value-initialised when added);
// the first length of them hold data. Elements are relocated bytewise on
// growth, so T must not point into itself.
template <typename T>
struct DynArray {
  uint64_t capacity = 0;
  uint64_t length = 0;
  T* d = nullptr;

  DynArray() = default;
  DynArray(const DynArray&) = delete;
  DynArray& operator=(const DynArray&) = delete;
  ~DynArray() { release(); }

  // Frees every element and the storage.
  void release() {
    for (uint64_t i = 0; i < capacity; ++i) d[i].~T();
    std::free(static_cast<void*>(d));
    d = nullptr;
    capacity = length = 0;
  }

  // Room for n elements: grows to exactly n (added elements zero), never
  // shrinks. A failed allocation empties the array and sets *error to 17.
  bool reserve(uint64_t n, uint8_t* error) {
    if (n <= capacity) return true;
    void* grown =
        n > SIZE_MAX / sizeof(T) ? nullptr : std::realloc(static_cast<void*>(d), n * sizeof(T));
    if (!grown) {
      release();
      *error = kRec35NoMemory;
      return false;
    }
    d = static_cast<T*>(grown);
    for (uint64_t i = capacity; i < n; ++i) new (&d[i]) T();
    capacity = n;
    return true;
  }
};

// A byte buffer that grows to exactly the size asked for and never shrinks.
struct ByteBuffer {
  size_t capacity = 0;
  size_t length = 0;
  uint8_t* data = nullptr;

  ByteBuffer() = default;
  ByteBuffer(const ByteBuffer&) = delete;
  ByteBuffer& operator=(const ByteBuffer&) = delete;
  ~ByteBuffer() { std::free(data); }

  // Makes room for n bytes in all; false (contents kept) when none can be had.
  bool reserve(size_t n) {
    if (n <= capacity) return true;
    void* grown = std::realloc(data, n);
    if (!grown) return false;
    data = static_cast<uint8_t*>(grown);
    capacity = n;
    return true;
  }
  // Appends n bytes; false (nothing appended) when the room cannot be had.
  bool append(const uint8_t* p, size_t n) {
    if (n > SIZE_MAX - length || !reserve(length + n)) return false;
    if (n) std::memcpy(data + length, p, n);
    length += n;
    return true;
  }
  // Replaces the contents.
  bool assign(const uint8_t* p, size_t n) {
    length = 0;
    return append(p, n);
  }
};

}  // namespace d01ozu
