#include "data/json_read_error.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLowerLetter(char c) { return c >= 'a' && c <= 'z'; }
bool IsWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The last byte before `offset` that is not white space, or 0.
char PreviousSignificant(const char* bytes, size_t offset) {
  while (offset > 0) {
    const char c = bytes[--offset];
    if (!IsWhiteSpace(c)) return c;
  }
  return 0;
}

// A digit right after a number that is exactly "0" or "-0".
bool FollowsLeadingZero(const char* bytes, size_t offset, size_t length) {
  if (offset == 0 || offset >= length || !IsDigit(bytes[offset]) || bytes[offset - 1] != '0') return false;
  if (offset == 1) return true;
  const char before = bytes[offset - 2];
  return !IsDigit(before) && before != '.' && before != 'e' && before != 'E' && before != '+';
}

// A letter run ending at `offset` that starts like true, false or null.
bool InsideLiteral(const char* bytes, size_t offset, size_t length) {
  size_t start = offset < length ? offset : length;
  while (start > 0 && IsLowerLetter(bytes[start - 1])) --start;
  if (start == offset && !(offset < length && IsLowerLetter(bytes[offset]))) return false;
  const char first = bytes[start];
  return first == 't' || first == 'f' || first == 'n';
}

JsonReadError Make(uint32_t code, const char* message, size_t position) { return {code, message, position}; }

}  // namespace

JsonReadError TranslateJsonParseError(rapidjson::ParseErrorCode code, size_t offset, const char* bytes,
                                      size_t length) {
  using namespace rapidjson;
  if (code == kParseErrorDocumentEmpty) return Make(kJsonReadEmptyContent, "input data is empty", offset);
  const bool atEnd = offset >= length;
  switch (code) {
    case kParseErrorDocumentRootNotSingular:
      if (FollowsLeadingZero(bytes, offset, length)) {
        return Make(kJsonReadInvalidNumber, "number with leading zero is not allowed", offset - 1);
      }
      return Make(kJsonReadUnexpectedContent, "unexpected content after document", offset);
    case kParseErrorValueInvalid:
      if (atEnd) break;
      if (bytes[offset] == ']' && PreviousSignificant(bytes, offset) == ',') {
        return Make(kJsonReadJsonStructure, "trailing comma is not allowed", offset);
      }
      if (offset > 0 && bytes[offset - 1] == '-') {
        return Make(kJsonReadInvalidNumber, "no digit after minus sign", offset);
      }
      if (InsideLiteral(bytes, offset, length)) return Make(kJsonReadLiteral, "invalid literal", offset);
      return Make(kJsonReadUnexpectedCharacter, "unexpected character", offset);
    case kParseErrorObjectMissName:
      if (atEnd) break;
      if (bytes[offset] == '}' && PreviousSignificant(bytes, offset) == ',') {
        return Make(kJsonReadJsonStructure, "trailing comma is not allowed", offset);
      }
      return Make(kJsonReadUnexpectedCharacter, "unexpected character", offset);
    case kParseErrorObjectMissColon:
    case kParseErrorObjectMissCommaOrCurlyBracket:
    case kParseErrorArrayMissCommaOrSquareBracket:
      if (atEnd) break;
      if (FollowsLeadingZero(bytes, offset, length)) {
        return Make(kJsonReadInvalidNumber, "number with leading zero is not allowed", offset - 1);
      }
      return Make(kJsonReadUnexpectedCharacter, "unexpected character", offset);
    case kParseErrorStringUnicodeEscapeInvalidHex:
      // The offset is that of the backslash: "\u" and four hexadecimal digits follow.
      if (offset + 6 > length) break;
      return Make(kJsonReadInvalidString, "invalid escaped sequence in string", offset);
    case kParseErrorStringUnicodeSurrogateInvalid:
      if (offset + 6 >= length) break;
      if (offset + 8 <= length && bytes[offset + 6] == '\\' && bytes[offset + 7] == 'u') {
        return Make(kJsonReadInvalidString, "invalid low surrogate in string", offset);
      }
      return Make(kJsonReadInvalidString, "no low surrogate in string", offset);
    case kParseErrorStringEscapeInvalid:
      if (atEnd) break;
      if (static_cast<unsigned char>(bytes[offset]) < 0x20) {
        return Make(kJsonReadInvalidString, "unexpected control character in string", offset);
      }
      return Make(kJsonReadInvalidString, "invalid escaped character in string", offset);
    case kParseErrorStringMissQuotationMark:
      if (atEnd) break;
      return Make(kJsonReadInvalidString, "unexpected control character in string", offset);
    case kParseErrorStringInvalidEncoding:
      return Make(kJsonReadInvalidString, "invalid UTF-8 encoding in string", offset);
    case kParseErrorNumberTooBig:
      return Make(kJsonReadInvalidNumber, "number is infinity when parsed as double", offset);
    case kParseErrorNumberMissFraction:
      if (atEnd) break;
      return Make(kJsonReadInvalidNumber, "no digit after decimal point", offset);
    case kParseErrorNumberMissExponent:
      if (atEnd) break;
      return Make(kJsonReadInvalidNumber, "no digit after exponent sign", offset);
    default:
      if (atEnd) break;
      return Make(kJsonReadUnexpectedCharacter, "unexpected character", offset);
  }
  return Make(kJsonReadUnexpectedEnd, "unexpected end of data", length);
}
