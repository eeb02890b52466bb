// What a JSON value looks like from outside the document: its type tag and its text forms.
#pragma once

#include <rapidjson/fwd.h>

#include <cstdint>
#include <string>

class CWString;

// Value type tag. Low three bits: type (2 null, 3 boolean, 4 number, 5 string, 6 array, 7 object); next two
// bits: subtype (boolean: 0 false, 1 true; number: 0 unsigned integer, 1 signed integer, 2 real); bits 8 and
// up: length of a string or item count of a container. So the low byte reads 2 null, 3 false, 11 true,
// 4 unsigned, 12 signed, 20 real, 5 string, 6 array, 7 object. A missing value (null pointer) gives 0.
enum JsonTagByte : uint8_t {
  kJsonTagNull = 2,
  kJsonTagFalse = 3,
  kJsonTagTrue = 11,
  kJsonTagUnsigned = 4,
  kJsonTagSigned = 12,
  kJsonTagReal = 20,
  kJsonTagString = 5,
  kJsonTagArray = 6,
  kJsonTagObject = 7,
};
uint64_t JsonTag(const rapidjson::Value* value);

bool IsJsonContainer(const rapidjson::Value* value);
// Item count of a container (elements of an array, members of an object); 0 for anything else.
uint64_t JsonItemCount(const rapidjson::Value* value);
// The index-th item of a container (member values for an object), or null.
rapidjson::Value* JsonItemAt(rapidjson::Value* container, int64_t index);

// Appends compact JSON (no white space, non-ASCII bytes as they are, "/" not escaped) to `out`. Works
// without recursion, so any nesting depth is written.
void WriteCompactJson(const rapidjson::Value& value, std::string& out);

// Appends the text form of a value: "" for missing, "null", "true"/"false", integers as signed 64-bit
// decimal, reals as "0" near zero or "%.15G", strings unquoted up to their first zero character,
// containers as compact JSON.
void AppendJsonValueText(CWString& out, const rapidjson::Value* value);
