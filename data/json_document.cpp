#include "data/json_document.h"

#include <cstring>
#include <cwchar>

#include "data/json_rapidjson.h"
#include "data/json_utf8.h"
#include "data/json_value_text.h"
#include "runtime/wide_string.h"

namespace {

// Standard JSON only; an explicit parse stack so that nesting depth is bounded by memory, not by the
// thread's stack; correctly rounded reals; strings must be valid UTF-8.
constexpr unsigned kParseFlags =
    rapidjson::kParseIterativeFlag | rapidjson::kParseFullPrecisionFlag | rapidjson::kParseValidateEncodingFlag;

// A "\u" escape of a lone low surrogate comes out of the parser as the bytes ED B0..BF xx, which valid
// UTF-8 input cannot contain otherwise. Such a string is not text.
bool HasLoneSurrogate(const char* s, rapidjson::SizeType length) {
  for (rapidjson::SizeType i = 0; i + 1 < length; ++i) {
    if (static_cast<unsigned char>(s[i]) == 0xED && static_cast<unsigned char>(s[i + 1]) >= 0xA0) return true;
  }
  return false;
}

// Passes the parser's events to the document, refusing strings that are not text.
class CheckedBuilder {
 public:
  explicit CheckedBuilder(rapidjson::Document& document) : m_document(document) {}

  bool Null() { return m_document.Null(); }
  bool Bool(bool b) { return m_document.Bool(b); }
  bool Int(int i) { return m_document.Int(i); }
  bool Uint(unsigned u) { return m_document.Uint(u); }
  bool Int64(int64_t i) { return m_document.Int64(i); }
  bool Uint64(uint64_t u) { return m_document.Uint64(u); }
  bool Double(double d) { return m_document.Double(d); }
  bool RawNumber(const char* s, rapidjson::SizeType length, bool copy) {
    return m_document.RawNumber(s, length, copy);
  }
  bool String(const char* s, rapidjson::SizeType length, bool copy) {
    if (HasLoneSurrogate(s, length)) return m_rejectedString = true, false;
    return m_document.String(s, length, copy);
  }
  bool Key(const char* s, rapidjson::SizeType length, bool copy) {
    if (HasLoneSurrogate(s, length)) return m_rejectedString = true, false;
    return m_document.Key(s, length, copy);
  }
  bool StartObject() { return m_document.StartObject(); }
  bool EndObject(rapidjson::SizeType count) { return m_document.EndObject(count); }
  bool StartArray() { return m_document.StartArray(); }
  bool EndArray(rapidjson::SizeType count) { return m_document.EndArray(count); }

  bool RejectedString() const { return m_rejectedString; }

 private:
  rapidjson::Document& m_document;
  bool m_rejectedString = false;
};

bool HasByteOrderMark(const char* bytes, size_t length) {
  return length >= 3 && std::memcmp(bytes, "\xEF\xBB\xBF", 3) == 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// yy_mut_doc

yy_mut_doc::yy_mut_doc() = default;
yy_mut_doc::~yy_mut_doc() = default;

void yy_mut_doc::ReleaseDocument() {
  doc = nullptr;
  val = nullptr;
  m_owned.reset();
}

void yy_mut_doc::Adopt(std::unique_ptr<rapidjson::Document> document) {
  m_owned = std::move(document);
  doc = m_owned.get();
  val = m_owned.get();
}

int64_t yy_mut_doc::itemCount() const { return static_cast<int64_t>(JsonItemCount(val)); }

bool yy_mut_doc::parseText(const CWString& text) { return parseText(text.GetText()); }

bool yy_mut_doc::parseText(const wchar_t* text) {
  ReleaseDocument();
  ClearReadError();
  if (!text || !*text) {
    m_readError = {kJsonReadInvalidParameter, "input data is NULL", 0};
    return false;
  }
  JsonUtf8Text<512> bytes;
  if (!bytes.Convert(text, std::wcslen(text))) {
    m_readError = {kJsonReadMemoryAllocation, "memory allocation failed", 0};
    return false;
  }
  return ParseBytes(bytes.Data(), bytes.Size());
}

bool yy_mut_doc::parseUtf8(const void* bytes, size_t length) {
  ReleaseDocument();
  ClearReadError();
  if (!bytes || length == 0) return false;
  const char* text = static_cast<const char*>(bytes);
  if (text[length - 1] == 0) --length;
  return ParseBytes(text, length);
}

bool yy_mut_doc::ParseBytes(const char* bytes, size_t length) {
  ReleaseDocument();
  if (length == 0) {
    m_readError = {kJsonReadInvalidParameter, "input length is 0", 0};
    return false;
  }
  if (HasByteOrderMark(bytes, length)) {
    m_readError = {kJsonReadUnexpectedCharacter, "byte order mark (BOM) is not supported", 0};
    return false;
  }
  auto document = std::make_unique<rapidjson::Document>();
  rapidjson::MemoryStream stream(bytes, length);
  rapidjson::Reader reader;
  CheckedBuilder builder(*document);
  auto generate = [&](rapidjson::Document&) { return !reader.Parse<kParseFlags>(stream, builder).IsError(); };
  document->Populate(generate);
  // The parser takes a zero byte for the end of the text; for us the text goes on.
  const void* zero = std::memchr(bytes, 0, length);
  const size_t zeroAt = zero ? static_cast<size_t>(static_cast<const char*>(zero) - bytes) : length;
  if (reader.HasParseError()) {
    if (builder.RejectedString()) {
      m_readError = {kJsonReadInvalidString, "invalid high surrogate in string", reader.GetErrorOffset()};
    } else if (reader.GetErrorOffset() >= zeroAt && zeroAt < length) {
      m_readError = {kJsonReadUnexpectedCharacter, "unexpected character", zeroAt};
    } else {
      m_readError = TranslateJsonParseError(reader.GetParseErrorCode(), reader.GetErrorOffset(), bytes, length);
    }
    return false;
  }
  if (zeroAt < length) {
    m_readError = {kJsonReadUnexpectedContent, "unexpected content after document", zeroAt};
    return false;
  }
  Adopt(std::move(document));
  return true;
}

void yy_mut_doc::CopyContainer(const rapidjson::Value* value) {
  std::string json;
  if (IsJsonContainer(value)) WriteCompactJson(*value, json);
  // The text is complete before the old document goes, so a value of this very document copies too.
  ReleaseDocument();
  ClearReadError();
  ParseBytes(json.data(), json.size());
}

// ---------------------------------------------------------------------------------------------------
// JsonValue

JsonValue::JsonValue(const JsonValue& other) : yy_mut_val(other), CVolObject(other) {}

JsonValue& JsonValue::operator=(const JsonValue& other) {
  if (this != &other) {
    CVolObject::operator=(other);
    Attach(other.doc, other.val);
  }
  return *this;
}

void JsonValue::Attach(rapidjson::Document* document, rapidjson::Value* value) {
  if (document && value) {
    doc = document;
    val = value;
  } else {
    doc = nullptr;
    val = nullptr;
  }
}

uint64_t JsonValue::Tag() const { return JsonTag(val); }

bool JsonValue::Assign(const CVolObject& source) {
  if (!source.IsKindOf(ClassInfo())) return false;
  if (&source == this) return true;
  OnChange();
  CVolObject::operator=(source);
  const auto& other = static_cast<const JsonValue&>(source);
  Attach(other.doc, other.val);
  return true;
}

void JsonValue::Reset() {
  OnChange();
  ResetHeader();
  Attach(nullptr, nullptr);
}

bool JsonValue::IsEqual(const CVolObject& other) const {
  if (!IsSameClass(ClassInfo(), other.GetClassRecord())) return false;
  const auto& value = static_cast<const JsonValue&>(other);
  return HeaderEquals(value) && doc == value.doc && val == value.val;
}

// ---------------------------------------------------------------------------------------------------
// JsonDocument

JsonDocument::JsonDocument(const JsonDocument& other) : yy_mut_val(), JsonValue(), yy_mut_doc() {
  CVolObject::operator=(other);
  CopyContainer(other.val);
  m_readError = other.m_readError;
}

JsonDocument& JsonDocument::operator=(const JsonDocument& other) {
  if (this != &other) {
    CVolObject::operator=(other);
    CopyContainer(other.val);
    m_readError = other.m_readError;
  }
  return *this;
}

void JsonDocument::Attach(rapidjson::Document* document, rapidjson::Value* value) {
  CopyContainer(document ? value : nullptr);
}

void JsonDocument::MakeEmptyObject() {
  ClearReadError();
  Adopt(std::make_unique<rapidjson::Document>(rapidjson::kObjectType));
}

void JsonDocument::MakeEmptyArray() {
  ClearReadError();
  Adopt(std::make_unique<rapidjson::Document>(rapidjson::kArrayType));
}

std::string JsonDocument::CompactText() const {
  std::string json;
  if (val) WriteCompactJson(*val, json);
  return json;
}

bool JsonDocument::Assign(const CVolObject& source) {
  return AssignByCopy(*this, source);
}

void JsonDocument::Reset() {
  OnChange();
  ResetHeader();
  ReleaseDocument();
  ClearReadError();
}

bool JsonDocument::IsEqual(const CVolObject& other) const {
  if (!IsSameClass(ClassInfo(), other.GetClassRecord())) return false;
  const auto& document = static_cast<const JsonDocument&>(other);
  return HeaderEquals(document) && (val == nullptr) == (document.val == nullptr) &&
         CompactText() == document.CompactText();
}
