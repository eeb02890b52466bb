// Finding a value inside a document by a path text.
//
// A path starting with "/" is a JSON Pointer: each "/"-separated token selects, on an object, the first
// member (in document order) whose name has exactly the token's bytes ("~1" stands for "/", "~0" for "~",
// any other "~" fails), and on an array the element whose index the token spells ("0" or digits without a
// leading zero, below the element count). Any other non-empty path names one member of the root object
// literally, slashes included. Missing values come back as null.
#pragma once

#include <rapidjson/fwd.h>

class CWString;

rapidjson::Value* ResolveJsonPath(rapidjson::Value* root, const CWString& path);
