#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "runtime/block_pool.h"
#include "runtime/boxed_scalars.h"
#include "runtime/exception.h"
#include "runtime/object_array.h"
#include "runtime/serial_stream.h"
#include "runtime/text_array.h"
#include "runtime/value_structures.h"
#include "runtime/wide_string.h"

namespace {

std::wstring Text(const CVolObject& object) {
  CWString out;
  object.ToText(out);
  return out.GetText();
}

struct ReleaseDeleter {
  void operator()(CVolObject* object) const { ReleaseObject(object); }
};
using ObjectPtr = std::unique_ptr<CVolObject, ReleaseDeleter>;

TEST(ObjectArray, HoldsOwnClonesAndComparesThemPairwise) {
  CVolObjectArray array;
  const CWString text(L"abc");
  EXPECT_EQ(array.AddClone(text), 0);
  EXPECT_EQ(array.AddClone(CVolPoint(1, 2)), 1);
  ASSERT_EQ(array.GetCount(), 2);
  EXPECT_NE(array.GetAt(0), &text);
  EXPECT_TRUE(array.GetAt(0)->IsEqual(text));
  EXPECT_EQ(array.GetAt(2), nullptr);

  CVolObjectArray copy(array);
  EXPECT_TRUE(copy.IsEqual(array));
  EXPECT_NE(copy.GetAt(0), array.GetAt(0));  // deep
  static_cast<CVolPoint*>(copy.GetAt(1))->y = 3;
  EXPECT_FALSE(copy.IsEqual(array));

  CVolObjectArray shorter;
  shorter.AddClone(text);
  EXPECT_FALSE(shorter.IsEqual(array));
  shorter.AddClone(CVolSize(1, 2));  // same count, element of another class
  EXPECT_FALSE(shorter.IsEqual(array));
  EXPECT_TRUE(shorter.Assign(array));
  EXPECT_TRUE(shorter.IsEqual(array));
  EXPECT_FALSE(shorter.Assign(text));

  ObjectPtr clone(array.Clone());
  EXPECT_TRUE(clone->IsEqual(array));
  clone->Reset();
  EXPECT_EQ(static_cast<CVolObjectArray*>(clone.get())->GetCount(), 0);
}

TEST(ObjectArray, ClearAndDestructionReleaseEveryElement) {
  const size_t freeBefore = CPoolMem::Instance().CountFreeBlocks();
  {
    CVolObjectArray array;
    for (int i = 0; i < 300; ++i) array.AddClone(CWString(L"element"));
    EXPECT_LT(CPoolMem::Instance().CountFreeBlocks(), freeBefore);
    array.Clear();
    EXPECT_EQ(array.GetCount(), 0);
    EXPECT_EQ(CPoolMem::Instance().CountFreeBlocks(), freeBefore);
    for (int i = 0; i < 10; ++i) array.AddClone(CVolBoxedDouble(i));
  }
  EXPECT_EQ(CPoolMem::Instance().CountFreeBlocks(), freeBefore);
}

TEST(ObjectArray, AssigningANestedElementToItsOwnerKeepsTheElementAlive) {
  CVolObjectArray inner;
  inner.AddClone(CWString(L"inner"));
  CVolObjectArray outer;
  outer.AddClone(inner);
  outer = *static_cast<CVolObjectArray*>(outer.GetAt(0));
  ASSERT_EQ(outer.GetCount(), 1);
  EXPECT_EQ(Text(*outer.GetAt(0)), L"inner");
}

TEST(TextArray, AssignmentAndResetDeepCopyAndNullEntriesReadAsEmpty) {
  CVolTextArray a;
  a.Append(L"one");
  a.Append(static_cast<const wchar_t*>(nullptr));
  CVolTextArray b;
  b.Append(L"one");
  b.Append(L"");
  EXPECT_TRUE(a.IsEqual(b));
  b.Append(L"three");
  EXPECT_FALSE(a.IsEqual(b));

  EXPECT_TRUE(a.Assign(b));
  EXPECT_TRUE(a.IsEqual(b));
  EXPECT_NE(a.GetItemText(2), b.GetItemText(2));
  EXPECT_FALSE(a.Assign(CWString(L"x")));
  a.Reset();
  EXPECT_EQ(a.GetCount(), 0);
  EXPECT_EQ(b.GetCount(), 3);
}

TEST(BoxedScalars, TextForms) {
  struct Case {
    ObjectPtr object;
    const wchar_t* text;
  };
  Case cases[] = {
      {ObjectPtr(new CVolBoxedInt8(-128)), L"-128"},
      {ObjectPtr(new CVolBoxedInt16(-32768)), L"-32768"},
      {ObjectPtr(new CVolBoxedChar(L'中')), L"中"},
      {ObjectPtr(new CVolBoxedInt32(INT32_MIN)), L"-2147483648"},
      {ObjectPtr(new CVolBoxedInt32Alt(42)), L"42"},
      {ObjectPtr(new CVolBoxedInt64(INT64_MIN)), L"-9223372036854775808"},
      {ObjectPtr(new CVolBoxedInt64Alt(INT64_MAX)), L"9223372036854775807"},
      {ObjectPtr(new CVolBoxedFloat(1.5f)), L"1.5"},
      {ObjectPtr(new CVolBoxedFloat(0.0f)), L""},  // the float text leaves zero out
      {ObjectPtr(new CVolBoxedDouble(0.1)), L"0.1"},
      {ObjectPtr(new CVolBoxedDouble(0.0)), L"0"},
  };
  for (const Case& c : cases) EXPECT_EQ(Text(*c.object), c.text) << c.object->GetClassRecord()->name;
}

TEST(BoxedScalars, EqualityNeedsTheSameClassHeaderAndValue) {
  const CVolBoxedInt32 seven(7);
  EXPECT_TRUE(seven.IsEqual(CVolBoxedInt32(7)));
  EXPECT_FALSE(seven.IsEqual(CVolBoxedInt32(8)));
  EXPECT_FALSE(seven.IsEqual(CVolBoxedInt32Alt(7)));
  EXPECT_FALSE(CVolBoxedInt64(7).IsEqual(CVolBoxedInt64Alt(7)));
  CVolBoxedInt32 marked(7);
  marked.SetValueWord(1);
  EXPECT_FALSE(seven.IsEqual(marked));

  EXPECT_TRUE(seven.IsKindOf(CVolBaseDataType::ClassInfo()));
  CVolBoxedInt32 target;
  EXPECT_FALSE(target.Assign(CVolBoxedInt32Alt(5)));
  EXPECT_TRUE(target.Assign(marked));
  EXPECT_TRUE(target.IsEqual(marked));
  ObjectPtr clone(seven.Clone());
  EXPECT_TRUE(clone->IsEqual(seven));
  clone->Reset();
  EXPECT_EQ(static_cast<CVolBoxedInt32*>(clone.get())->Value(), 0);
}

// Saves the object, checks the stream length, loads a fresh instance of its class and compares.
void ExpectRoundTrip(const CVolObject& object, int64_t expectedBytes) {
  SCOPED_TRACE(object.GetClassRecord()->name);
  MemorySerialStream out;
  object.Save(out);
  ASSERT_TRUE(out.Good());
  EXPECT_EQ(out.Data().GetSize(), expectedBytes);
  MemorySerialStream in(out.Data());
  ObjectPtr back(object.NewInstance());
  back->Load(in);
  EXPECT_TRUE(in.Good());
  EXPECT_TRUE(back->IsEqual(object)) << Text(*back);
}

TEST(Persistence, EveryValueClassRoundTripsInItsLayout) {
  ExpectRoundTrip(CVolBoxedInt8(-2), 1);
  ExpectRoundTrip(CVolBoxedInt16(-300), 2);
  ExpectRoundTrip(CVolBoxedChar(L'字'), 2);
  ExpectRoundTrip(CVolBoxedInt32(-70000), 4);
  ExpectRoundTrip(CVolBoxedInt32Alt(70000), 4);
  ExpectRoundTrip(CVolBoxedInt64(INT64_MIN), 8);
  ExpectRoundTrip(CVolBoxedInt64Alt(1), 8);
  ExpectRoundTrip(CVolBoxedFloat(-2.25f), 4);
  ExpectRoundTrip(CVolBoxedDouble(1e300), 8);
  ExpectRoundTrip(CVolRect(1, -2, 3, 4), 16);
  ExpectRoundTrip(CVolPoint(5, 6), 8);
  ExpectRoundTrip(CVolSize(600, 400), 8);
  ExpectRoundTrip(CVolException(7, CWString(L"坏")), 4 + 4 + 4);

  CVolTextArray texts;
  texts.Append(L"a");
  texts.Append(L"");
  texts.Append(L"bc");
  // Count, then each entry as a string: "a" and zero, an empty entry as an empty string, "bc" and zero.
  ExpectRoundTrip(texts, 4 + (4 + 4) + 4 + (4 + 6));
}

TEST(Persistence, BoxedValuesAreLittleEndian) {
  MemorySerialStream out;
  CVolBoxedInt32(0x01020304).Save(out);
  CVolBoxedChar(L'\x4E2D').Save(out);
  const CVolMem& data = out.Data();
  EXPECT_EQ(data, CVolMem("\x04\x03\x02\x01\x2D\x4E", 6));
}

TEST(Persistence, LoadStopsAtTheFirstShortRead) {
  MemorySerialStream out;
  CVolRect(1, 2, 3, 4).Save(out);
  CVolMem truncated(out.Data());
  truncated.RemoveRange(-1, 6);  // cut into the third field
  MemorySerialStream in(truncated);
  CVolRect rect(9, 9, 9, 9);
  rect.Load(in);
  EXPECT_EQ(in.ErrorCode(), SerialStream::kReadError);
  EXPECT_EQ(rect, CVolRect(1, 2, 9, 9));  // the fields read so far
  CVolBoxedInt32 later(5);
  later.Load(in);
  EXPECT_EQ(later.Value(), 5);
}

}  // namespace
