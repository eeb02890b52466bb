#include "data/json_path.h"

#include <cstring>

#include "data/json_rapidjson.h"
#include "data/json_utf8.h"
#include "runtime/wide_string.h"

namespace {

// The first member whose name has exactly these bytes; duplicate names find the earliest.
rapidjson::Value* FindMember(rapidjson::Value* object, const char* name, size_t length) {
  for (auto member = object->MemberBegin(); member != object->MemberEnd(); ++member) {
    if (member->name.GetStringLength() == length &&
        (length == 0 || std::memcmp(member->name.GetString(), name, length) == 0)) {
      return &member->value;
    }
  }
  return nullptr;
}

rapidjson::Value* FindElement(rapidjson::Value* array, const char* token, size_t length) {
  if (length == 0 || (token[0] == '0' && length > 1)) return nullptr;
  uint64_t index = 0;
  for (size_t i = 0; i < length; ++i) {
    if (token[i] < '0' || token[i] > '9') return nullptr;
    index = index * 10 + static_cast<unsigned>(token[i] - '0');
    if (index >= array->Size()) return nullptr;  // also stops any overflow
  }
  return &(*array)[static_cast<rapidjson::SizeType>(index)];
}

// Undoes "~0" and "~1" in place; returns the new length, or -1 for any other "~".
long long UnescapeToken(char* token, size_t length) {
  size_t out = 0;
  for (size_t i = 0; i < length; ++i) {
    char c = token[i];
    if (c == '~') {
      if (i + 1 >= length || (token[i + 1] != '0' && token[i + 1] != '1')) return -1;
      c = token[++i] == '0' ? '~' : '/';
    }
    token[out++] = c;
  }
  return static_cast<long long>(out);
}

rapidjson::Value* ResolvePointer(rapidjson::Value* root, char* path, size_t length) {
  rapidjson::Value* current = root;
  size_t start = 1;  // just after a "/"
  while (current) {
    size_t end = start;
    while (end < length && path[end] != '/') ++end;
    const long long tokenLength = UnescapeToken(path + start, end - start);
    if (tokenLength < 0) return nullptr;
    const size_t n = static_cast<size_t>(tokenLength);
    if (current->IsObject()) {
      current = FindMember(current, path + start, n);
    } else if (current->IsArray()) {
      current = FindElement(current, path + start, n);
    } else {
      current = nullptr;
    }
    if (end >= length) break;
    start = end + 1;
  }
  return current;
}

}  // namespace

rapidjson::Value* ResolveJsonPath(rapidjson::Value* root, const CWString& path) {
  if (!root || path.IsEmpty()) return nullptr;
  JsonUtf8Text<256> bytes;
  if (!bytes.Convert(path.GetText(), static_cast<size_t>(path.GetLength()))) return nullptr;
  if (path.GetText()[0] == L'/') return ResolvePointer(root, bytes.Data(), bytes.Size());
  return root->IsObject() ? FindMember(root, bytes.Data(), bytes.Size()) : nullptr;
}
