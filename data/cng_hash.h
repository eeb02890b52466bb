// One digest computed piece by piece by the platform's cryptography provider (CNG), called through the
// bound Bcrypt.dll functions (BindExternalFunctions must have run). Owns its provider and hash handles
// and releases them when it goes. Each object is used by one thread; separate objects do not interact.
#pragma once

#include <cstdint>

#include "runtime/byte_buffer.h"

class CngHash {
 public:
  // Opens the default provider of `algorithm` (a CNG identifier such as L"MD5") and a hash object.
  explicit CngHash(const wchar_t* algorithm);
  CngHash(const CngHash&) = delete;
  CngHash& operator=(const CngHash&) = delete;
  ~CngHash();

  // False when the provider or the hash object could not be had, or a step has failed since.
  bool IsUsable() const { return m_hash != nullptr && !m_failed; }

  // Adds `size` bytes (any size: larger inputs go in pieces the provider accepts). False on failure.
  bool Update(const void* data, uint64_t size);
  // The digest, exactly as long as the provider says; empty after any failure. Call once.
  CVolMem Finish();

 private:
  void* m_algorithm = nullptr;
  void* m_hash = nullptr;
  bool m_failed = false;
};
