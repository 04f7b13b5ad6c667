#include "testdata/record35_writer.h"

#include "testdata/block_container.h"
#include "testdata/t0x_writers.h"

namespace writers {

namespace {

constexpr uint8_t kRecord35 = 35;

}  // namespace

Bytes varint(uint64_t v) {
  Bytes out;
  do {
    uint8_t b = v & 0x7F;
    v >>= 7;
    out.push_back(static_cast<uint8_t>(b | (v ? 0x80 : 0)));
  } while (v);
  return out;
}

Bytes record35_page(uint8_t page_code, uint64_t subtype, uint64_t subsubtype, const Bytes& part) {
  Bytes payload = varint(subtype);
  append(payload, varint(subsubtype));
  append(payload, part);
  return raw_frame(kRecord35, static_cast<uint8_t>((page_code & 3) << 4), payload);
}

std::vector<Bytes> record35_pages(uint64_t subtype, uint64_t subsubtype, const Bytes& body,
                                  size_t part_size) {
  if (body.size() <= part_size) return {record35_page(0, subtype, subsubtype, body)};
  std::vector<Bytes> pages;
  for (size_t at = 0; at < body.size(); at += part_size) {
    const size_t end = std::min(body.size(), at + part_size);
    const uint8_t code = at == 0 ? 1 : end == body.size() ? 3 : 2;
    pages.push_back(
        record35_page(code, subtype, subsubtype, Bytes(body.begin() + at, body.begin() + end)));
  }
  return pages;
}

Bytes t04_file(const std::vector<Bytes>& frames, uint8_t kind) {
  Bytes file = container_header(9, 9, true);
  append(file, frames_block(kind, frames));
  return file;
}

Bytes text_bytes(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

std::string writer_schema(const std::string& name, int version,
                          const std::vector<std::pair<std::string, std::string>>& fields) {
  std::string s = "{\r\n  \"type\": \"record\",\r\n  \"name\": \"" + name +
                  "\",\r\n  \"namespace\": \"com.orvane.t04.avro\",\r\n  \"version\": " +
                  std::to_string(version) + ",\r\n  \"description\": \"test\",\r\n  \"fields\": [";
  for (size_t i = 0; i < fields.size(); ++i)
    s += std::string(i ? "," : "") + "\r\n    {\"name\": \"" + fields[i].first +
         "\", \"type\": " + fields[i].second + "}";
  return s + "\r\n  ]\r\n}\r\n";
}

Bytes avro_body(const std::string& schema_json, const std::function<void(avro_value_t*)>& fill) {
  avro_schema_t schema = nullptr;
  if (avro_schema_from_json_length(schema_json.c_str(), schema_json.size(), &schema) != 0)
    return {};
  avro_value_iface_t* iface = avro_generic_class_from_schema(schema);
  avro_value_t value;
  avro_generic_value_new(iface, &value);
  fill(&value);
  size_t size = 0;
  avro_value_sizeof(&value, &size);
  Bytes out(size + 1);
  avro_writer_t writer =
      avro_writer_memory(reinterpret_cast<char*>(out.data()), static_cast<int64_t>(out.size()));
  const bool ok = avro_value_write(writer, &value) == 0;
  out.resize(ok ? static_cast<size_t>(avro_writer_tell(writer)) : 0);
  avro_writer_free(writer);
  avro_value_decref(&value);
  avro_value_iface_decref(iface);
  avro_schema_decref(schema);
  return out;
}

avro_value_t field(avro_value_t* record, const char* name) {
  avro_value_t f{};
  avro_value_get_by_name(record, name, &f, nullptr);
  return f;
}

avro_value_t append_element(avro_value_t* array) {
  avro_value_t e{};
  avro_value_append(array, &e, nullptr);
  return e;
}

void set_long(avro_value_t* record, const char* name, int64_t v) {
  avro_value_t f = field(record, name);
  avro_value_set_long(&f, v);
}

void set_longs(avro_value_t* record, const char* name, const std::vector<int64_t>& values) {
  avro_value_t f = field(record, name);
  for (int64_t v : values) {
    avro_value_t e = append_element(&f);
    avro_value_set_long(&e, v);
  }
}

std::vector<int64_t> DeltaCoder::code(const std::string& field, const std::vector<int64_t>& values,
                                      int method, bool key) {
  if (method < 0) return values;
  State& s = states_[field];
  s.predictor.resize(values.size());
  s.last.resize(values.size());
  std::vector<int64_t> out(values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    const int64_t v = values[i];
    out[i] = key ? v : static_cast<int64_t>(static_cast<uint64_t>(v) - s.predictor[i]);
    const int64_t q = s.last[i];
    s.predictor[i] =
        method == 1 && !key ? static_cast<int64_t>(2 * static_cast<uint64_t>(v) - q) : v;
    if (method == 1) s.last[i] = v;
    if (method == 0 && key) s.last[i] = 0;
  }
  return out;
}

namespace {

// Scalars: numbers from seed, two bytes for bytes and strings.
void fill_scalar(avro_value_t* value, int64_t seed) {
  switch (avro_value_get_type(value)) {
    case AVRO_INT64:
      avro_value_set_long(value, seed);
      break;
    case AVRO_INT32:
      avro_value_set_int(value, static_cast<int32_t>(seed));
      break;
    case AVRO_DOUBLE:
      avro_value_set_double(value, static_cast<double>(seed) + 0.5);
      break;
    case AVRO_FLOAT:
      avro_value_set_float(value, static_cast<float>(seed) + 0.25f);
      break;
    case AVRO_BOOLEAN:
      avro_value_set_boolean(value, 1);
      break;
    case AVRO_BYTES:
      avro_value_set_bytes(value, const_cast<char*>("ab"), 2);
      break;
    case AVRO_STRING:
      avro_value_set_string(value, "ab");
      break;
    default:
      break;
  }
}

}  // namespace

void fill_sample(avro_value_t* value, int64_t seed) {
  const avro_type_t type = avro_value_get_type(value);
  if (type == AVRO_ARRAY) {
    for (int i = 0; i < 2; ++i) {
      avro_value_t e = append_element(value);
      fill_sample(&e, seed + i);
    }
  } else if (type == AVRO_RECORD) {
    size_t n = 0;
    avro_value_get_size(value, &n);
    for (size_t i = 0; i < n; ++i) {
      avro_value_t f;
      avro_value_get_by_index(value, i, &f, nullptr);
      fill_sample(&f, seed + static_cast<int64_t>(i));
    }
  } else {
    fill_scalar(value, seed);
  }
}

void fill_consistent_sample(avro_value_t* value, int64_t seed) {
  fill_sample(value, seed);
  for (const char* count : {"_Na", "_Nb"}) {
    avro_value_t f;
    if (avro_value_get_by_name(value, count, &f, nullptr) == 0) avro_value_set_long(&f, 2);
  }
  for (const char* counts : {"_Nb_Na", "_Na_Na"}) {
    avro_value_t f, e;
    if (avro_value_get_by_name(value, counts, &f, nullptr) != 0) continue;
    for (size_t i = 0; i < 2 && avro_value_get_by_index(&f, i, &e, nullptr) == 0; ++i)
      avro_value_set_long(&e, 1);
  }
}

}  // namespace writers
