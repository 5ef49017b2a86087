#include "common/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace briskal {
namespace {

const std::string kReplacement = "\xEF\xBF\xBD";

std::string replacements(size_t count) {
  std::string out;
  for (size_t i = 0; i < count; ++i) out += kReplacement;
  return out;
}

struct InvalidCase {
  const char* name;
  std::string bytes;
  std::string expected;  // one replacement per maximal invalid subpart
};

TEST(ToValidUtf8, ReplacesEachMaximalInvalidSubpart) {
  const InvalidCase cases[] = {
      {"stray byte", "\xFF", replacements(1)},
      {"overlong two-byte NUL", "\xC0\x80", replacements(2)},
      {"overlong three-byte caret", "\xE0\x81\x9E", replacements(3)},
      {"surrogate", "\xED\xA0\x80", replacements(3)},
      {"past U+10FFFF", "\xF4\x90\x80\x80", replacements(4)},
      {"lone continuation byte", "\x80", replacements(1)},
      {"three-byte sequence cut short", "\xE2\x82", replacements(1)},
      {"four-byte sequence cut short", "\xF0\x9F\x98", replacements(1)},
      {"cut short before ASCII",
       "\xE2\x82"
       "A",
       replacements(1) + "A"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(utf8::toValidUtf8(c.bytes), c.expected) << c.name;
    EXPECT_EQ(utf8::toValidUtf8("<" + c.bytes + ">"), "<" + c.expected + ">") << c.name << " between text";
    EXPECT_FALSE(utf8::isValidUtf8("<" + c.bytes + ">")) << c.name;
  }
}

TEST(ToValidUtf8, KeepsValidTextAsItIs) {
  const std::string valid[] = {
      "",
      "plain ASCII with ^XA and \\ and ~",
      std::string("NUL\0 and controls \x01\x1F\x7F", 21),
      "Però € 中文",
      "\xF0\x9F\x98\x80 and the last code point \xF4\x8F\xBF\xBF",
      "\xEF\xBF\xBD already a replacement",
      "\xED\x9F\xBF just below the surrogates, \xEE\x80\x80 just above",
  };
  for (const auto& text : valid) {
    EXPECT_EQ(utf8::toValidUtf8(text), text) << text;
    EXPECT_TRUE(utf8::isValidUtf8(text)) << text;
  }
}

TEST(ToValidUtf8, ResultIsValidWhateverTheInput) {
  // Every two-byte input: none may come out changed on a second pass, which an invalid byte would.
  for (int a = 0; a < 256; ++a) {
    for (int b = 0; b < 256; ++b) {
      const std::string input{static_cast<char>(a), static_cast<char>(b)};
      const std::string once = utf8::toValidUtf8(input);
      ASSERT_EQ(utf8::toValidUtf8(once), once) << a << ' ' << b;
      ASSERT_EQ(utf8::isValidUtf8(input), once == input) << a << ' ' << b;
    }
  }
}

}  // namespace
}  // namespace briskal
