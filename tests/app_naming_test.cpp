// Input name completion and classification, and the derived output names.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "app/messages.h"
#include "app/naming.h"
#include "testdata/frame_writer.h"
#include "tests/test_support.h"

namespace rawsplit {
namespace {

using testsupport::TempDir;
using testsupport::write_file;
using writers::Bytes;

struct Resolved {
  d01ozu::StatusCode status;
  std::string name;
  d01ozu::InputFormat format = d01ozu::InputFormat::kUnknown;
  int16_t header = -1, eph = -1, ion = -1;
};

Resolved Resolve(const std::string& name) {
  auto cx = std::make_unique<ConversionContext>();
  Resolved r;
  char entry[kInputNameSize] = {};
  std::strncpy(entry, name.c_str(), sizeof entry - 1);
  r.status = ResolveInputName(*cx, entry, r.format, r.header, r.eph, r.ion);
  r.name = entry;
  return r;
}

TEST(ResolveInputName, CompletesTheExtensionInItsOrder) {
  TempDir dir;
  Bytes r00 = writers::R00File().bytes();
  write_file(dir.file("a.R00"), r00);
  write_file(dir.file("a.r00"), r00);
  EXPECT_EQ(Resolve(dir.file("a")).name, dir.file("a.r00"));
  write_file(dir.file("b.T01"), r00);
  write_file(dir.file("b.t02"), r00);
  EXPECT_EQ(Resolve(dir.file("b")).name, dir.file("b.T01"));

  write_file(dir.file("c.T04"), r00);
  Resolved t04 = Resolve(dir.file("c"));
  EXPECT_EQ(t04.status, 17);
  EXPECT_EQ(t04.name, dir.file("c"));
  EXPECT_EQ(t04.header, -1);  // flags untouched on failure

  std::filesystem::create_directory(dir.file("d.r00"));
  EXPECT_EQ(Resolve(dir.file("d")).status, 17);

  // A completed name must still fit 127 characters.
  std::string base = dir.file(std::string(124 - dir.file("").size(), 'e'));
  write_file(base + ".r00", r00);
  EXPECT_EQ(Resolve(base).status, 17);
}

class Names : public ::testing::Test {
 protected:
  d01ozu::StatusCode Prepare(const std::string& input, const std::string& output) {
    cx = std::make_unique<ConversionContext>();
    cx->message_sink = ConsoleMessage;
    std::strcpy(cx->inputs[0], input.c_str());
    if (!output.empty()) {
      std::strcpy(cx->output_name, output.c_str());
      cx->have_output = true;
    }
    return PrepareNames(*cx);
  }
  std::string Base() { return std::string(cx->output_name, cx->extension_pos); }
  TempDir dir;
  std::unique_ptr<ConversionContext> cx;
};

TEST_F(Names, OutputBaseAndDatExtension) {
  EXPECT_EQ(Prepare("in/gs00233a.r00", ""), 0);
  EXPECT_EQ(Base(), "in/gs00233a");
  EXPECT_STREQ(cx->dat_extension, ".tg!");

  Prepare("gs00233a.r00", "out.dat");
  EXPECT_EQ(Base(), "out");
  EXPECT_STREQ(cx->dat_extension, ".dat");

  Prepare("gs00233a.r00", "my.dir/out");  // a dot in the directory is no extension
  EXPECT_EQ(Base(), "my.dir/out");
  EXPECT_STREQ(cx->dat_extension, ".tg!");

  Prepare("gs00233a.r00", "c:\\new.d\\gnew");
  EXPECT_EQ(Base(), "c:\\new.d\\gnew");

  ASSERT_TRUE(FormOutputName(*cx, ".eph"));
  EXPECT_STREQ(cx->output_name, "c:\\new.d\\gnew.eph");
}

TEST_F(Names, FlagsSinkAndMissingInput) {
  cx = std::make_unique<ConversionContext>();
  EXPECT_EQ(PrepareNames(*cx), 17);

  Prepare("a.r00", "");
  cx->header_flag = 0;
  cx->verbose = 2;
  cx->message_sink = nullptr;
  EXPECT_EQ(PrepareNames(*cx), 0);
  EXPECT_EQ(cx->eph_flag + cx->ion_flag, 0);
  EXPECT_EQ(cx->verbose, 0);
}

}  // namespace
}  // namespace rawsplit
