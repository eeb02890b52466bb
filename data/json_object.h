// JsonObject and JsonArray: a JSON document read by paths, listed as texts, and copied out by parts.
//
// The two differ only in the root a new holder starts with (an empty object, an empty array); parsing or
// getContainer replaces the document whatever the kind of the new root, and every operation works the
// same on both. Paths: see data/json_path.h. Reads never fail: missing values, wrong types and bad
// indices give empty text, 0 or an empty target. Copies are deep. One thread at a time.
#pragma once

#include <cstdint>

#include "data/json_document.h"
#include "runtime/text_array.h"
#include "runtime/wide_string.h"

class JsonHolder : public CVolObject {
  VOL_CLASS_IDENTITY(JsonHolder, CVolObject, "JsonHolder")
 public:
  JsonHolder(const JsonHolder& other);
  JsonHolder& operator=(const JsonHolder& other);
  ~JsonHolder() override = default;

  JsonDocument& Content() { return m_content; }
  const JsonDocument& Content() const { return m_content; }

  // Replace the content (see yy_mut_doc); false leaves no document and the read error in Content().
  bool parseText(const CWString& text) { return m_content.parseText(text); }
  bool parseUtf8(const void* bytes, size_t length) { return m_content.parseUtf8(bytes, length); }
  int64_t itemCount() const { return m_content.itemCount(); }

  // A string's characters (up to any zero character), otherwise the value's text form: "null",
  // "true"/"false", integers in signed decimal, reals as "0" near zero or "%.15G", containers as compact
  // JSON; empty text when missing.
  CWString getText(const CWString& path) const;
  // Integers as stored, reals truncated toward zero, strings read as a decimal integer ("  -7x" gives -7),
  // anything else 0; the low 32 bits of that 64-bit value.
  int32_t getInteger(const CWString& path) const;
  // Replaces the target's content by a copy of the array or object at the path; for anything else the
  // target is left without a root and read error 1. The target may be this holder.
  void getContainer(const CWString& path, JsonHolder& target) const;

  // Appends, for every item of the root: its member name (empty for array elements), its text form and
  // its type name. Returns the number of entries in `names`.
  int64_t listMembers(CVolTextArray& names, CVolTextArray& texts, CVolTextArray& types) const;
  // Appends the text form of every item of the root; returns the number of entries in `texts`.
  int64_t listItemTexts(CVolTextArray& texts) const;
  // The index-th item's text form into `out`. When the root's first item is a string, only string items
  // give text (their characters) and others give empty text.
  CWString& itemText(CWString& out, int32_t index) const;

  CVolObject* Clone() const override { return new JsonHolder(*this); }
  bool Assign(const CVolObject& source) override;
  void Reset() override;
  bool IsEqual(const CVolObject& other) const override;

 protected:
  JsonHolder() = default;
  void PointSpareAtRoot();

 private:
  void CopySpareFrom(const JsonHolder& other);

  JsonDocument m_content;
  // A handle kept beside the content and copied with it; the operations above do not use it.
  JsonValue m_spare;
};

class JsonObject : public JsonHolder {
  VOL_CLASS_IDENTITY(JsonObject, JsonHolder, "JsonObject")
 public:
  JsonObject() { Content().MakeEmptyObject(); }
  JsonObject(const JsonObject&) = default;
  JsonObject& operator=(const JsonObject&) = default;
  ~JsonObject() override = default;

  CVolObject* Clone() const override { return new JsonObject(*this); }
  void Reset() override;
};

class JsonArray : public JsonHolder {
  VOL_CLASS_IDENTITY(JsonArray, JsonHolder, "JsonArray")
 public:
  JsonArray();
  JsonArray(const JsonArray&) = default;
  JsonArray& operator=(const JsonArray&) = default;
  ~JsonArray() override = default;

  CVolObject* Clone() const override { return new JsonArray(*this); }
  void Reset() override;
};

// Type names used by listMembers, by the low byte of a value's tag ("未知" for anything else).
const wchar_t* JsonTypeName(uint64_t tag);
