#include "app/naming.h"

#include <sys/stat.h>

#include <algorithm>

#include <cstring>
#include <string>

#include "app/messages.h"
#include "input/r00_framing.h"

namespace rawsplit {
namespace {

using d01ozu::StatusCode;

// Tried in this order on an input named without extension; T04 files must be
// named with their extension.
constexpr const char* kInputExtensions[] = {".r00", ".R00", ".t00", ".T00",
                                            ".t01", ".T01", ".t02", ".T02"};
constexpr size_t kExtensionLength = 4;

// True for an existing path that is not a directory.
bool IsExistingFile(const char* path) {
  struct stat st;
  return ::stat(path, &st) == 0 && !S_ISDIR(st.st_mode);
}

// True for an existing directory.
bool IsDirectory(const char* path) {
  struct stat st;
  return ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

// True when s ends with "/" or a backslash.
bool EndsWithSeparator(const std::string& s) {
  return !s.empty() && (s.back() == '/' || s.back() == '\\');
}

// Appends the first input extension that names an existing file, else ".T02".
// False when the completed name would exceed 127 characters.
bool CompleteExtension(char* name) {
  size_t length = std::strlen(name);
  if (length + kExtensionLength >= kInputNameSize) return false;
  for (const char* ext : kInputExtensions) {
    std::memcpy(name + length, ext, kExtensionLength + 1);
    if (IsExistingFile(name)) break;
  }
  return true;
}

}  // namespace

const NamedOutput kNamedOutputs[4] = {
    {&ConversionContext::produce_eph, ".eph", d01ozu::kStatusEphOpen, &d01ozu::Options::eph_path},
    {&ConversionContext::produce_ion, ".ion", d01ozu::kStatusIonOpen, &d01ozu::Options::ion_path},
    {&ConversionContext::produce_mes, ".mes", d01ozu::kStatusMesOpen, &d01ozu::Options::mes_path},
    {&ConversionContext::produce_app, ".cfg", d01ozu::kStatusAppOpen, &d01ozu::Options::app_path},
};

size_t NamePartOffset(const char* path) {
  const char* slash = std::strrchr(path, '/');
  if (!slash) slash = std::strrchr(path, '\\');
  return slash ? static_cast<size_t>(slash - path) + 1 : 0;
}

size_t ExtensionOffset(const char* path) {
  size_t name = NamePartOffset(path);
  const char* dot = std::strrchr(path + name, '.');
  return dot ? static_cast<size_t>(dot - path) : kNoExtension;
}

StatusCode ResolveInputName(ConversionContext& cx, char* entry, d01ozu::InputFormat& format,
                            int16_t& header, int16_t& eph, int16_t& ion) {
  char name[kInputNameSize];
  std::strncpy(name, entry, sizeof name - 1);
  name[sizeof name - 1] = '\0';
  if (ExtensionOffset(name) == kNoExtension && !CompleteExtension(name)) {
    Say(cx, 1, kMsgError, "input name longer than 127 characters");
    return d01ozu::kStatusNoInput;
  }
  if (!IsExistingFile(name) || !cx.input.open(name)) return d01ozu::kStatusNoInput;
  uint8_t tail[d01ozu::kR00TailSize];
  d01ozu::InputFormat found = d01ozu::InputFormat::kUnknown;
  d01ozu::detect_input_header(&cx.input, tail, found);
  cx.input.close();
  // A file without a signature is taken for T01, which has none.
  format = found == d01ozu::InputFormat::kUnknown ? d01ozu::InputFormat::kT01 : found;
  header = found == d01ozu::InputFormat::kUnknown ? 0 : 1;
  eph = ion = found == d01ozu::InputFormat::kR00 ? 1 : 0;
  std::strcpy(entry, name);
  return d01ozu::kStatusOk;
}

StatusCode PrepareNames(ConversionContext& cx) {
  if (!cx.header_flag) cx.eph_flag = cx.ion_flag = 0;
  if (cx.inputs[0][0] == '\0') return d01ozu::kStatusNoInput;
  std::string output = cx.have_output ? cx.output_name : cx.inputs[0];
  if (EndsWithSeparator(output)) output.pop_back();
  if (IsDirectory(output.c_str())) {
    if (!EndsWithSeparator(output)) output += '/';
    output += cx.inputs[0] + NamePartOffset(cx.inputs[0]);
    size_t ext = ExtensionOffset(output.c_str());
    if (ext != kNoExtension) output.resize(ext);
  }
  size_t ext = ExtensionOffset(output.c_str());
  const char* dat_extension = d01ozu::kTemporaryDatExtension;
  if (ext == kNoExtension)
    ext = output.size();
  else if (cx.have_output)
    dat_extension = output.c_str() + ext;
  size_t longest = std::max(std::strlen(dat_extension), kExtensionLength);
  if (ext + longest >= kPathSize) {
    Say(cx, 1, kMsgError, "output name longer than 255 characters");
    return d01ozu::kStatusDatOpen;
  }
  std::strcpy(cx.dat_extension, dat_extension);
  std::strcpy(cx.output_name, output.c_str());
  cx.extension_pos = ext;
  if (!cx.message_sink) cx.verbose = 0;
  return d01ozu::kStatusOk;
}

bool FormOutputName(ConversionContext& cx, const char* extension) {
  size_t length = std::strlen(extension);
  if (cx.extension_pos + length >= kPathSize) return false;
  std::memcpy(cx.output_name + cx.extension_pos, extension, length + 1);
  return true;
}

}  // namespace rawsplit
