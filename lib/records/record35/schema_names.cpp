#include "records/record35/schema_names.h"

#include <jansson.h>

#include <cstring>
#include <set>
#include <string>

namespace d01ozu {

namespace {

constexpr int kDepthLimit = 128;

bool defines_named_type(json_t* object) {
  const char* type = json_string_value(json_object_get(object, "type"));
  return type && (std::strcmp(type, "record") == 0 || std::strcmp(type, "enum") == 0 ||
                  std::strcmp(type, "fixed") == 0);
}

// Walks every object and array below value; false at a name seen before.
bool walk(json_t* value, std::set<std::string>& names, int depth) {
  if (++depth > kDepthLimit) return false;
  if (json_is_array(value)) {
    for (size_t i = 0; i < json_array_size(value); ++i)
      if (!walk(json_array_get(value, i), names, depth)) return false;
    return true;
  }
  if (!json_is_object(value)) return true;
  const char* name = json_string_value(json_object_get(value, "name"));
  if (name && defines_named_type(value) && !names.insert(name).second) return false;
  const char* key = nullptr;
  json_t* member = nullptr;
  json_object_foreach(value, key, member) {
    if (!walk(member, names, depth)) return false;
  }
  return true;
}

}  // namespace

bool NamedTypesDefinedOnce(const uint8_t* text, size_t length) {
  json_error_t error;
  json_t* root = json_loadb(reinterpret_cast<const char*>(text), length, JSON_DECODE_ANY, &error);
  if (!root) return false;
  std::set<std::string> names;
  const bool once = walk(root, names, 0);
  json_decref(root);
  return once;
}

}  // namespace d01ozu
