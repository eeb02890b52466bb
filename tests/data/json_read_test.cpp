// Reading values out of a parsed document by path: path syntax, text forms and integer coercion.
#include <gtest/gtest.h>

#include <string>

#include "data/json_object.h"
#include "data/json_value_text.h"

namespace {

bool ParseUtf8(JsonHolder& json, const std::string& text) { return json.parseUtf8(text.data(), text.size()); }

std::wstring Text(const JsonHolder& json, const wchar_t* path) {
  return json.getText(CWString(path)).GetText();
}

const char kDocument[] = u8R"({
  "a": "x", "n": null, "t": true, "f": false, "o": {"b": 1}, "nest": {"b": "y"},
  "a/b": "slash", "a~b": "tilde", "l": [5, "six"], "": "empty name",
  "r": 2.5, "small": 0.0000005, "negsmall": -0.000001, "big": 1e20, "one": 1.0, "third": 0.3333333333333333,
  "u": 18446744073709551615, "min": -9223372036854775808, "beyond": 18446744073709551616,
  "dup": "first", "dup": "second", "z": "a\u0000b", "cn": "中文", "es": "",
  "inner": {"s": "x/y\"\\\n\u0001", "c": "中", "e": [], "k": {}, "r": 1.0, "n": -2}
})";

TEST(JsonRead, PathsAndTextForms) {
  JsonObject json;
  ASSERT_TRUE(ParseUtf8(json, kDocument));
  const struct {
    const wchar_t* path;
    const wchar_t* text;
  } cases[] = {
      {L"/a", L"x"},
      {L"a", L"x"},  // a bare member name
      {L"/b", L""},
      {L"", L""},
      {L"/n", L"null"},
      {L"/t", L"true"},
      {L"/f", L"false"},
      {L"/o", L"{\"b\":1}"},
      {L"/o/b", L"1"},
      {L"/nest/b", L"y"},
      {L"nest/b", L""},  // no member literally called nest/b
      {L"a/b", L"slash"},
      {L"/a~1b", L"slash"},
      {L"/a~0b", L"tilde"},
      {L"/a~2b", L""},
      {L"/a~", L""},
      {L"/a/x", L""},  // a string has no members
      {L"/l/0", L"5"},
      {L"/l/1", L"six"},
      {L"/l/2", L""},
      {L"/l/01", L""},
      {L"/l/-", L""},
      {L"/l/", L""},
      {L"/l/0x", L""},
      {L"/l/99999999999999999999999", L""},
      {L"/", L"empty name"},
      {L"/r", L"2.5"},
      {L"/small", L"0"},
      {L"/negsmall", L"0"},
      {L"/big", L"1E+20"},
      {L"/one", L"1"},
      {L"/third", L"0.333333333333333"},
      {L"/u", L"-1"},
      {L"/min", L"-9223372036854775808"},
      {L"/beyond", L"1.84467440737096E+19"},  // too big for an integer: a real
      {L"/dup", L"first"},
      {L"dup", L"first"},
      {L"/z", L"a"},  // an escaped U+0000 ends the text
      {L"/cn", L"中文"},
      {L"cn", L"中文"},
      {L"/es", L""},
      {L"/inner", L"{\"s\":\"x/y\\\"\\\\\\n\\u0001\",\"c\":\"中\",\"e\":[],\"k\":{},\"r\":1.0,\"n\":-2}"},
  };
  for (const auto& c : cases) EXPECT_EQ(Text(json, c.path), c.text) << "path " << testing::PrintToString(std::wstring(c.path));
}

TEST(JsonRead, NonAsciiMemberNamesAndLongPaths) {
  JsonObject json;
  const std::string longName(300, 'k');
  ASSERT_TRUE(ParseUtf8(json, u8R"({"用户许可文件地址": "http://127.0.0.1/l.txt", "😀": 1, ")" + longName + R"(": "long"})"));
  EXPECT_EQ(Text(json, L"/用户许可文件地址"), L"http://127.0.0.1/l.txt");
  EXPECT_EQ(Text(json, L"用户许可文件地址"), L"http://127.0.0.1/l.txt");
  EXPECT_EQ(Text(json, L"/\xD83D\xDE00"), L"1");  // a surrogate pair is one four-byte character
  const std::wstring longPath = L"/" + std::wstring(300, L'k');
  EXPECT_EQ(Text(json, longPath.c_str()), L"long");
  EXPECT_EQ(Text(json, longPath.c_str() + 1), L"long");
}

TEST(JsonRead, ReadsOnScalarOrEmptyRootsGiveDefaults) {
  JsonObject json;
  ASSERT_TRUE(ParseUtf8(json, "42"));
  EXPECT_EQ(json.Content().Tag() & 0xFF, kJsonTagUnsigned);
  EXPECT_EQ(Text(json, L"/"), L"");
  EXPECT_EQ(Text(json, L"a"), L"");
  EXPECT_EQ(json.getInteger(CWString(L"/0")), 0);
  EXPECT_EQ(json.itemCount(), 0);

  ASSERT_TRUE(ParseUtf8(json, R"(["a", {"b": 2}])"));
  EXPECT_EQ(Text(json, L"/1/b"), L"2");
  EXPECT_EQ(Text(json, L"0"), L"");  // a bare name needs an object root

  ASSERT_FALSE(ParseUtf8(json, "["));
  EXPECT_TRUE(json.Content().IsMissing());
  EXPECT_EQ(Text(json, L"/a"), L"");
  EXPECT_EQ(json.getInteger(CWString(L"/a")), 0);
}

TEST(JsonRead, IntegerCoercion) {
  JsonObject json;
  ASSERT_TRUE(ParseUtf8(json, R"({
    "s1": "12abc", "s2": " -7", "s3": "abc", "s4": "+5", "s5": "\t5", "s6": "-", "s7": "18446744073709551617",
    "r1": 3.9, "r2": -3.9, "r3": 1e20, "t": true, "n": null, "o": {"a": 1}, "e": [1],
    "i1": 4294967297, "i2": -2147483649, "i3": 2147483648, "i4": -5
  })"));
  const struct {
    const wchar_t* path;
    int32_t value;
  } cases[] = {
      {L"/s1", 12}, {L"/s2", -7}, {L"/s3", 0}, {L"/s4", 5}, {L"/s5", 0}, {L"/s6", 0},
      {L"/s7", 1},  // wraps modulo 2^64
      {L"/r1", 3}, {L"/r2", -3}, {L"/r3", 0}, {L"/t", 0}, {L"/n", 0}, {L"/o", 0}, {L"/e", 0},
      {L"/i1", 1}, {L"/i2", 2147483647}, {L"/i3", -2147483647 - 1}, {L"/i4", -5}, {L"/missing", 0},
      {L"i4", -5},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(json.getInteger(CWString(c.path)), c.value) << testing::PrintToString(std::wstring(c.path));
  }
}

}  // namespace
