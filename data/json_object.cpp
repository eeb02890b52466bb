#include "data/json_object.h"

#include "data/json_path.h"
#include "data/json_rapidjson.h"
#include "data/json_value_text.h"

namespace {

// Output arrays of the list operations grow in big steps: lists can be long.
constexpr int64_t kListGrowthStep = 8192;

int64_t IntegerOfText(const char* s) {
  while (*s == ' ') ++s;
  const bool negative = *s == '-';
  if (*s == '-' || *s == '+') ++s;
  uint64_t n = 0;  // wraps modulo 2^64
  for (; *s >= '0' && *s <= '9'; ++s) n = n * 10 + static_cast<unsigned>(*s - '0');
  return static_cast<int64_t>(negative ? 0 - n : n);
}

int64_t IntegerOfReal(double d) {
  // Truncation toward zero; outside the 64-bit range the processor's "integer indefinite" value.
  if (!(d >= -9223372036854775808.0 && d < 9223372036854775808.0)) return INT64_MIN;
  return static_cast<int64_t>(d);
}

int64_t IntegerOf(const rapidjson::Value* value) {
  if (!value) return 0;
  if (value->IsDouble()) return IntegerOfReal(value->GetDouble());
  if (value->IsInt64()) return value->GetInt64();
  if (value->IsUint64()) return static_cast<int64_t>(value->GetUint64());
  if (value->IsString()) return IntegerOfText(value->GetString());
  return 0;
}

}  // namespace

const wchar_t* JsonTypeName(uint64_t tag) {
  switch (static_cast<uint8_t>(tag)) {
    case kJsonTagNull: return L"null值";
    case kJsonTagFalse: return L"false值";
    case kJsonTagTrue: return L"true值";
    case kJsonTagUnsigned:
    case kJsonTagSigned: return L"长整数值";
    case kJsonTagReal: return L"小数值";
    case kJsonTagString: return L"文本值";
    case kJsonTagArray: return L"数组型";
    case kJsonTagObject: return L"对象型";
    default: return L"未知";
  }
}

JsonHolder::JsonHolder(const JsonHolder& other) : CVolObject(other), m_content(other.m_content) {
  CopySpareFrom(other);
}

JsonHolder& JsonHolder::operator=(const JsonHolder& other) {
  if (this != &other) {
    CVolObject::operator=(other);
    m_content = other.m_content;
    CopySpareFrom(other);
  }
  return *this;
}

void JsonHolder::CopySpareFrom(const JsonHolder& other) {
  // A handle into the other's document would dangle once that document goes; the one position a spare
  // handle is ever set to, the root, maps onto this copy's root.
  if (other.m_spare.val && other.m_spare.val == other.m_content.val) {
    PointSpareAtRoot();
  } else {
    m_spare.Attach(nullptr, nullptr);
  }
}

void JsonHolder::PointSpareAtRoot() { m_spare.Attach(m_content.doc, m_content.val); }

CWString JsonHolder::getText(const CWString& path) const {
  CWString text;
  AppendJsonValueText(text, ResolveJsonPath(m_content.val, path));
  return text;
}

int32_t JsonHolder::getInteger(const CWString& path) const {
  return static_cast<int32_t>(static_cast<uint32_t>(IntegerOf(ResolveJsonPath(m_content.val, path))));
}

void JsonHolder::getContainer(const CWString& path, JsonHolder& target) const {
  target.m_content.Attach(m_content.doc, ResolveJsonPath(m_content.val, path));
}

int64_t JsonHolder::listMembers(CVolTextArray& names, CVolTextArray& texts, CVolTextArray& types) const {
  names.Array().SetGrowthStep(kListGrowthStep);
  texts.Array().SetGrowthStep(kListGrowthStep);
  types.Array().SetGrowthStep(kListGrowthStep);
  rapidjson::Value* root = m_content.val;
  const int64_t count = static_cast<int64_t>(JsonItemCount(root));
  for (int64_t i = 0; i < count; ++i) {
    CWString name;
    if (root->IsObject()) name.AddUtf8((root->MemberBegin() + static_cast<rapidjson::SizeType>(i))->name.GetString());
    names.Append(name);
    const rapidjson::Value* item = JsonItemAt(root, i);
    CWString text;
    AppendJsonValueText(text, item);
    texts.Append(text);
    types.Append(JsonTypeName(JsonTag(item)));
  }
  return names.GetCount();
}

int64_t JsonHolder::listItemTexts(CVolTextArray& texts) const {
  texts.Array().SetGrowthStep(kListGrowthStep);
  const int64_t count = static_cast<int64_t>(JsonItemCount(m_content.val));
  for (int64_t i = 0; i < count; ++i) {
    CWString text;
    AppendJsonValueText(text, JsonItemAt(m_content.val, i));
    texts.Append(text);
  }
  return texts.GetCount();
}

CWString& JsonHolder::itemText(CWString& out, int32_t index) const {
  rapidjson::Value* root = m_content.val;
  const rapidjson::Value* first = JsonItemAt(root, 0);
  const rapidjson::Value* item = JsonItemAt(root, static_cast<int64_t>(index));
  CWString text;
  if (first && first->IsString()) {
    if (item && item->IsString()) text.AddUtf8(item->GetString());
  } else {
    AppendJsonValueText(text, item);
  }
  out = text;
  return out;
}

bool JsonHolder::Assign(const CVolObject& source) {
  return AssignByCopy(*this, source, GetClassRecord());
}

void JsonHolder::Reset() {
  OnChange();
  ResetHeader();
  m_content.Reset();
  m_spare.Reset();
}

bool JsonHolder::IsEqual(const CVolObject& other) const {
  if (!IsSameClass(GetClassRecord(), other.GetClassRecord())) return false;
  const auto& holder = static_cast<const JsonHolder&>(other);
  return HeaderEquals(holder) && m_content.IsEqual(holder.m_content);
}

void JsonObject::Reset() {
  JsonHolder::Reset();
  Content().MakeEmptyObject();
}

JsonArray::JsonArray() {
  Content().MakeEmptyArray();
  PointSpareAtRoot();
}

void JsonArray::Reset() {
  JsonHolder::Reset();
  Content().MakeEmptyArray();
  PointSpareAtRoot();
}
