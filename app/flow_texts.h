// The texts the install flow writes to the status line and the speed display.
#pragma once

#include <cstdint>

#include "runtime/wide_string.h"

// "网速：" + the bytes of one progress tick (one second) in the largest fitting unit: up to 1024 the plain
// count with "B/s", then kibibytes ("KB/s"), mebibytes ("MB/s") and gibibytes ("GB/s") rounded to two
// decimals, e.g. 1025 -> "网速：1KB/s", 1536 -> "网速：1.5KB/s".
CWString speedText(int64_t bytesPerTick);

// "正在下载:(k/n) " + speed: k the downloads started so far, n the number of parts.
CWString downloadStatusText(int32_t startedDownloads, int64_t partCount, const CWString& speed);

// "开始校验本地文件,请稍侯......(i/n)" for the i-th (1-based) of n files of the install folder.
CWString localCheckStatusText(int64_t fileNumber, int64_t fileCount);

// "正在抽取:" + the first 40 code units of the item's name + "... " + percent + "%".
CWString extractionStatusText(const CWString& itemName, int32_t percent);

// The progress bar's value for a download's percentage: fractions dropped (a value within 1e-6 of an
// integer counts as that integer), kept within 0..100. A percentage that is not finite (a transfer of unknown
// size reports done / 0) leaves the bar at `previous`.
int32_t downloadBarPercent(double percent, int32_t previous);
