// Copying parts of a document out, listing a root's items, and the holders' object behaviour.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/json_object.h"

namespace {

bool ParseUtf8(JsonHolder& json, const std::string& text) { return json.parseUtf8(text.data(), text.size()); }

std::wstring Text(const JsonHolder& json, const wchar_t* path) {
  return json.getText(CWString(path)).GetText();
}

std::vector<std::wstring> Entries(const CVolTextArray& array) {
  std::vector<std::wstring> entries;
  for (int64_t i = 0; i < array.GetCount(); ++i) entries.push_back(array.GetItemText(i));
  return entries;
}

std::wstring ItemText(const JsonHolder& json, int32_t index) {
  CWString out(L"stale");
  return json.itemText(out, index).GetText();
}

TEST(JsonContainer, NewHoldersStartWithEmptyRoots) {
  JsonObject object;
  JsonArray array;
  EXPECT_EQ(Text(object, L"/"), L"");
  EXPECT_EQ(object.Content().Tag() & 0xFF, 7u);
  EXPECT_EQ(array.Content().Tag() & 0xFF, 6u);
  EXPECT_EQ(object.itemCount(), 0);
  EXPECT_EQ(array.itemCount(), 0);
  CVolTextArray names, texts, types;
  EXPECT_EQ(object.listMembers(names, texts, types), 0);
}

TEST(JsonContainer, GetContainerCopiesArraysAndObjectsDeeply) {
  JsonObject config;
  ASSERT_TRUE(ParseUtf8(config, u8R"({"软件下载": [{"名称": "a.zip", "MD5": "X"}, {"名称": "b"}], "o": {"k": [1]},
                                     "n": 5, "s": "text"})"));
  JsonObject parts;
  config.getContainer(CWString(L"/软件下载"), parts);
  EXPECT_EQ(parts.itemCount(), 2);
  EXPECT_EQ(Text(parts, L"/0/名称"), L"a.zip");
  CVolTextArray items;
  ASSERT_EQ(parts.listItemTexts(items), 2);
  EXPECT_EQ(Entries(items), (std::vector<std::wstring>{L"{\"名称\":\"a.zip\",\"MD5\":\"X\"}", L"{\"名称\":\"b\"}"}));

  JsonArray object;  // the kind of holder does not limit what it receives
  config.getContainer(CWString(L"o"), object);
  EXPECT_EQ(Text(object, L"/k/0"), L"1");

  // The copy is independent: replacing the source leaves it intact.
  ASSERT_TRUE(ParseUtf8(config, "[]"));
  EXPECT_EQ(Text(parts, L"/1/名称"), L"b");

  // A container of the holder itself may be the source.
  parts.getContainer(CWString(L"/0"), parts);
  EXPECT_EQ(Text(parts, L"MD5"), L"X");
}

TEST(JsonContainer, GetContainerOfAScalarOrMissingValueLeavesTheTargetEmpty) {
  JsonObject source;
  ASSERT_TRUE(ParseUtf8(source, R"({"n": 5, "s": "text", "e": []})"));
  for (const wchar_t* path : {L"/n", L"/s", L"/missing", L""}) {
    JsonObject target;
    ASSERT_TRUE(ParseUtf8(target, R"({"a": 1})"));
    source.getContainer(CWString(path), target);
    EXPECT_TRUE(target.Content().IsMissing());
    EXPECT_EQ(target.itemCount(), 0);
    EXPECT_EQ(Text(target, L"/a"), L"");
    EXPECT_EQ(target.Content().ReadError().code, 1u);
    EXPECT_STREQ(target.Content().ReadError().message, "input length is 0");
  }
  JsonObject empty;
  source.getContainer(CWString(L"/e"), empty);
  EXPECT_FALSE(empty.Content().IsMissing());
  EXPECT_EQ(empty.itemCount(), 0);
  EXPECT_EQ(Text(source, L"/n"), L"5");  // the source is untouched
}

TEST(JsonContainer, ListMembersGivesNamesTextsAndTypes) {
  JsonObject json;
  ASSERT_TRUE(ParseUtf8(json, R"({"k": 1.5, "s": "v"})"));
  CVolTextArray names, texts, types;
  EXPECT_EQ(json.listMembers(names, texts, types), 2);
  EXPECT_EQ(Entries(names), (std::vector<std::wstring>{L"k", L"s"}));
  EXPECT_EQ(Entries(texts), (std::vector<std::wstring>{L"1.5", L"v"}));
  EXPECT_EQ(Entries(types), (std::vector<std::wstring>{L"小数值", L"文本值"}));
  EXPECT_EQ(names.Array().GetGrowthStep(), 8192);

  // Entries are appended, not replaced.
  ASSERT_TRUE(ParseUtf8(json, R"([null, false, true, 1, -1, 2.0, "", [1, "a"], {"x": null}])"));
  EXPECT_EQ(json.listMembers(names, texts, types), 11);
  const std::vector<std::wstring> allTypes = Entries(types);
  const std::vector<std::wstring> tail(allTypes.begin() + 2, allTypes.end());
  EXPECT_EQ(tail, (std::vector<std::wstring>{L"null值", L"false值", L"true值", L"长整数值", L"长整数值", L"小数值",
                                              L"文本值", L"数组型", L"对象型"}));
  EXPECT_EQ(std::wstring(names.GetItemText(2)), L"");
  EXPECT_EQ(std::wstring(texts.GetItemText(4)), L"true");
  EXPECT_EQ(std::wstring(texts.GetItemText(7)), L"2");
  EXPECT_EQ(std::wstring(texts.GetItemText(9)), L"[1,\"a\"]");
  EXPECT_EQ(std::wstring(texts.GetItemText(10)), L"{\"x\":null}");

  ASSERT_TRUE(ParseUtf8(json, "\"scalar\""));
  EXPECT_EQ(json.listMembers(names, texts, types), 11);
  EXPECT_EQ(json.listItemTexts(texts), 11);
}

TEST(JsonContainer, ItemTextFollowsTheFirstItem) {
  JsonArray json;
  ASSERT_TRUE(ParseUtf8(json, R"(["a", 1, "b"])"));
  EXPECT_EQ(ItemText(json, 0), L"a");
  EXPECT_EQ(ItemText(json, 1), L"");  // the first item is a string: only strings give text
  EXPECT_EQ(ItemText(json, 2), L"b");
  ASSERT_TRUE(ParseUtf8(json, R"([1, "a", {"k": true}])"));
  EXPECT_EQ(ItemText(json, 0), L"1");
  EXPECT_EQ(ItemText(json, 1), L"a");
  EXPECT_EQ(ItemText(json, 2), L"{\"k\":true}");
  EXPECT_EQ(ItemText(json, 3), L"");
  EXPECT_EQ(ItemText(json, -1), L"");
  ASSERT_TRUE(ParseUtf8(json, R"({"x": "v", "y": 2})"));
  EXPECT_EQ(ItemText(json, 0), L"v");
  EXPECT_EQ(ItemText(json, 1), L"");
  ASSERT_TRUE(ParseUtf8(json, "[]"));
  EXPECT_EQ(ItemText(json, 0), L"");
}

TEST(JsonContainer, CopiesAreDeepAndCompareByContent) {
  JsonObject a;
  ASSERT_TRUE(ParseUtf8(a, R"({"k": [1, 2]})"));
  JsonObject b(a);
  EXPECT_TRUE(a.IsEqual(b));
  EXPECT_NE(b.Content().doc, a.Content().doc);
  ASSERT_TRUE(ParseUtf8(a, R"({"k": [3]})"));
  EXPECT_FALSE(a.IsEqual(b));
  EXPECT_EQ(Text(b, L"/k/1"), L"2");

  CVolObject* clone = b.Clone();
  EXPECT_TRUE(clone->IsEqual(b));
  EXPECT_TRUE(clone->IsKindOf(JsonObject::ClassInfo()));
  EXPECT_TRUE(a.Assign(*clone));
  EXPECT_EQ(Text(a, L"/k/1"), L"2");
  clone->Release();

  JsonArray array;
  EXPECT_FALSE(a.Assign(array));  // an array holder is not an object holder
  a.Reset();
  EXPECT_EQ(a.Content().Tag() & 0xFF, 7u);
  EXPECT_EQ(a.itemCount(), 0);

  // A handle refers; a document owns.
  JsonValue handle(b.Content().doc, b.Content().val);
  EXPECT_EQ(handle.val, b.Content().val);
  JsonValue half(b.Content().doc, nullptr);
  EXPECT_TRUE(half.IsMissing());
  EXPECT_EQ(half.doc, nullptr);
  JsonDocument owned;
  owned.Attach(handle);
  EXPECT_NE(owned.val, handle.val);
  EXPECT_EQ(owned.CompactText(), "{\"k\":[1,2]}");
}

}  // namespace
