#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "runtime/boxed_scalars.h"
#include "runtime/byte_buffer.h"
#include "runtime/object_array.h"
#include "runtime/value_structures.h"
#include "runtime/wide_string.h"

namespace {

std::wstring Dump(const CVolObject& object, int limit = 0) {
  CWString out;
  object.ToText(out, limit);
  return out.GetText();
}

size_t Count(const std::wstring& text, const std::wstring& piece) {
  size_t n = 0;
  for (size_t at = text.find(piece); at != std::wstring::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

std::wstring Address(const void* p) {
  CWString text;
  text.Format(L"0x%I64X", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
  return text.GetText();
}

TEST(ByteDump, RowsOfSixteenWithAPaddedShortRow) {
  const CVolMem bytes("ABCDEFGHIJKLMNO\x00\x7F" "xyz", 20);
  EXPECT_EQ(Dump(bytes),
            L"<字节集> 总共 20 个字节:"
            L"\r\n[0]: 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 00 | ABCDEFGHIJKLMNO."
            L"\r\n[10]: 7F 78 79 7A" + std::wstring(36, L' ') + L" | .xyz");
  EXPECT_EQ(Dump(CVolMem()), L"<字节集> 总共 0 个字节:");
}

TEST(ByteDump, LimitsCutTheOutputAndSayWhatWasLeftOut) {
  CVolMem bytes;
  bytes.AppendBytes(nullptr, 2000);
  const std::wstring byDefault = Dump(bytes, 0);
  EXPECT_EQ(byDefault.rfind(L"<字节集> 总共 2000 个字节,输出了 1024 个,还有 976 个未被输出.\r\n[0]:", 0), 0u);
  EXPECT_EQ(Count(byDefault, L"\r\n["), 64u);
  EXPECT_NE(byDefault.find(L"\r\n[3F0]:"), std::wstring::npos);

  const std::wstring all = Dump(bytes, -1);
  EXPECT_EQ(all.rfind(L"<字节集> 总共 2000 个字节:\r\n", 0), 0u);
  EXPECT_EQ(Count(all, L"\r\n["), 125u);

  EXPECT_EQ(Dump(bytes, 3), L"<字节集> 总共 2000 个字节,输出了 3 个,还有 1997 个未被输出.\r\n[0]: 00 00 00" +
                                std::wstring(39, L' ') + L" | ...");
}

TEST(ObjectArrayDump, ListsElementsWithClassAddressAndContent) {
  CVolObjectArray array;
  array.AddClone(CVolBoxedInt32(7));
  array.AddClone(CVolRect(1, 2, 3, 4));
  CWString nullText(L"x");
  nullText.SetNull();
  array.AddClone(nullText);
  EXPECT_EQ(Dump(array), L"<数组> 总共 3 个成员:"
                         L"\r\n1. 对象输出类名: \"CVolBoxedInt32\", 地址: " + Address(array.GetAt(0)) +
                         L", 内容:\r\n7"
                         L"\r\n2. 对象输出类名: \"CVolRect\", 地址: " + Address(array.GetAt(1)) +
                         L", 内容:\r\n{ 左边: 1; 顶边: 2, 右边: 3, 底边: 4 }"
                         L"\r\n3. 对象输出类名: \"CWString\", 地址: " + Address(array.GetAt(2)) +
                         L", 为空对象, 内容:\r\nx");
}

TEST(ObjectArrayDump, DefaultLimitListsSixtyFourOfAHundred) {
  CVolObjectArray array;
  for (int i = 0; i < 100; ++i) array.AddClone(CVolBoxedInt32(i));
  const std::wstring byDefault = Dump(array);
  EXPECT_EQ(byDefault.rfind(L"<数组> 总共 100 个成员,输出了 64 个,还有 36 个未被输出.\r\n1. ", 0), 0u);
  EXPECT_EQ(Count(byDefault, L"对象输出类名"), 64u);
  EXPECT_NE(byDefault.find(L"\r\n64. "), std::wstring::npos);
  EXPECT_EQ(byDefault.find(L"\r\n65. "), std::wstring::npos);
  EXPECT_EQ(Count(Dump(array, -1), L"对象输出类名"), 100u);
}

TEST(StructureDumps, ChineseLabelsAndDecimalNumbers) {
  EXPECT_EQ(Dump(CVolRect(1, 2, 3, 4)), L"{ 左边: 1; 顶边: 2, 右边: 3, 底边: 4 }");
  EXPECT_EQ(Dump(CVolRect(-10, 0, 600, 400)), L"{ 左边: -10; 顶边: 0, 右边: 600, 底边: 400 }");
  EXPECT_EQ(Dump(CVolPoint(-5, 12)), L"{ 横向位置: -5; 纵向位置: 12 }");
  EXPECT_EQ(Dump(CVolSize(600, 400)), L"{ 宽度: 600; 高度: 400 }");
}

TEST(StructureDumps, DumpsAppendToWhatIsThere) {
  CWString out(L"> ");
  CVolSize(1, 2).ToText(out);
  CVolBoxedInt16(-3).ToText(out);
  EXPECT_STREQ(out.GetText(), L"> { 宽度: 1; 高度: 2 }-3");
}

}  // namespace
