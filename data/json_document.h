// JSON documents and handles on the values inside them.
//
// yy_mut_val is a non-owning reference to one value: the document that holds it and the value itself (both
// set or both null; null means "missing", and every read of a missing value gives that read's default).
// yy_mut_doc owns a document, whose root is its value, and keeps the last read error. JsonValue is the
// runtime object for a handle; JsonDocument is a handle that owns its document, so attaching or assigning
// a value to it copies the whole tree. Documents are read-only apart from parsing and copying. A document
// and the handles into it are used by one thread at a time; a handle becomes invalid when its document is
// released or replaced.
#pragma once

#include <rapidjson/fwd.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "data/json_read_error.h"
#include "runtime/object.h"

class CWString;

struct yy_mut_val {
  rapidjson::Document* doc = nullptr;
  rapidjson::Value* val = nullptr;
};

class yy_mut_doc : public virtual yy_mut_val {
 public:
  yy_mut_doc();
  yy_mut_doc(const yy_mut_doc&) = delete;
  yy_mut_doc& operator=(const yy_mut_doc&) = delete;
  virtual ~yy_mut_doc();

  // Replaces the document by the one in `text` (standard JSON, any value as root). False, with the read
  // error set and no document left, when the text is empty or not valid JSON.
  bool parseText(const CWString& text);
  bool parseText(const wchar_t* text);
  // The same for UTF-8 bytes; a last byte of zero is not part of the text. No bytes or a length of 0
  // returns false with the read error cleared.
  bool parseUtf8(const void* bytes, size_t length);

  // Items of the root: its item count when the root is an array or object, else 0.
  int64_t itemCount() const;

  // Frees the document and all its values; the root becomes missing.
  void ReleaseDocument();
  const JsonReadError& ReadError() const { return m_readError; }
  void ClearReadError() { m_readError = JsonReadError(); }

 protected:
  // Parses `length` bytes (after the caller's own checks) into a fresh owned document.
  bool ParseBytes(const char* bytes, size_t length);
  // Makes a parse of the compact text of `value` the owned document; anything but an array or object
  // leaves no document, with read error 1.
  void CopyContainer(const rapidjson::Value* value);
  // Makes `document` the owned document (null leaves none).
  void Adopt(std::unique_ptr<rapidjson::Document> document);

  JsonReadError m_readError;

 private:
  std::unique_ptr<rapidjson::Document> m_owned;
};

class JsonValue : public CVolObject, public virtual yy_mut_val {
  VOL_CLASS_IDENTITY(JsonValue, CVolObject, "JsonValue")
 public:
  JsonValue() = default;
  JsonValue(rapidjson::Document* document, rapidjson::Value* value) { JsonValue::Attach(document, value); }
  JsonValue(const JsonValue& other);
  JsonValue& operator=(const JsonValue& other);
  ~JsonValue() override = default;

  // Refers to `value` in `document`; stores nulls unless both are given.
  virtual void Attach(rapidjson::Document* document, rapidjson::Value* value);
  void Attach(const yy_mut_val& other) { Attach(other.doc, other.val); }
  bool IsMissing() const { return val == nullptr; }
  uint64_t Tag() const;

  CVolObject* Clone() const override { return new JsonValue(*this); }
  bool Assign(const CVolObject& source) override;
  void Reset() override;
  // Same class and the same referred value.
  bool IsEqual(const CVolObject& other) const override;
};

class JsonDocument : public JsonValue, public yy_mut_doc {
  VOL_CLASS_IDENTITY(JsonDocument, JsonValue, "JsonDocument")
 public:
  JsonDocument() = default;
  JsonDocument(const JsonDocument& other);
  JsonDocument& operator=(const JsonDocument& other);
  ~JsonDocument() override = default;

  // Deep copy: an array or object becomes this document's own tree; any other value leaves it empty.
  void Attach(rapidjson::Document* document, rapidjson::Value* value) override;
  using JsonValue::Attach;

  // Replaces the document by a fresh one whose root is an empty object or array.
  void MakeEmptyObject();
  void MakeEmptyArray();

  // The root as compact JSON; empty without a document.
  std::string CompactText() const;

  CVolObject* Clone() const override { return new JsonDocument(*this); }
  bool Assign(const CVolObject& source) override;
  void Reset() override;
  // Same class and the same compact text.
  bool IsEqual(const CVolObject& other) const override;
};
