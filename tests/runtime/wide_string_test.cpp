#include "runtime/wide_string.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "runtime/number_text.h"
#include "runtime/serial_stream.h"
#include "runtime/string_array.h"
#include "runtime/text_conversion.h"
#include "runtime/text_utilities.h"

namespace {

std::wstring Text(const CWString& s) {
  return s.GetText();
}

TEST(ByteBuffer, CapacityFollowsTheStepRule) {
  CVolMem a;
  a.SetSize(64);
  EXPECT_EQ(a.GetCapacity(), 128);
  CVolMem b;
  b.SetSize(10);
  EXPECT_EQ(b.GetCapacity(), 64);

  CVolMem big;
  big.SetSize(1000);
  EXPECT_EQ(big.GetCapacity(), 1024);
  void* block = big.GetData();
  big.SetSize(1000 - 40);  // within one step: same block
  EXPECT_EQ(big.GetData(), block);
  EXPECT_EQ(big.GetCapacity(), 1024);
  big.SetSize(10);  // more than a step below: memory goes back
  EXPECT_EQ(big.GetCapacity(), 64);
  big.SetSize(0);
  EXPECT_EQ(big.GetData(), nullptr);
  EXPECT_EQ(big.GetCapacity(), 0);
}

TEST(ByteBuffer, AppendAndRemoveRanges) {
  CVolMem m;
  m.AppendBytes("abcdef", 6);
  m.AppendBytes(nullptr, 2);
  ASSERT_EQ(m.GetSize(), 8);
  EXPECT_EQ(m.Bytes()[6], 0);
  m.RemoveRange(1, 2);  // "adef\0\0"
  EXPECT_EQ(std::memcmp(m.GetData(), "adef", 4), 0);
  m.RemoveRange(-1, 2);  // cut two off the end
  EXPECT_EQ(m.GetSize(), 4);
  m.RemoveRange(2, 100);
  EXPECT_EQ(m.GetSize(), 2);
  m.RemoveRange(-1, 5);
  EXPECT_EQ(m.GetSize(), 0);
  EXPECT_EQ(m.GetData(), nullptr);

  CVolMem self("xyz", 3);
  self.AppendBytes(self.GetData(), 3);  // source inside the buffer
  EXPECT_EQ(std::string(static_cast<char*>(self.GetData()), 6), "xyzxyz");
}

TEST(ByteBuffer, HexTextIsUpperCaseWithoutSeparators) {
  const unsigned char bytes[] = {0x00, 0xAB};
  CVolMem m(bytes, 2);
  CWString hex;
  m.ToHexText(hex);
  EXPECT_EQ(Text(hex), L"00AB");
  CVolMem().ToHexText(hex);
  EXPECT_EQ(Text(hex), L"");
}

TEST(WideString, ConstantTextIsCopiedOnFirstWrite) {
  static const wchar_t literal[] = L"lit";
  CWConstString s(literal);
  EXPECT_EQ(s.GetText(), literal);
  CWString copy(s);
  EXPECT_EQ(copy.GetText(), literal);  // copies share the literal
  s.AddText(L"eral");
  EXPECT_EQ(Text(s), L"literal");
  EXPECT_STREQ(literal, L"lit");
  EXPECT_NE(s.GetText(), literal);
  EXPECT_EQ(s.GetLength(), 7);
}

TEST(WideString, ReadingRulesForEmptyStrings) {
  CWString empty;
  EXPECT_NE(empty.GetText(), nullptr);
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_EQ(empty.GetLength(), 0);
  CWConstString emptyLiteral(L"");
  EXPECT_TRUE(emptyLiteral.IsEmpty());
  emptyLiteral.MakeWritable();  // one zero unit: still empty
  EXPECT_TRUE(emptyLiteral.IsEmpty());
  EXPECT_EQ(emptyLiteral.Buffer().GetSize(), 2);
}

TEST(WideString, NumbersAndFloatingPointTexts) {
  CWString s;
  s.AddFloat(0.0f);
  EXPECT_EQ(Text(s), L"");
  s.AddDouble(0.0);
  EXPECT_EQ(Text(s), L"0");
  EXPECT_EQ(Text(CWString(1.5)), L"1.5");
  EXPECT_EQ(Text(CWString(1e20)), L"1E+20");
  EXPECT_EQ(Text(CWString(1.0)), L"1");
  EXPECT_EQ(Text(CWString(static_cast<int32_t>(-12))), L"-12");
  EXPECT_EQ(Text(CWString(static_cast<int64_t>(INT64_MIN))), L"-9223372036854775808");
  CWString f;
  f.AddFloat(0.1f);
  EXPECT_EQ(Text(f), L"0.1");
}

TEST(WideString, LengthLeftRightAndConcat) {
  CWString ab(L"ab");
  EXPECT_EQ(ab.SetLength(2), -1);
  ab.SetLength(5);
  EXPECT_EQ(Text(ab), L"ab   ");
  CWString abc(L"abc");
  EXPECT_EQ(Text(abc.Left(5)), L"abc");
  EXPECT_EQ(Text(abc.Left(0)), L"");
  EXPECT_EQ(Text(abc.Right(2)), L"bc");
  EXPECT_EQ(Text(abc.Right(0)), L"");
  EXPECT_EQ(Text(CWString::Concat(abc, CWString(L"de"))), L"abcde");
  EXPECT_EQ(Text(CWString::Concat(CWString(), abc)), L"abc");
  EXPECT_EQ(Text(CWString::Concat(abc, static_cast<const wchar_t*>(nullptr))), L"abc");
  EXPECT_TRUE(abc.StartsWithNoCase(L"AB"));
  EXPECT_FALSE(abc.StartsWithNoCase(L"abcd"));
  EXPECT_TRUE(abc.IsDifferent(L"abC"));
  EXPECT_FALSE(abc.IsDifferent(CWConstString(L"abc")));
  CWString cleared(L"x");
  cleared.SetText(nullptr, 0);
  EXPECT_TRUE(cleared.IsEmpty());
  cleared.SetText(nullptr, 2);
  EXPECT_EQ(cleared.GetLength(), 2);
}

TEST(WideString, FormatUsesWidePrintfConventions) {
  CWString s;
  s.Format(L"[%s|%I64X|%d]", L"库文件", 0xABCDEF0123ULL, -5);
  EXPECT_EQ(Text(s), L"[库文件|ABCDEF0123|-5]");
  s.Format(L"%s", L"");
  EXPECT_TRUE(s.IsEmpty());
  s.Format(L"%s and %s", L"a", L"b");
  s.Format(L"<%s>", s.GetText());  // arguments may point into the string itself
  EXPECT_EQ(Text(s), L"<a and b>");
  s.AddFormat(L"%d", 7);
  EXPECT_EQ(Text(s), L"<a and b>7");
}

TEST(WideString, Utf8RoundTripsAndInvalidInput) {
  const CWString original(L"Tonvexa 安装 \U0001F600");
  const CVolMem bytes = original.ToUtf8Bytes();
  EXPECT_EQ(bytes.GetSize(), 8 + 7 + 4);
  EXPECT_EQ(static_cast<const char*>(bytes.GetData())[bytes.GetSize()], 0);  // zero after the data
  CWString decoded;
  EXPECT_EQ(decoded.FromUtf8Bytes(bytes), original.GetLength());
  EXPECT_EQ(Text(decoded), Text(original));

  struct Case {
    const char* bytes;
    size_t size;
  } invalid[] = {{"\xC3", 1}, {"abc\xFF", 4}, {"\xED\xA0\x80", 3}, {"\xC0\xAF", 2}, {"ok\x80", 3}};
  for (const Case& c : invalid) {
    CWString s(L"previous");
    EXPECT_EQ(s.FromUtf8Bytes(CVolMem(c.bytes, static_cast<int64_t>(c.size))), 0) << c.bytes;
    EXPECT_TRUE(s.IsEmpty());
  }
  const wchar_t lone[] = {L'a', 0xD800, L'b', 0};
  EXPECT_EQ(CWString(lone).ToUtf8Bytes().GetSize(), 0);
  EXPECT_EQ(CWString().ToUtf8Bytes().GetSize(), 0);

  CVolMem wide;
  EXPECT_STREQ(Utf8ToWide("h\xC3\xA9", wide), L"h\u00E9");
  EXPECT_STREQ(Utf8ToWide("", wide), L"");
  EXPECT_EQ(wide.GetSize(), 2);
  CWString appended(L"x");
  appended.AddUtf8("\xE4\xB8\xAD");
  EXPECT_EQ(Text(appended), L"x中");
  EXPECT_STREQ(AnsiToWide(nullptr, wide), L"");
  EXPECT_STREQ(AnsiToWide("plain", wide), L"plain");
}

TEST(NumberText, ConversionsAtTheirLimits) {
  wchar_t buffer[32];
  EXPECT_STREQ(Int64ToText(0, buffer), L"0");
  EXPECT_STREQ(Int64ToText(INT64_MIN, buffer), L"-9223372036854775808");
  EXPECT_STREQ(Int64ToText(INT64_MAX, buffer), L"9223372036854775807");
  EXPECT_STREQ(UInt32ToHexText(0, buffer), L"0");
  EXPECT_STREQ(UInt32ToHexText(0xFFFFFFFFu, buffer), L"FFFFFFFF");
  EXPECT_STREQ(UInt32ToHexText(0x1A0, buffer), L"1A0");
  EXPECT_EQ(HexTextToInt64(L"0x1aF"), 0x1AF);
  EXPECT_EQ(HexTextToInt64(L"ffz"), 0xFF);
  EXPECT_EQ(HexTextToInt64(L"1FFFFFFFFFFFFFFFF"), -1);  // high bits shift out

  struct Case {
    const wchar_t* text;
    int64_t value;
  } cases[] = {
      {L"  -42abc", -42},
      {L"99999999999999999999", INT64_MAX},
      {L"-99999999999999999999", INT64_MIN},
      {L"9223372036854775807", INT64_MAX},
      {L"-9223372036854775808", INT64_MIN},
      {L"+17", 17},
      {L"", 0},
      {L"   ", 0},
      {L"\t\n12", 12},
  };
  for (const Case& c : cases) EXPECT_EQ(TextToInt64(c.text), c.value) << c.text;
}

TEST(NumberText, RoundingAndSnapping) {
  EXPECT_DOUBLE_EQ(RoundTo2Decimals(1.005), 1.01);
  EXPECT_DOUBLE_EQ(RoundTo2Decimals(-2.345), -2.35);
  EXPECT_DOUBLE_EQ(RoundTo2Decimals(12.344), 12.34);
  EXPECT_DOUBLE_EQ(RoundTo2Decimals(5e-7), 5e-7);
  EXPECT_DOUBLE_EQ(SnapToInteger(2.9999995), 3.0);
  EXPECT_DOUBLE_EQ(SnapToInteger(-2.9999995), -3.0);
  EXPECT_DOUBLE_EQ(SnapToInteger(2.5), 2.5);
}

// Values just inside the range are read exactly; only values outside it saturate.
TEST(NumberText, TextToInt64SaturatesOnlyOutsideTheRange) {
  struct Case {
    const wchar_t* text;
    int64_t value;
  } cases[] = {
      {L"9223372036854775806", INT64_MAX - 1},
      {L"-9223372036854775806", INT64_MIN + 2},
      {L"-9223372036854775807", INT64_MIN + 1},
      {L"9223372036854775808", INT64_MAX},
      {L"-9223372036854775809", INT64_MIN},
      {L"922337203685477580", 922337203685477580LL},
  };
  for (const Case& c : cases) EXPECT_EQ(TextToInt64(c.text), c.value) << c.text;
}

TEST(NumberText, SnappingBetweenMinusOneAndZeroGoesToMinusOne) {
  EXPECT_DOUBLE_EQ(SnapToInteger(-0.9999995), -1.0);
  EXPECT_DOUBLE_EQ(SnapToInteger(0.9999995), 1.0);
  EXPECT_DOUBLE_EQ(SnapToInteger(-0.5), -0.5);
}

TEST(TextUtilities, FindForwardBackwardAndIgnoringCase) {
  const wchar_t* text = L"abcABCabc";
  EXPECT_EQ(FindText(text, -1, L"abc", 3, false, false), text);
  EXPECT_EQ(FindText(text, -1, L"abc", 3, false, true), text + 6);
  EXPECT_EQ(FindText(text, -1, L"ABC", 3, true, false), text);
  EXPECT_EQ(FindText(text, 5, L"ABC", 3, false, false), nullptr);  // beyond the given length
  EXPECT_EQ(FindText(text, -1, L"", 0, false, false), nullptr);
  EXPECT_EQ(FindText(L"ab", -1, L"abc", 3, false, false), nullptr);
}

TEST(TextUtilities, SplitTrimsAndKeepsOrDropsEmptyPieces) {
  CMStringArray out;
  EXPECT_EQ(SplitText(L"a; ;b;", L";", true, out), 2);
  EXPECT_STREQ(out.GetItemText(0), L"a");
  EXPECT_STREQ(out.GetItemText(1), L"b");
  EXPECT_EQ(SplitText(L"a; ;b;", L";", false, out), 4);
  EXPECT_STREQ(out.GetItemText(0), L"a");
  EXPECT_TRUE(out.IsNullEntry(1));
  EXPECT_STREQ(out.GetItemText(2), L"b");
  EXPECT_TRUE(out.IsNullEntry(3));
  EXPECT_EQ(SplitText(L" k = v \r\nx:y", L"\r\n", true, out), 2);
  EXPECT_STREQ(out.GetItemText(0), L"k = v");
  EXPECT_EQ(SplitText(L"", L";", false, out), 0);
}

TEST(TextUtilities, QuoteEscapesControlUnits) {
  CWString out;
  QuoteText(L"a\tb\x01\"'\\", out);
  EXPECT_EQ(Text(out), L"\"a\\tb\\001\\\"\\'\\\\\"");
  QuoteText(L"", out);
  EXPECT_EQ(Text(out), L"\"\"");
  QuoteText(L"\x1F\n", out);
  EXPECT_EQ(Text(out), L"\"\\037\\n\"");
}

TEST(Persistence, BuffersAndStringsRoundTripThroughAStream) {
  MemorySerialStream out;
  CVolMem bytes("\x01\x02\x03", 3);
  CWString text(L"文本");
  CWConstString literal(L"lit");
  bytes.Save(out);
  text.Save(out);
  literal.Save(out);
  CWString().Save(out);
  ASSERT_TRUE(out.Good());
  const CVolMem& data = out.Data();
  EXPECT_EQ(data.GetSize(), (4 + 3) + (4 + 6) + (4 + 8) + 4);

  MemorySerialStream in(data);
  CVolMem bytesBack;
  CWString textBack, literalBack, emptyBack(L"x");
  bytesBack.Load(in);
  textBack.Load(in);
  literalBack.Load(in);
  emptyBack.Load(in);
  ASSERT_TRUE(in.Good());
  EXPECT_TRUE(bytesBack == bytes);
  EXPECT_EQ(Text(textBack), L"文本");
  EXPECT_EQ(Text(literalBack), L"lit");
  EXPECT_TRUE(emptyBack.IsEmpty());
}

TEST(Persistence, ShortReadsAndFailedWritesAreSticky) {
  MemorySerialStream in(CVolMem("\x05\x00\x00\x00" "ab", 6));
  CVolMem m;
  m.Load(in);
  EXPECT_EQ(in.ErrorCode(), SerialStream::kReadError);
  EXPECT_EQ(m.GetSize(), 0);
  int32_t value = 0;
  EXPECT_FALSE(in.ReadInt32(value));

  MemorySerialStream negative(CVolMem("\xFF\xFF\xFF\xFF", 4));
  m.Load(negative);
  EXPECT_EQ(negative.ErrorCode(), SerialStream::kReadError);

  MemorySerialStream out;
  out.FailWrites();
  CVolMem big;
  big.SetSize(10000);
  big.Save(out);
  EXPECT_EQ(out.ErrorCode(), SerialStream::kWriteError);
  EXPECT_FALSE(out.WriteInt32(1));
}

TEST(StringArray, AppendCopyAndPersist) {
  CMStringArray a;
  EXPECT_EQ(a.AppendStrings(3, L"one", L"", static_cast<const wchar_t*>(nullptr)), 0);
  EXPECT_EQ(a.AppendStrings(1, L"four"), 3);
  EXPECT_TRUE(a.IsNullEntry(1));
  EXPECT_STREQ(a.GetItemText(2), L"");
  CMStringArray b(a);
  b.Copy(b);
  EXPECT_EQ(b.GetCount(), 4);
  EXPECT_STREQ(b.GetItemText(3), L"four");
  EXPECT_NE(b.GetItemText(0), a.GetItemText(0));  // deep copy
  b.RemoveAt(0);
  EXPECT_STREQ(b.GetItemText(0), L"");

  MemorySerialStream stream;
  a.Save(stream);
  MemorySerialStream in(stream.Data());
  CMStringArray back;
  back.Load(in);
  ASSERT_TRUE(in.Good());
  ASSERT_EQ(back.GetCount(), 4);
  EXPECT_TRUE(back.IsNullEntry(1));
  EXPECT_STREQ(back.GetItemText(3), L"four");
}

}  // namespace
