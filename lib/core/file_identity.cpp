#include "core/file_identity.h"

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace d01ozu {

std::string NormalisedPath(const std::string& path) {
  std::string full = path;
  if (full.empty() || full[0] != '/') {
    std::vector<char> cwd(4096);
    if (::getcwd(cwd.data(), cwd.size())) full = std::string(cwd.data()) + "/" + path;
  }
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= full.size()) {
    size_t end = full.find('/', start);
    if (end == std::string::npos) end = full.size();
    std::string part = full.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string out;
  for (const std::string& part : parts) out += "/" + part;
  return out.empty() ? "/" : out;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  return NormalisedPath(a) == NormalisedPath(b);
}

}  // namespace d01ozu
