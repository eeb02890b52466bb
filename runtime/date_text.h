// Date and time texts of OLE automation dates (days since 1899-12-30 as a double), in two styles:
//   Chinese: 2023年3月15日12时30分15秒     Plain: 3/15/2023 12:30:15
// The time is written only as far as its last non-zero part (12时, 12时30分; 12, 12:30). Conversions go
// through the platform's OLE date functions.
#pragma once

class CWString;

enum class DateTextStyle { Chinese, Plain };

// The accepted range of dates; TextToDate returns kEarliestDate for a text it cannot read.
constexpr double kEarliestDate = -657434.0;
constexpr double kLatestDate = 2958465.0;

// Replaces `out` with the date's text; a date outside the range (or one the platform rejects) gives an
// empty text.
void DateToText(double date, DateTextStyle style, CWString& out);

// Reads a text of either layout back. Between fields '-', '.', '/' and ':' are accepted, a space after
// the date part, and in the Chinese style the unit characters (a final '秒' too). An empty text, a
// text with anything after its fields, or an invalid date gives kEarliestDate.
double TextToDate(const wchar_t* text, DateTextStyle style);
