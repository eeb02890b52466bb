// Reduction of a Set-Cookie header value to the cookies it sets.
#pragma once

#include "runtime/wide_string.h"

// The name=value pairs of `value` (with or without a leading "Set-Cookie:", in any letter case), joined by
// "; " in header order. Pieces without '=' and the attributes Domain, Path, Expires, Max-Age, SameSite and
// Priority are dropped (so is a cookie whose name starts with one of those words). Empty when nothing is
// left.
CWString ParseSetCookie(const CWString& value);
