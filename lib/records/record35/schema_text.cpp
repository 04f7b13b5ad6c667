#include "records/record35/schema_text.h"

namespace d01ozu {

namespace {

constexpr const char* kNamespace = "com.orvane.t04.avro";
constexpr const char* kLineEnd = "\r\n";

const char* primitive_name(SchemaKind kind) {
  switch (kind) {
    case SchemaKind::kLong:
      return "long";
    case SchemaKind::kInt:
      return "int";
    case SchemaKind::kFloat:
      return "float";
    case SchemaKind::kDouble:
      return "double";
    case SchemaKind::kBoolean:
      return "boolean";
    case SchemaKind::kBytes:
      return "bytes";
    case SchemaKind::kString:
      return "string";
    default:
      return "null";
  }
}

void append_fields(std::string& out, const SchemaNode& record, int indent);

// The type of node: a quoted primitive or record name, an array object, or a
// record definition whose fields go on lines of their own.
void append_type(std::string& out, const SchemaNode& node, int indent) {
  if (node.kind == SchemaKind::kArray) {
    out += "{\"type\": \"array\", \"items\": ";
    append_type(out, node.children[0], indent);
    out += "}";
  } else if (node.kind != SchemaKind::kRecord) {
    out += std::string("\"") + primitive_name(node.kind) + "\"";
  } else if (node.reference) {
    out += "\"" + node.type_name + "\"";
  } else {
    out += "{\"type\": \"record\", \"name\": \"" + node.type_name + "\", \"fields\": [";
    out += kLineEnd;
    append_fields(out, node, indent + 2);
    out += std::string(indent, ' ') + "]}";
  }
}

// One line per field, comma-separated.
void append_fields(std::string& out, const SchemaNode& record, int indent) {
  for (size_t i = 0; i < record.children.size(); ++i) {
    const SchemaNode& f = record.children[i];
    out += std::string(indent, ' ') + "{\"name\": \"" + f.name + "\", \"type\": ";
    append_type(out, f, indent);
    out += i + 1 < record.children.size() ? "}," : "}";
    out += kLineEnd;
  }
}

}  // namespace

std::string GenerateSchemaText(const SubtypeRow& row, const SchemaNode& root) {
  std::string out = "{";
  out += kLineEnd;
  out += "  \"type\": \"record\",";
  out += kLineEnd;
  out += "  \"name\": \"" + root.type_name + "\",";
  out += kLineEnd;
  out += std::string("  \"namespace\": \"") + kNamespace + "\",";
  out += kLineEnd;
  out += "  \"version\": " + std::to_string(row.version) + ",";
  out += kLineEnd;
  out += std::string("  \"description\": \"") + row.description + "\",";
  out += kLineEnd;
  out += "  \"fields\": [";
  out += kLineEnd;
  append_fields(out, root, 4);
  out += "  ]";
  out += kLineEnd;
  out += "}";
  out += kLineEnd;
  return out;
}

}  // namespace d01ozu
