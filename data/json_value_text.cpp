#include "data/json_value_text.h"

#include <vector>

#include "data/json_rapidjson.h"
#include "runtime/wide_string.h"

namespace {

void WriteQuoted(const char* text, size_t length, std::string& out) {
  static const char kHex[] = "0123456789ABCDEF";
  out += '"';
  for (size_t i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          out += "\\u00";
          out += kHex[c >> 4];
          out += kHex[c & 0xF];
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  out += '"';
}

void WriteScalar(const rapidjson::Value& value, std::string& out) {
  char digits[40];
  switch (value.GetType()) {
    case rapidjson::kNullType: out += "null"; break;
    case rapidjson::kFalseType: out += "false"; break;
    case rapidjson::kTrueType: out += "true"; break;
    case rapidjson::kStringType: WriteQuoted(value.GetString(), value.GetStringLength(), out); break;
    case rapidjson::kNumberType: {
      // Shortest text that reads back as the same double; integers keep their kind.
      const char* end = value.IsDouble()   ? rapidjson::internal::dtoa(value.GetDouble(), digits)
                        : value.IsUint64() ? rapidjson::internal::u64toa(value.GetUint64(), digits)
                                           : rapidjson::internal::i64toa(value.GetInt64(), digits);
      out.append(digits, static_cast<size_t>(end - digits));
      break;
    }
    default: break;
  }
}

}  // namespace

uint64_t JsonTag(const rapidjson::Value* value) {
  if (!value) return 0;
  switch (value->GetType()) {
    case rapidjson::kNullType: return kJsonTagNull;
    case rapidjson::kFalseType: return kJsonTagFalse;
    case rapidjson::kTrueType: return kJsonTagTrue;
    case rapidjson::kNumberType:
      return value->IsDouble() ? kJsonTagReal : value->IsUint64() ? kJsonTagUnsigned : kJsonTagSigned;
    case rapidjson::kStringType: return kJsonTagString | (uint64_t{value->GetStringLength()} << 8);
    case rapidjson::kArrayType: return kJsonTagArray | (uint64_t{value->Size()} << 8);
    case rapidjson::kObjectType: return kJsonTagObject | (uint64_t{value->MemberCount()} << 8);
  }
  return 0;
}

bool IsJsonContainer(const rapidjson::Value* value) {
  return value && (value->IsArray() || value->IsObject());
}

uint64_t JsonItemCount(const rapidjson::Value* value) {
  if (!value) return 0;
  if (value->IsArray()) return value->Size();
  if (value->IsObject()) return value->MemberCount();
  return 0;
}

rapidjson::Value* JsonItemAt(rapidjson::Value* container, int64_t index) {
  if (index < 0 || static_cast<uint64_t>(index) >= JsonItemCount(container)) return nullptr;
  const auto i = static_cast<rapidjson::SizeType>(index);
  if (container->IsArray()) return &(*container)[i];
  return &(container->MemberBegin() + i)->value;
}

void WriteCompactJson(const rapidjson::Value& value, std::string& out) {
  struct Open {
    const rapidjson::Value* container;
    rapidjson::SizeType next;
  };
  std::vector<Open> open;
  const rapidjson::Value* current = &value;
  while (current) {
    if (current->IsArray()) {
      out += '[';
      open.push_back({current, 0});
    } else if (current->IsObject()) {
      out += '{';
      open.push_back({current, 0});
    } else {
      WriteScalar(*current, out);
    }
    // Find the next value to write, closing every container that has none left.
    current = nullptr;
    while (!open.empty() && !current) {
      Open& top = open.back();
      const bool isArray = top.container->IsArray();
      if (top.next < JsonItemCount(top.container)) {
        if (top.next > 0) out += ',';
        if (isArray) {
          current = &(*top.container)[top.next];
        } else {
          const auto& member = *(top.container->MemberBegin() + top.next);
          WriteQuoted(member.name.GetString(), member.name.GetStringLength(), out);
          out += ':';
          current = &member.value;
        }
        ++top.next;
      } else {
        out += isArray ? ']' : '}';
        open.pop_back();
      }
    }
  }
}

void AppendJsonValueText(CWString& out, const rapidjson::Value* value) {
  if (!value) return;
  switch (value->GetType()) {
    case rapidjson::kNullType: out.AddText(L"null"); break;
    case rapidjson::kFalseType: out.AddText(L"false"); break;
    case rapidjson::kTrueType: out.AddText(L"true"); break;
    case rapidjson::kStringType: out.AddUtf8(value->GetString()); break;
    case rapidjson::kNumberType:
      if (value->IsDouble()) {
        out.AddDouble(value->GetDouble());
      } else {
        // Unsigned values above the signed range read as their two's-complement negative.
        const int64_t n = value->IsInt64() ? value->GetInt64() : static_cast<int64_t>(value->GetUint64());
        out.AddFormat(L"%I64d", n);
      }
      break;
    case rapidjson::kArrayType:
    case rapidjson::kObjectType: {
      std::string json;
      WriteCompactJson(*value, json);
      out.AddUtf8(json.c_str());
      break;
    }
  }
}
