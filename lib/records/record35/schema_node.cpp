#include "records/record35/schema_node.h"

#include <cctype>
#include <cstring>
#include <map>

#include "records/record35/schema_text.h"

namespace d01ozu {

namespace {

// Recursive-descent reader of the field-list notation of the subtype table.
class FieldListParser {
 public:
  explicit FieldListParser(const char* text) : p_(text) {}

  // fields := field (';' field)*, up to the closing brace or the end.
  bool fields(std::vector<SchemaNode>* out) {
    do {
      SchemaNode field;
      field.name = word();
      if (field.name.empty() || !expect(':') || !type(&field)) return false;
      out->push_back(std::move(field));
    } while (accept(';'));
    return true;
  }
  bool at_end() {
    skip_blanks();
    return *p_ == '\0';
  }

 private:
  // type := primitive | array<type> | Name {fields} | Name (defined earlier)
  bool type(SchemaNode* node) {
    const std::string t = word();
    static const std::pair<const char*, SchemaKind> kPrimitives[] = {
        {"long", SchemaKind::kLong},       {"int", SchemaKind::kInt},
        {"float", SchemaKind::kFloat},     {"double", SchemaKind::kDouble},
        {"boolean", SchemaKind::kBoolean}, {"bytes", SchemaKind::kBytes},
        {"string", SchemaKind::kString}};
    for (const auto& prim : kPrimitives)
      if (t == prim.first) return node->kind = prim.second, true;
    if (t == "array") {
      node->kind = SchemaKind::kArray;
      node->children.resize(1);
      return expect('<') && type(&node->children[0]) && expect('>');
    }
    if (t.empty()) return false;
    node->kind = SchemaKind::kRecord;
    node->type_name = t;
    if (!accept('{')) return reference(node);
    if (records_.count(t) || !fields(&node->children) || !expect('}')) return false;
    records_[t] = node->children;
    return true;
  }
  // A record type used again: same fields, written as its name.
  bool reference(SchemaNode* node) {
    auto it = records_.find(node->type_name);
    if (it == records_.end()) return false;
    node->children = it->second;
    node->reference = true;
    return true;
  }
  std::string word() {
    skip_blanks();
    const char* start = p_;
    while (std::isalnum(static_cast<unsigned char>(*p_)) || *p_ == '_') ++p_;
    return std::string(start, p_);
  }
  bool accept(char c) {
    skip_blanks();
    if (*p_ != c) return false;
    ++p_;
    return true;
  }
  bool expect(char c) { return accept(c); }
  void skip_blanks() {
    while (*p_ == ' ') ++p_;
  }

  const char* p_;
  std::map<std::string, std::vector<SchemaNode>> records_;
};

bool listed(const char* names, const std::string& name) {
  const size_t n = name.size();
  for (const char* p = names; (p = std::strstr(p, name.c_str())) != nullptr; p += n) {
    const bool starts = p == names || p[-1] == ' ';
    if (starts && (p[n] == ' ' || p[n] == '\0')) return true;
  }
  return false;
}

// Gives every long below node its prediction method; field is the name of
// the nearest named field (array items take their array's).
void assign_methods(const SubtypeRow& row, SchemaNode* node, const std::string& field) {
  const std::string& name = node->name.empty() ? field : node->name;
  if (node->kind == SchemaKind::kLong && row.delta_coded && !listed(row.plain, name))
    node->method = listed(row.linear, name) ? 1 : 0;
  for (SchemaNode& child : node->children) assign_methods(row, &child, name);
}

int field_index(const SchemaNode& root, const std::string& name) {
  for (size_t i = 0; i < root.children.size(); ++i)
    if (root.children[i].name == name) return static_cast<int>(i);
  return -1;
}

// Links every column of a flattened subtype to its count field (the longest
// matching prefix wins).
bool assign_columns(const SubtypeRow& row, SchemaNode* root) {
  std::vector<size_t> matched(root->children.size(), 0);
  for (const char* p = row.columns; *p;) {
    const char* colon = std::strchr(p, ':');
    const char* end = std::strchr(p, ' ');
    if (!end) end = p + std::strlen(p);
    if (!colon || colon > end) return false;
    const int count = field_index(*root, std::string(p, colon));
    const std::string prefix(colon + 1, end);
    if (count < 0) return false;
    root->children[count].is_count = true;
    for (size_t i = 0; i < root->children.size(); ++i) {
      SchemaNode& f = root->children[i];
      if (f.kind != SchemaKind::kArray || f.name.compare(0, prefix.size(), prefix) != 0) continue;
      if (prefix.size() <= matched[i]) continue;
      matched[i] = prefix.size();
      f.count_field = count;
    }
    p = *end ? end + 1 : end;
  }
  return true;
}

}  // namespace

bool BuildSubtypeSchema(const SubtypeRow& row, SubtypeSchema* schema) {
  schema->row = &row;
  SchemaNode& root = schema->root;
  root = SchemaNode{};
  root.kind = SchemaKind::kRecord;
  root.type_name = "rec35_sub" + std::to_string(row.subtype);
  FieldListParser parser(row.fields);
  if (!parser.fields(&root.children) || !parser.at_end()) return false;
  assign_methods(row, &root, std::string());
  schema->flattened = row.columns[0] != '\0';
  if (!assign_columns(row, &root)) return false;
  schema->text = GenerateSchemaText(row, root);
  return true;
}

}  // namespace d01ozu
