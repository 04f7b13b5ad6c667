// make_sample PATH: writes the small sample R00 input used by the README.
#include <cstdio>

#include "writers/frame_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_sample PATH\n");
    return 2;
  }
  writers::R00File file;
  writers::Bytes bytes = file.bytes();
  std::FILE* out = std::fopen(argv[1], "wb");
  if (!out) return 1;
  std::fwrite(bytes.data(), 1, bytes.size(), out);
  return std::fclose(out) == 0 ? 0 : 1;
}
