#include "data/cng_hash.h"

#include <windows.h>
#include <bcrypt.h>

#include <cstring>

#include "runtime/external_binding.h"

namespace {

using OpenAlgorithmProvider = decltype(&::BCryptOpenAlgorithmProvider);
using CloseAlgorithmProvider = decltype(&::BCryptCloseAlgorithmProvider);
using CreateHash = decltype(&::BCryptCreateHash);
using HashData = decltype(&::BCryptHashData);
using GetProperty = decltype(&::BCryptGetProperty);
using FinishHash = decltype(&::BCryptFinishHash);
using DestroyHash = decltype(&::BCryptDestroyHash);

bool Succeeded(NTSTATUS status) { return status == 0; }
constexpr NTSTATUS kBufferTooSmall = static_cast<NTSTATUS>(0xC0000023);

// The provider's largest single input is a 32-bit count.
constexpr uint64_t kLargestPiece = 0x80000000u;

}  // namespace

CngHash::CngHash(const wchar_t* algorithm) {
  const auto open = BoundFunction<OpenAlgorithmProvider>(kBCryptOpenAlgorithmProvider);
  const auto create = BoundFunction<CreateHash>(kBCryptCreateHash);
  if (!open || !create || !algorithm) return;  // not bound: no provider
  BCRYPT_ALG_HANDLE provider = nullptr;
  if (!Succeeded(open(&provider, algorithm, nullptr, 0))) return;
  m_algorithm = provider;
  BCRYPT_HASH_HANDLE hash = nullptr;
  if (Succeeded(create(provider, &hash, nullptr, 0, nullptr, 0, 0))) m_hash = hash;
}

CngHash::~CngHash() {
  if (m_hash) BoundFunction<DestroyHash>(kBCryptDestroyHash)(m_hash);
  if (m_algorithm) BoundFunction<CloseAlgorithmProvider>(kBCryptCloseAlgorithmProvider)(m_algorithm, 0);
}

bool CngHash::Update(const void* data, uint64_t size) {
  if (!IsUsable()) return false;
  const auto hashData = BoundFunction<HashData>(kBCryptHashData);
  auto* bytes = static_cast<UCHAR*>(const_cast<void*>(data));
  do {
    const ULONG piece = static_cast<ULONG>(size < kLargestPiece ? size : kLargestPiece);
    if (!Succeeded(hashData(m_hash, piece ? bytes : nullptr, piece, 0))) {
      m_failed = true;
      return false;
    }
    bytes += piece;
    size -= piece;
  } while (size > 0);
  return true;
}

CVolMem CngHash::Finish() {
  CVolMem digest;
  if (!IsUsable()) return digest;
  const auto getProperty = BoundFunction<GetProperty>(kBCryptGetProperty);
  // Asked for the size only, Windows answers with success and Wine with "buffer too small": both report it.
  ULONG propertySize = 0;
  const NTSTATUS sizeStatus = getProperty(m_algorithm, BCRYPT_HASH_LENGTH, nullptr, 0, &propertySize, 0);
  if (!Succeeded(sizeStatus) && !(sizeStatus == kBufferTooSmall && propertySize > 0)) return digest;
  CVolMem property;
  property.SetSize(propertySize < 4 ? 4 : propertySize);
  std::memset(property.GetData(), 0, static_cast<size_t>(property.GetSize()));
  ULONG written = 0;
  if (!Succeeded(getProperty(m_algorithm, BCRYPT_HASH_LENGTH, property.Bytes(), propertySize, &written, 0))) {
    return digest;
  }
  const uint8_t* p = property.Bytes();
  const ULONG digestLength = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<ULONG>(p[3]) << 24);
  digest.SetSize(digestLength);
  if (!Succeeded(BoundFunction<FinishHash>(kBCryptFinishHash)(m_hash, digest.Bytes(), digestLength, 0))) {
    digest.Clear();
  }
  m_failed = true;  // a finished hash takes no more input
  return digest;
}
