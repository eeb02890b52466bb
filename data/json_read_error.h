// The read error a JSON document keeps after a failed parse: a code, a static ASCII message and the byte
// position. The codes and messages are the document layer's own, whatever the parser underneath reports.
#pragma once

#include <rapidjson/error/error.h>

#include <cstddef>
#include <cstdint>

enum JsonReadErrorCode : uint32_t {
  kJsonReadSuccess = 0,
  kJsonReadInvalidParameter = 1,   // no input, or input of length 0
  kJsonReadMemoryAllocation = 2,
  kJsonReadEmptyContent = 3,       // only white space
  kJsonReadUnexpectedContent = 4,  // something after the document, e.g. [1]x
  kJsonReadUnexpectedEnd = 5,      // the text stops inside a value, e.g. [1
  kJsonReadUnexpectedCharacter = 6,
  kJsonReadJsonStructure = 7,      // e.g. [1,]
  kJsonReadInvalidComment = 8,
  kJsonReadInvalidNumber = 9,
  kJsonReadInvalidString = 10,
  kJsonReadLiteral = 11,           // e.g. truu
};

struct JsonReadError {
  uint32_t code = kJsonReadSuccess;
  const char* message = nullptr;
  size_t position = 0;
};

// Describes a parse failure of `bytes` (length `length`) that the parser reported as `code` at `offset`.
JsonReadError TranslateJsonParseError(rapidjson::ParseErrorCode code, size_t offset, const char* bytes,
                                      size_t length);
