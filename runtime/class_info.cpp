#include "runtime/class_info.h"

#include <cstring>

int32_t ClassNameHash(const char* name) {
  uint64_t h = 0;
  for (const char* p = name; *p; ++p) h = h * 5 + static_cast<uint64_t>(static_cast<int64_t>(static_cast<signed char>(*p)));
  uint32_t low = static_cast<uint32_t>(h);
  low = (low | 1u) & 0x7FFFFFFFu;
  return static_cast<int32_t>(low);
}

CVolClassInfo MakeClassInfo(const char* name, CVolObject* (*factory)()) {
  return CVolClassInfo{factory, name, static_cast<int64_t>(std::strlen(name)), ClassNameHash(name)};
}

bool IsSameClass(const CVolClassInfo* a, const CVolClassInfo* b) {
  if (a == b) return true;
  if (!a || !b) return false;
  return a->hash == b->hash && a->nameLength == b->nameLength && std::strcmp(a->name, b->name) == 0;
}
