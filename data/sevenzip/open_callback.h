// What the library asks while opening an archive: progress (ignored), a password, and for an archive that
// spans several files the first file's name and the other volumes, which lie beside it.
#pragma once

#include <string>
#include <vector>

#include "data/sevenzip/com_object.h"
#include "data/sevenzip/interfaces.h"

namespace sevenzip {

class OpenCallback
    : public ComObject<IArchiveOpenCallback, IArchiveOpenVolumeCallback, ICryptoGetTextPassword> {
 public:
  // `folder` and `fileName` locate the archive's file; both empty for an archive in memory (no volumes).
  OpenCallback(std::wstring folder, std::wstring fileName, std::wstring password);

  HRESULT STDMETHODCALLTYPE SetTotal(const uint64_t* files, const uint64_t* bytes) override;
  HRESULT STDMETHODCALLTYPE SetCompleted(const uint64_t* files, const uint64_t* bytes) override;
  HRESULT STDMETHODCALLTYPE GetProperty(PROPID property, PROPVARIANT* value) override;
  HRESULT STDMETHODCALLTYPE GetStream(const wchar_t* name, IInStream** stream) override;
  HRESULT STDMETHODCALLTYPE CryptoGetTextPassword(BSTR* password) override;

  // The library asked for a password and none was given.
  bool PasswordMissing() const { return m_passwordMissing; }
  // The files the library asked for that do not exist (volumes, and names it merely tried).
  const std::vector<std::wstring>& MissingNames() const { return m_missingNames; }

 private:
  std::wstring m_folder;
  std::wstring m_fileName;
  std::wstring m_password;
  bool m_passwordMissing = false;
  std::vector<std::wstring> m_missingNames;
};

}  // namespace sevenzip
