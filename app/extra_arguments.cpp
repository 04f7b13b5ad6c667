// Extra arguments from the machine's configuration: site-wide options that act
// as if typed after the whole command line.
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/arguments.h"

namespace rawsplit {
namespace {

constexpr char kDefaultConfigPath[] = "/etc/Orvane/ZUROrovUzivov.conf";
constexpr char kValueKey[] = "UnpackCustomArgs=";

// The value of the first UnpackCustomArgs= line of the file at path; false
// when the file or the line is missing.
bool ReadConfigValue(const char* path, std::string& value) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  const size_t key_length = std::strlen(kValueKey);
  while (std::getline(in, line)) {
    if (line.compare(0, key_length, kValueKey) == 0) {
      value = line.substr(key_length);
      return true;
    }
  }
  return false;
}

}  // namespace

d01ozu::StatusCode ReadExtraArguments(ConversionContext& cx) {
  const char* path = std::getenv("RAWSPLIT_CONFIG");
  if (!path || !*path) path = kDefaultConfigPath;
  std::string value;
  if (!ReadConfigValue(path, value)) return d01ozu::kStatusOk;

  // Tokens at runs of blanks, tabs and line ends become arguments 1 to n.
  std::vector<std::string> tokens;
  const char* separators = " \t\r\n";
  size_t pos = value.find_first_not_of(separators);
  while (pos != std::string::npos) {
    size_t end = value.find_first_of(separators, pos);
    tokens.push_back(value.substr(pos, end == std::string::npos ? end : end - pos));
    pos = end == std::string::npos ? end : value.find_first_not_of(separators, end);
  }
  std::vector<const char*> argv;
  argv.push_back("");
  for (const std::string& t : tokens) argv.push_back(t.c_str());
  return ParseArguments(cx, static_cast<int>(argv.size()), argv.data(), false);
}

}  // namespace rawsplit
