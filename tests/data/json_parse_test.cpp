// Turning text into a document: strict grammar, read errors, UTF-16 input, depth and size.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "data/json_object.h"
#include "data/json_value_text.h"

namespace {

bool ParseUtf8(JsonHolder& json, const std::string& text) { return json.parseUtf8(text.data(), text.size()); }

std::wstring Text(const JsonHolder& json, const wchar_t* path) {
  return json.getText(CWString(path)).GetText();
}

TEST(JsonParse, AnyValueMayBeTheRoot) {
  const struct {
    const char* text;
    uint8_t tag;
  } cases[] = {
      {"null", kJsonTagNull},       {"false", kJsonTagFalse},   {"true", kJsonTagTrue},
      {"7", kJsonTagUnsigned},      {"-7", kJsonTagSigned},     {"7.5", kJsonTagReal},
      {"1e2", kJsonTagReal},        {"\"s\"", kJsonTagString},  {" [1, 2] \r\n\t", kJsonTagArray},
      {"{}", kJsonTagObject},       {"-9223372036854775809", kJsonTagReal},
  };
  for (const auto& c : cases) {
    JsonObject json;
    EXPECT_TRUE(ParseUtf8(json, c.text)) << c.text;
    EXPECT_EQ(json.Content().Tag() & 0xFF, c.tag) << c.text;
    EXPECT_EQ(json.Content().ReadError().code, 0u) << c.text;
  }
}

TEST(JsonParse, InvalidDocumentsFailWithAReadError) {
  const struct {
    std::string text;
    uint32_t code;
  } cases[] = {
      {"   ", kJsonReadEmptyContent},
      {"[1,]", kJsonReadJsonStructure},
      {"{\"a\":1,}", kJsonReadJsonStructure},
      {"[1", kJsonReadUnexpectedEnd},
      {"{\"a\"", kJsonReadUnexpectedEnd},
      {"\"abc", kJsonReadUnexpectedEnd},
      {"tru", kJsonReadUnexpectedEnd},
      {"[tru]", kJsonReadLiteral},
      {"nul]", kJsonReadLiteral},
      {"[nan]", kJsonReadLiteral},
      {"NaN", kJsonReadUnexpectedCharacter},
      {"[Infinity]", kJsonReadUnexpectedCharacter},
      {"[-Infinity]", kJsonReadInvalidNumber},
      {"/* note */ 1", kJsonReadUnexpectedCharacter},
      {"[1] // note", kJsonReadUnexpectedContent},
      {"\xEF\xBB\xBF[]", kJsonReadUnexpectedCharacter},  // byte order mark
      {"[1]x", kJsonReadUnexpectedContent},
      {"[1] [2]", kJsonReadUnexpectedContent},
      {std::string("[1]\0x", 5), kJsonReadUnexpectedContent},
      {std::string("[1,\0 2]", 7), kJsonReadUnexpectedCharacter},
      {"01", kJsonReadInvalidNumber},
      {"[-01]", kJsonReadInvalidNumber},
      {"-", kJsonReadUnexpectedEnd},
      {"[-a]", kJsonReadInvalidNumber},
      {"[1.]", kJsonReadInvalidNumber},
      {"[1e+]", kJsonReadInvalidNumber},
      {"1e400", kJsonReadInvalidNumber},
      {"+1", kJsonReadUnexpectedCharacter},
      {".5", kJsonReadUnexpectedCharacter},
      {"{1:2}", kJsonReadUnexpectedCharacter},
      {"{\"a\" 1}", kJsonReadUnexpectedCharacter},
      {"[1 2]", kJsonReadUnexpectedCharacter},
      {"{'a':1}", kJsonReadUnexpectedCharacter},
      {"\"a\\x\"", kJsonReadInvalidString},
      {"\"\\u12G4\"", kJsonReadInvalidString},
      {"\"\\ud800\"", kJsonReadInvalidString},
      {"\"\\ud800\\u0041\"", kJsonReadInvalidString},
      {"[\"\\udc00\"]", kJsonReadInvalidString},
      {"{\"\\udc00\":1}", kJsonReadInvalidString},
      {"\"a\x01\"", kJsonReadInvalidString},
      {"\"\xFF\"", kJsonReadInvalidString},
      {"\"\xED\xA0\x80\"", kJsonReadInvalidString},  // an encoded surrogate is not UTF-8
  };
  for (const auto& c : cases) {
    JsonObject json;
    EXPECT_FALSE(ParseUtf8(json, c.text)) << testing::PrintToString(c.text);
    const JsonReadError& error = json.Content().ReadError();
    EXPECT_EQ(error.code, c.code) << testing::PrintToString(c.text) << " " << (error.message ? error.message : "");
    EXPECT_NE(error.message, nullptr);
    EXPECT_LE(error.position, c.text.size());
    EXPECT_TRUE(json.Content().IsMissing());
    EXPECT_EQ(json.itemCount(), 0);
  }
}

TEST(JsonParse, MessagesForMissingInput) {
  JsonObject json;
  EXPECT_FALSE(json.parseText(CWString()));
  EXPECT_EQ(json.Content().ReadError().code, 1u);
  EXPECT_STREQ(json.Content().ReadError().message, "input data is NULL");
  EXPECT_FALSE(json.Content().parseText(static_cast<const wchar_t*>(nullptr)));
  EXPECT_STREQ(json.Content().ReadError().message, "input data is NULL");

  // Bytes: none at all is refused with no error recorded; a lone terminator is empty input.
  EXPECT_FALSE(json.parseUtf8(nullptr, 4));
  EXPECT_EQ(json.Content().ReadError().code, 0u);
  EXPECT_FALSE(json.parseUtf8("[]", 0));
  EXPECT_EQ(json.Content().ReadError().code, 0u);
  EXPECT_FALSE(json.parseUtf8("", 1));
  EXPECT_STREQ(json.Content().ReadError().message, "input length is 0");

  EXPECT_FALSE(ParseUtf8(json, "[1,]"));
  EXPECT_STREQ(json.Content().ReadError().message, "trailing comma is not allowed");
  EXPECT_EQ(json.Content().ReadError().position, 3u);
  // A good parse clears the last error.
  EXPECT_TRUE(json.parseUtf8("[1]", 4));  // the terminator is not part of the text
  EXPECT_EQ(json.Content().ReadError().code, 0u);
  EXPECT_EQ(json.Content().ReadError().message, nullptr);
  EXPECT_EQ(json.itemCount(), 1);
}

TEST(JsonParse, Utf16TextIsConvertedWithItsSurrogateRules) {
  JsonObject json;
  ASSERT_TRUE(json.parseText(CWString(L"{\"名称\": \"\xD83D\xDE00 ok\"}")));
  EXPECT_EQ(Text(json, L"/名称"), L"\xD83D\xDE00 ok");

  // A broken pair loses its second unit too: here the "x".
  ASSERT_TRUE(json.parseText(CWString(L"{\"k\": \"a\xDC00xb\"}")));
  EXPECT_EQ(Text(json, L"k"), L"ab");
  ASSERT_TRUE(json.parseText(CWString(L"{\"k\": \"a\xD800xb\"}")));
  EXPECT_EQ(Text(json, L"k"), L"ab");
  // Here the closing quote goes with it, so the text is no longer JSON.
  EXPECT_FALSE(json.parseText(CWString(L"[\"a\xD800\"]")));
  EXPECT_NE(json.Content().ReadError().code, 0u);
  // A surrogate as the last unit ends the text.
  ASSERT_TRUE(json.parseText(CWString(L"[1]\xD800")));
  EXPECT_EQ(json.itemCount(), 1);
  EXPECT_FALSE(json.parseText(CWString(L"\xD800")));
  EXPECT_STREQ(json.Content().ReadError().message, "input length is 0");

  // Long texts take the heap path.
  std::wstring longText = L"[\"" + std::wstring(2000, L'中') + L"\"]";
  ASSERT_TRUE(json.parseText(CWString(longText.c_str())));
  EXPECT_EQ(std::wstring(json.getText(CWString(L"/0")).GetText()), std::wstring(2000, L'中'));
}

TEST(JsonParse, DeepNestingNeedsNoDeepStack) {
  constexpr int kDepth = 200000;
  const std::string text = std::string(kDepth, '[') + "\"deep\"" + std::string(kDepth, ']');
  JsonArray json;
  ASSERT_TRUE(ParseUtf8(json, text));
  std::wstring path;
  for (int i = 0; i < kDepth; ++i) path += L"/0";
  EXPECT_EQ(Text(json, path.c_str()), L"deep");

  // Writing and copying the tree work without recursion too.
  JsonArray copy(json);
  CVolTextArray items;
  ASSERT_EQ(copy.listItemTexts(items), 1);
  const std::string inner = text.substr(1, text.size() - 2);
  EXPECT_EQ(std::wstring(items.GetItemText(0)), std::wstring(inner.begin(), inner.end()));

  EXPECT_FALSE(ParseUtf8(json, text.substr(0, text.size() - 1)));
  EXPECT_EQ(json.Content().ReadError().code, kJsonReadUnexpectedEnd);
}

TEST(JsonParse, BigDocuments) {
  constexpr int kParts = 50000;
  std::string text = u8R"({"下载线程限制": 3, "软件下载": [)";
  for (int i = 0; i < kParts; ++i) {
    if (i) text += ',';
    text += u8R"({"名称": "part)" + std::to_string(i) + R"(.bin", "地址": "http://127.0.0.1:8000/part)" +
            std::to_string(i) + R"(", "MD5": "900150983CD24FB0D6963F7D28E17F72"})";
  }
  text += "]}";
  JsonObject config;
  ASSERT_TRUE(ParseUtf8(config, text));
  EXPECT_EQ(config.getInteger(CWString(L"/下载线程限制")), 3);
  JsonObject parts;
  config.getContainer(CWString(L"/软件下载"), parts);
  ASSERT_EQ(parts.itemCount(), kParts);
  CVolTextArray items;
  ASSERT_EQ(parts.listItemTexts(items), kParts);
  JsonObject last;
  ASSERT_TRUE(last.parseText(CWString(items.GetItemText(kParts - 1))));
  EXPECT_EQ(Text(last, L"/名称"), L"part49999.bin");
  EXPECT_EQ(Text(last, L"/地址"), L"http://127.0.0.1:8000/part49999");
  EXPECT_EQ(Text(parts, L"/12345/MD5"), L"900150983CD24FB0D6963F7D28E17F72");
}

}  // namespace
