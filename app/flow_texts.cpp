#include "app/flow_texts.h"

#include <cmath>

#include "runtime/number_text.h"

namespace {

constexpr int64_t kKibi = 1024;
constexpr int64_t kMebi = kKibi * 1024;
constexpr int64_t kGibi = kMebi * 1024;
constexpr int64_t kShownNameUnits = 40;

}  // namespace

CWString speedText(int64_t bytes) {
  CWString text(L"网速：");
  if (bytes <= kKibi) return text.AddText(CWString(bytes)).AddText(L"B/s");
  // The larger bands first drop the bytes below their unit's previous step, then round.
  if (bytes <= kMebi) return text.AddDouble(RoundTo2Decimals(bytes / 1024.0)).AddText(L"KB/s");
  if (bytes <= kGibi) return text.AddDouble(RoundTo2Decimals((bytes / kKibi) / 1024.0)).AddText(L"MB/s");
  return text.AddDouble(RoundTo2Decimals((bytes / kMebi) / 1024.0)).AddText(L"GB/s");
}

CWString downloadStatusText(int32_t startedDownloads, int64_t partCount, const CWString& speed) {
  CWString text(L"正在下载:(");
  text.AddText(CWString(startedDownloads)).AddChar(L'/').AddText(CWString(partCount)).AddText(L") ");
  return text.AddText(speed);
}

CWString localCheckStatusText(int64_t fileNumber, int64_t fileCount) {
  CWString text(L"开始校验本地文件,请稍侯......(");
  return text.AddText(CWString(fileNumber)).AddChar(L'/').AddText(CWString(fileCount)).AddChar(L')');
}

CWString extractionStatusText(const CWString& itemName, int32_t percent) {
  CWString text(L"正在抽取:");
  text.AddText(itemName.GetLength() > kShownNameUnits ? itemName.Left(kShownNameUnits) : itemName);
  return text.AddText(L"... ").AddText(CWString(percent)).AddChar(L'%');
}

int32_t downloadBarPercent(double percent, int32_t previous) {
  if (!std::isfinite(percent)) return previous;
  const double whole = std::floor(SnapToInteger(percent));
  if (whole <= 0) return 0;
  if (whole >= 100) return 100;
  return static_cast<int32_t>(whole);
}
