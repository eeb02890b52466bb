// Reducing Set-Cookie header values to the cookies they set.
#include <gtest/gtest.h>

#include <string>

#include "net/set_cookie.h"

TEST(ParseSetCookie, KeepsCookiesAndDropsAttributes) {
  const struct {
    const wchar_t* value;
    const wchar_t* cookies;
  } cases[] = {
      {L"a=1; Path=/; HttpOnly; Secure", L"a=1"},
      {L"a=1; b=2; Path=/", L"a=1; b=2"},
      {L"Set-Cookie: a=1", L"a=1"},
      {L"set-cookie:a=1;b=2", L"a=1; b=2"},
      {L"  sid = x y ; Domain=.example.com; Expires=Wed, 21 Oct 2015 07:28:00 GMT; Max-Age=3; SameSite=Lax; "
       L"Priority=High",
       L"sid = x y"},
      {L"PATH=/; domain=x; max-age=0", L""},
      // A cookie whose name starts with an attribute name goes with the attributes.
      {L"Pathway=1; c=3", L"c=3"},
      {L"token=a=b=c", L"token=a=b=c"},
      {L"novalue; =empty-name", L"=empty-name"},
      {L"", L""},
      {L";;;", L""},
      {L"Path=/; HttpOnly", L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "value " << std::wstring(c.value).c_str());
    EXPECT_STREQ(ParseSetCookie(CWString(c.value)).GetText(), c.cookies);
  }
}
