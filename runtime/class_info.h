// Run-time class identity: one static record per class, created on first use (thread-safe) and never
// destroyed. Two records stand for the same class when they are the same record or carry equal hash,
// name length and name, so a class keeps its identity across separately built modules.
#pragma once

#include <cstdint>

class CVolObject;

struct CVolClassInfo {
  CVolObject* (*factory)();  // null for the CRefObject family
  const char* name;
  int64_t nameLength;
  int32_t hash;
};

// h = h * 5 + (signed) byte over the name; low 32 bits with bit 0 set and bit 31 cleared.
int32_t ClassNameHash(const char* name);

CVolClassInfo MakeClassInfo(const char* name, CVolObject* (*factory)());

bool IsSameClass(const CVolClassInfo* a, const CVolClassInfo* b);
