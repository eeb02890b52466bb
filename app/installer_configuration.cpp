#include "app/installer_configuration.h"

#include <utility>
#include <vector>

#include "app/safe_names.h"
#include "data/json_object.h"
#include "net/http_client.h"
#include "runtime/text_array.h"

namespace {

// The document's values, read before the state is touched.
struct ConfigurationValues {
  CWString licenceUrl;
  bool chineseDirAllowed = false;
  int32_t downloadThreadLimit = 0;
  CWString runFileName;
  CWString shortcutName;
  std::vector<CWString> startImageUrls, installImageUrls;
  std::vector<CWString> partNames, partUrls, partMd5s;
};

void ReadImageUrls(const CWString& arrayText, std::vector<CWString>& urls) {
  JsonArray items;
  items.parseText(arrayText);
  for (int32_t k = 0; k < items.itemCount(); ++k) {
    CWString url;
    items.itemText(url, k);
    urls.push_back(url);
  }
}

ConfigurationValues ReadValues(const JsonObject& document) {
  ConfigurationValues values;
  values.licenceUrl = document.getText(CWString(L"/用户许可文件地址"));
  values.chineseDirAllowed = !document.getText(CWString(L"/路径是否支持中文")).IsDifferent(L"是");
  values.downloadThreadLimit = document.getInteger(CWString(L"/下载线程限制"));
  values.runFileName = document.getText(CWString(L"/解压完成运行文件名"));
  values.shortcutName = document.getText(CWString(L"/桌面快捷方式名称"));

  JsonObject pictures;
  document.getContainer(CWString(L"/背景图片"), pictures);
  CVolTextArray names, texts, types;
  pictures.listMembers(names, texts, types);
  for (int64_t i = 0; i < names.GetCount(); ++i) {
    const CWString name(names.GetItemText(i));
    if (!name.IsDifferent(L"初始界面")) ReadImageUrls(CWString(texts.GetItemText(i)), values.startImageUrls);
    if (!name.IsDifferent(L"安装界面")) ReadImageUrls(CWString(texts.GetItemText(i)), values.installImageUrls);
  }

  JsonObject parts;
  document.getContainer(CWString(L"/软件下载"), parts);
  CVolTextArray items;
  parts.listItemTexts(items);
  for (int64_t i = 0; i < items.GetCount(); ++i) {
    JsonObject item;
    item.parseText(CWString(items.GetItemText(i)));
    values.partNames.push_back(item.getText(CWString(L"/名称")));
    values.partUrls.push_back(item.getText(CWString(L"/地址")));
    values.partMd5s.push_back(item.getText(CWString(L"/MD5")));
  }
  return values;
}

// The first name that could reach outside the install folder, or null.
const CWString* FindUnsafeName(const ConfigurationValues& values) {
  for (const CWString& name : values.partNames) {
    if (!IsPlainFileName(name)) return &name;
  }
  if (!IsPlainFileName(values.shortcutName)) return &values.shortcutName;
  if (!IsContainedRelativePath(values.runFileName)) return &values.runFileName;
  return nullptr;
}

std::vector<CVolMem> FetchPictures(const std::vector<CWString>& urls) {
  std::vector<CVolMem> pictures;
  for (const CWString& url : urls) pictures.push_back(FetchBytes(url));
  return pictures;
}

// The document's text; empty when it could not be fetched or the server answered with an error status
// (an error page is no configuration, even when its body happens to be JSON).
CWString FetchConfigurationText(const CWString& url) {
  CWString target = url;
  CWString cookies, headers;
  HttpResponseInfo response;
  CWString text = FetchText(target, CWString(), CVolMem(), CWString(), CWString(), cookies, headers, CWString(),
                            CWString(), CWString(), CWString(), response);
  if (response.statusCode < 200 || response.statusCode > 299) return CWString();
  return text;
}

template <typename T>
void Append(std::vector<T>& list, std::vector<T>&& more) {
  for (T& item : more) list.push_back(std::move(item));
}

}  // namespace

ConfigurationOutcome ApplyConfigurationTo(InstallerState& state, const CWString& configurationUrl) {
  ConfigurationOutcome outcome;
  CWString text;
  {
    LockGuard guard(state.lock);
    text = state.configText;
  }
  if (text.IsEmpty()) {
    text = FetchConfigurationText(configurationUrl);
    LockGuard guard(state.lock);
    // Another thread may have stored it meanwhile; the first text stays.
    if (state.configText.IsEmpty()) {
      state.configText = text;
    } else {
      text = state.configText;
    }
  }

  JsonObject document;
  if (text.IsEmpty() || !document.parseText(text)) {
    outcome.result = ConfigurationResult::Unusable;
    return outcome;
  }
  ConfigurationValues values = ReadValues(document);
  if (const CWString* unsafe = FindUnsafeName(values)) {
    outcome.result = ConfigurationResult::UnsafeName;
    outcome.unsafeName = *unsafe;
    return outcome;
  }

  const CWString licenceText = FetchText(values.licenceUrl);
  std::vector<CVolMem> startImages = FetchPictures(values.startImageUrls);
  std::vector<CVolMem> installImages = FetchPictures(values.installImageUrls);

  LockGuard guard(state.lock);
  state.licenceUrl = values.licenceUrl;
  state.licenceText = licenceText;
  state.chineseDirAllowed = values.chineseDirAllowed;
  state.downloadThreadLimit = values.downloadThreadLimit;
  state.runFileName = values.runFileName;
  state.shortcutName = values.shortcutName;
  Append(state.startImages, std::move(startImages));
  Append(state.installImages, std::move(installImages));
  Append(state.partNames, std::move(values.partNames));
  Append(state.partUrls, std::move(values.partUrls));
  Append(state.partMd5s, std::move(values.partMd5s));
  outcome.hasPictures = !state.startImages.empty() || !state.installImages.empty();
  return outcome;
}

CWString UnsafeNameMessage(const CWString& name) {
  return CWString::Concat(CWString(L"配置文件中的文件名不安全："), name);
}
