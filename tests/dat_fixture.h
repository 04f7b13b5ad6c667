// A record processor writing its DAT file into a temporary directory, and a
// little-endian builder for the DAT images the tests expect.
#pragma once

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "processing/record_processor.h"
#include "tests/test_support.h"

namespace dattest {

using Bytes = std::vector<uint8_t>;

using testsupport::kDatStartBytes;

class Le {
 public:
  Le& u8(unsigned v) {
    b_.push_back(static_cast<uint8_t>(v));
    return *this;
  }
  Le& le16(unsigned v) { return u8(v).u8(v >> 8); }
  Le& le32(uint32_t v) { return le16(v & 0xFFFF).le16(v >> 16); }
  Le& f64(double d) {
    uint64_t bits;
    std::memcpy(&bits, &d, 8);
    return le32(static_cast<uint32_t>(bits)).le32(static_cast<uint32_t>(bits >> 32));
  }
  Le& f32(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return le32(bits);
  }
  // The text in a zero-filled field of width bytes.
  Le& text(const std::string& s, size_t width) {
    for (size_t i = 0; i < width; ++i) u8(i < s.size() ? static_cast<uint8_t>(s[i]) : 0);
    return *this;
  }
  Le& bytes(const Bytes& v) {
    b_.insert(b_.end(), v.begin(), v.end());
    return *this;
  }
  Le& zeros(size_t n) {
    b_.insert(b_.end(), n, 0);
    return *this;
  }
  const Bytes& data() const { return b_; }

 private:
  Bytes b_;
};

inline double le_f64(const Bytes& b, size_t at) {
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = bits << 8 | b.at(at + i);
  double d;
  std::memcpy(&d, &bits, 8);
  return d;
}

// Options with every newer record type allowed into the DAT file.
inline d01ozu::ProcessorOptions unfiltered() {
  d01ozu::ProcessorOptions o;
  o.mode_27_17 = 0;
  return o;
}

struct Processor {
  testsupport::TempDir dir;
  d01ozu::OutFile dat;
  d01ozu::EphImage eph;
  d01ozu::IonImage ion;
  d01ozu::AppBuffer app;
  std::unique_ptr<d01ozu::RecordProcessor> rp = std::make_unique<d01ozu::RecordProcessor>();

  explicit Processor(const d01ozu::ProcessorOptions& o = unfiltered()) {
    dat.open(dir.file("run.dat").c_str(), "wb+");
    d01ozu::SetProcessorOptions(*rp, o);
    d01ozu::AttachOutputs(*rp, &eph, &ion, &app, nullptr);
    d01ozu::SetDatStream(*rp, &dat);
  }
  d01ozu::StatusCode feed(const Bytes& frame) {
    return d01ozu::process_legacy_record(*rp, frame.data(), frame.size());
  }
  // Feeds the frames in order, each expected to succeed.
  void feed_ok(std::initializer_list<Bytes> frames) {
    for (const Bytes& f : frames) EXPECT_EQ(feed(f), 0) << "record type " << int{f.at(2)};
  }
  // The whole DAT file as written so far.
  Bytes file() {
    dat.flush();
    return testsupport::read_file(dir.file("run.dat"));
  }
  // What follows the file start (placeholders and ION/UTC record).
  Bytes records() {
    Bytes all = file();
    return all.size() > kDatStartBytes ? Bytes(all.begin() + kDatStartBytes, all.end()) : Bytes{};
  }
};

}  // namespace dattest
