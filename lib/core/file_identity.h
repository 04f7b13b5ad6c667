// Whether two path names name one file: the device and inode where both
// exist (so that symbolic links, hard links and other spellings of a path
// match), else the lexically normalised absolute paths.
#pragma once

#include <string>

namespace d01ozu {

// path made absolute against the working directory, with empty and "."
// components dropped and each ".." removing the component before it.
std::string NormalisedPath(const std::string& path);

// True when a and b name the same file.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace d01ozu
