#include "testdata/block_container.h"

#include <brotli/encode.h>
#include <bzlib.h>
#include <zlib.h>
#include <zstd.h>

#include "input/container_layout.h"
#include "input/su_compr_common.h"
#include "testdata/su_encoder.h"

namespace writers {

namespace dz = d01ozu;

Bytes container_header(int major, int minor, bool t04) {
  const uint8_t* magic = t04 ? dz::kT04Magic : dz::kT02Magic;
  Bytes body(magic, magic + 6);
  // bytes 10..16: two kept, flag and value, one kept, major, minor, one kept
  Bytes tail{0x11, 0x22, 0x85, 0x33, static_cast<uint8_t>(major), static_cast<uint8_t>(minor),
             0x44};
  append(body, tail);
  return raw_block(dz::kBlockHeader, body);
}

Bytes raw_block(uint8_t kind, const Bytes& body) {
  const size_t n = body.size();
  Bytes b{kind, static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 8),
          static_cast<uint8_t>(n)};
  append(b, body);
  return b;
}

Bytes stored_without_stx(const Bytes& frame) {
  const uint8_t type = frame[dz::kRawTypeOffset];
  const bool exempt = dz::raw_type_checksum_exempt(type);
  Bytes stored(frame.begin() + 1, frame.end() - (exempt ? 2 : 3));
  // stored[0] and stored[2] are frame bytes 1 and 3: the length fields.
  Bytes header{0, stored[0], type, stored[2]};
  dz::write_raw_frame_length(header.data(), type, static_cast<int>(stored.size()));
  stored[0] = header[1];
  stored[2] = header[3];
  return stored;
}

Bytes block_data(uint8_t kind, const std::vector<Bytes>& frames) {
  Bytes data;
  for (const Bytes& f : frames)
    append(data, dz::block_records_with_stx(kind) ? f : stored_without_stx(f));
  return data;
}

Bytes zlib_compress(const Bytes& data) {
  uLongf size = compressBound(data.size());
  Bytes out(size);
  compress2(out.data(), &size, data.data(), data.size(), 6);
  out.resize(size);
  return out;
}

Bytes bzip2_compress(const Bytes& data) {
  unsigned int size = static_cast<unsigned int>(data.size() + data.size() / 100 + 600);
  Bytes out(size);
  Bytes in(data);
  BZ2_bzBuffToBuffCompress(reinterpret_cast<char*>(out.data()), &size,
                           reinterpret_cast<char*>(in.data()), static_cast<unsigned int>(in.size()),
                           9, 0, 0);
  out.resize(size);
  return out;
}

Bytes brotli_compress(const Bytes& data) {
  size_t size = BrotliEncoderMaxCompressedSize(data.size());
  Bytes out(size ? size : 16);
  size = out.size();
  BrotliEncoderCompress(5, BROTLI_DEFAULT_WINDOW, BROTLI_MODE_GENERIC, data.size(), data.data(),
                        &size, out.data());
  out.resize(size);
  return out;
}

Bytes zstd_compress(const Bytes& data) {
  Bytes out(ZSTD_compressBound(data.size()));
  size_t size = ZSTD_compress(out.data(), out.size(), data.data(), data.size(), 3);
  out.resize(ZSTD_isError(size) ? 0 : size);
  return out;
}

Bytes data_block(uint8_t kind, const Bytes& data) {
  const dz::BlockSignature& sig = dz::kBlockSignatures[kind < 10 ? kind : 9];
  Bytes signature(sig.bytes, sig.bytes + sig.size);
  Bytes body;
  switch (kind) {
    case dz::kBlockBzip2:
    case dz::kBlockBzip2Bare:
      body = bzip2_compress(data);
      break;
    case dz::kBlockZlib:
      body = signature;
      append(body, zlib_compress(data));
      break;
    case dz::kBlockSuCoded:
      body = signature;
      append(body, su_encode(data, true));
      break;
    case dz::kBlockBrotli:
      body = signature;
      append(body, brotli_compress(data));
      break;
    case dz::kBlockZstd:
      body = zstd_compress(data);
      break;
    default:  // stored, and kinds the reader refuses: the data as it is
      body = signature;
      append(body, data);
  }
  return raw_block(kind, body);
}

}  // namespace writers
