// Receives the items the library extracts: creates their folders and files below the destination, turns
// the library's progress into the caller's callbacks, and keeps the first failure for the caller.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "data/sevenzip/com_object.h"
#include "data/sevenzip/interfaces.h"
#include "data/sevenzip/streams.h"

namespace sevenzip {

// The caller's view of an extraction, each optional. They run on the extracting thread.
struct ExtractCallbacks {
  std::function<void(uint64_t total)> total;         // bytes to unpack
  std::function<bool(uint64_t processed)> progress;  // false stops the extraction
  std::function<void(uint64_t packed, uint64_t unpacked)> ratio;
  std::function<void(const std::wstring& item)> file;  // the item about to be written
};

// One archive item as it will be written (its path already checked and made relative).
struct ItemTarget {
  std::wstring relative;  // below the destination, backslashes; empty = the destination itself
  bool isFolder = false;
  bool encrypted = false;
  bool hasModified = false;
  FILETIME modified = {};
  DWORD attributes = 0;
};

class ExtractCallback
    : public ComObject<IArchiveExtractCallback, ICompressProgressInfo, ICryptoGetTextPassword> {
 public:
  // `root`: the destination as an absolute long-path form ("\\?\C:\dest"), which must exist. `items` by
  // index; `callbacks` must outlive the extraction.
  ExtractCallback(std::wstring root, std::vector<ItemTarget> items, const ExtractCallbacks& callbacks,
                  std::wstring password);

  HRESULT STDMETHODCALLTYPE SetTotal(uint64_t total) override;
  HRESULT STDMETHODCALLTYPE SetCompleted(const uint64_t* completed) override;
  HRESULT STDMETHODCALLTYPE GetStream(uint32_t index, ISequentialOutStream** stream,
                                      int32_t askMode) override;
  HRESULT STDMETHODCALLTYPE PrepareOperation(int32_t askMode) override;
  HRESULT STDMETHODCALLTYPE SetOperationResult(int32_t result) override;
  HRESULT STDMETHODCALLTYPE SetRatioInfo(const uint64_t* inSize, const uint64_t* outSize) override;
  HRESULT STDMETHODCALLTYPE CryptoGetTextPassword(BSTR* password) override;

  // Called once the library's Extract returned `result`: removes a file left half-written and throws
  // ArchiveError describing the first failure, if there was one.
  void Complete(HRESULT result);

 private:
  const ItemTarget& CurrentItem() const { return m_items[m_currentIndex]; }
  // Keeps the first failure; returns the code that stops the library.
  HRESULT Fail(const std::string& description);
  // Creates a folder below the root and its missing parents; 0 or the Windows error.
  DWORD EnsureFolder(const std::wstring& path);
  std::string DescribeResult(int32_t result) const;

  std::wstring m_root;
  std::vector<ItemTarget> m_items;
  const ExtractCallbacks& m_callbacks;
  std::wstring m_password;

  uint32_t m_currentIndex = 0;
  ComPtr<FileOutStream> m_current;
  std::unordered_set<std::wstring> m_knownFolders;
  std::string m_failure;
};

}  // namespace sevenzip
