#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "runtime/byte_buffer.h"
#include "runtime/class_info.h"
#include "runtime/exception.h"
#include "runtime/ref_object.h"
#include "runtime/wide_string.h"

namespace {

TEST(ClassIdentity, HashIsStableAndFollowsTheNameRule) {
  // h = h*5 + c, bit 0 set, bit 31 cleared.
  EXPECT_EQ(ClassNameHash("A"), 65 | 1);
  EXPECT_EQ(ClassNameHash("AB"), (65 * 5 + 66) | 1);
  EXPECT_EQ(ClassNameHash("CWString"), CWString::ClassInfo()->hash);
  EXPECT_EQ(CWString::ClassInfo()->hash & 0x80000000, 0);
  EXPECT_EQ(CWString::ClassInfo()->nameLength, 8);
}

TEST(ClassIdentity, DistinctRecordsWithTheSameNameAreTheSameClass) {
  const CVolClassInfo copy = MakeClassInfo("CWString", nullptr);
  EXPECT_TRUE(IsSameClass(&copy, CWString::ClassInfo()));
  CWString text;
  EXPECT_TRUE(text.IsKindOf(&copy));
  EXPECT_TRUE(text.IsKindOf(CVolObject::ClassInfo()));
  EXPECT_FALSE(text.IsKindOf(CVolMem::ClassInfo()));
}

TEST(ObjectModel, AssignAcrossUnrelatedClassesFailsAndChangesNothing) {
  CWString text(L"keep");
  CVolMem bytes("abc", 3);
  EXPECT_FALSE(bytes.Assign(static_cast<const CVolObject&>(text)));
  EXPECT_EQ(bytes.GetSize(), 3);
  EXPECT_FALSE(text.Assign(static_cast<const CVolObject&>(bytes)));
  EXPECT_STREQ(text.GetText(), L"keep");
}

TEST(ObjectModel, CloneEqualsAndResetCarryTheHeaderWords) {
  CWString text(L"abc");
  text.SetValueWord(42);
  CVolObject* copy = text.Clone();
  EXPECT_TRUE(copy->IsEqual(text));
  copy->SetValueWord(7);
  EXPECT_FALSE(copy->IsEqual(text));
  copy->Reset();
  EXPECT_EQ(copy->ValueWord(), 0);
  EXPECT_STREQ(static_cast<CWString*>(copy)->GetText(), L"");
  ReleaseObject(copy);
  ReleaseObject(nullptr);

  CWString nullText;
  nullText.SetNull();
  EXPECT_FALSE(nullText.IsEqual(CWString()));
}

TEST(ObjectModel, DefaultDumpNamesTheClassAndTheNullMark) {
  CVolObject object;
  object.SetNull();
  CWString dump;
  object.ToText(dump);
  const std::wstring text = dump.GetText();
  EXPECT_EQ(text.rfind(L"无法解析的对象数据,其输出类名为: \"CVolObject\", 地址为: 0x", 0), 0u) << text;
  EXPECT_EQ(text.substr(text.size() - 6), L", 为空对象");
}

class CountingRef : public CRefObject {
 public:
  explicit CountingRef(int* destroyed) : m_destroyed(destroyed) {}
  ~CountingRef() override { ++*m_destroyed; }
  void PreDestroy() override { ++*m_destroyed; }

 private:
  int* m_destroyed;
};

TEST(RefObject, ReleaseDestroysAtZero) {
  int destroyed = 0;
  auto* ref = new CountingRef(&destroyed);
  ref->AddRef();
  EXPECT_FALSE(ref->Release());
  EXPECT_EQ(destroyed, 0);
  EXPECT_TRUE(ref->Release());
  EXPECT_EQ(destroyed, 2);  // pre-destroy hook, then destructor
}

TEST(RefObject, HandlesShareTheirTargetAndSelfAssignmentIsSafe) {
  int destroyed = 0;
  {
    CVolRefObject a(new CountingRef(&destroyed));
    CVolRefObject b(a);
    EXPECT_EQ(a.GetTarget()->RefCount(), 2);
    EXPECT_TRUE(a.IsEqual(b));
    b = b;
    EXPECT_EQ(a.GetTarget()->RefCount(), 2);
    b.Reset();
    EXPECT_EQ(a.GetTarget()->RefCount(), 1);
    EXPECT_FALSE(a.IsEqual(b));
  }
  EXPECT_EQ(destroyed, 2);
}

TEST(RefObject, GdiHandleOfKindImageListIsDestroyedWithTheLastReference) {
  HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR32, 1, 1);
  ASSERT_NE(list, nullptr);
  auto* handle = new CGDIObjectHandle(list, CGDIObjectHandle::kImageList);
  handle->AddRef();
  handle->Release();
  EXPECT_EQ(ImageList_GetImageCount(list), 0);  // still alive
  handle->Release();
}

TEST(Exception, FromAMessageHasCodeMinusOne) {
  CVolException plain;
  EXPECT_EQ(plain.Code(), 0);
  CVolException fromText(CWString(L"boom"));
  EXPECT_EQ(fromText.Code(), -1);
  EXPECT_STREQ(fromText.Message().GetText(), L"boom");
}

}  // namespace
