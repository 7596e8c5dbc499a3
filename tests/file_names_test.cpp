#include "driver/file_names.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "test_support.h"

namespace vadrimel {
namespace {

using testing::printable;

std::string shown(std::u16string_view text) {
  return printable(utf16_to_utf8(text));
}

TEST(FileNamesTest, Utf8AndUtf16) {
  // UTF-8, then its UTF-16 form.
  const std::vector<std::pair<std::string, std::u16string>> valid = {
      {"", u""},
      {"in.lst", u"in.lst"},
      {"\xC3\xBC", u"\u00FC"},                       // ü
      {"\xE5\x88\x97\xE8\xA1\xA8", u"\u5217\u8868"}, // 列表
      {"\xF0\x9F\x98\x80 a", u"\U0001F600 a"},       // 😀, a surrogate pair
      {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},           // the last code point
      {"\xEF\xBF\xBD", u"\uFFFD"},
  };
  for (const auto& [utf8, utf16] : valid) {
    EXPECT_EQ(utf8_to_utf16(utf8), utf16) << printable(utf8);
    EXPECT_EQ(utf8_to_utf16_replacing(utf8), utf16) << printable(utf8);
    EXPECT_EQ(utf16_to_utf8(utf16), utf8) << printable(utf8);
  }
  // Not UTF-8, then how it shows.
  const std::vector<std::pair<std::string, std::u16string>> invalid = {
      {"\x80", u"\uFFFD"},                               // a lone continuation byte
      {"a\xC0\xAF", u"a\uFFFD\uFFFD"},                   // overlong '/'
      {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},           // overlong '/'
      {"\xE5\x88", u"\uFFFD\uFFFD"},                     // cut short
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}, // past U+10FFFF
      {"\xED\xA0\x80.lst", u"\uFFFD.lst"},               // an encoded surrogate
      {"\xFF", u"\uFFFD"},
  };
  for (const auto& [utf8, replaced] : invalid) {
    EXPECT_EQ(utf8_to_utf16(utf8), std::nullopt) << printable(utf8);
    EXPECT_EQ(utf8_to_utf16_replacing(utf8), replaced) << printable(utf8);
  }
}

TEST(FileNamesTest, UnpairedSurrogatesNeverComeBackAsAName) {
  for (const std::u16string name :
       {u"\xD800.lst", u"a\xDC00", u"\xDBFF\xDBFF", u"\xDFFF"}) {
    const std::string utf8 = utf16_to_utf8(name);
    EXPECT_EQ(utf8_to_utf16(utf8), std::nullopt) << printable(utf8);
  }
  EXPECT_EQ(utf16_to_utf8(u"\xD800.lst"), "\xED\xA0\x80.lst");
}

TEST(FileNamesTest, ExtendedLengthPaths) {
  const std::u16string cwd = u"C:\\work";
  const std::u16string long_name(300, u'n');
  const std::u16string deep = u"C:\\work\\" + long_name;
  // The path, the current directory, and the form Windows opens.
  const std::vector<std::tuple<std::u16string, std::u16string, std::u16string>> cases = {
      {u"in.lst", cwd, u"in.lst"},
      {u"C:/x/../in.lst", cwd, u"C:/x/../in.lst"},
      {u"NUL", cwd, u"NUL"},
      {u"", cwd, u""},
      {deep, cwd, u"\\\\?\\" + deep},
      {u"C:/work/./a/../" + long_name, cwd, u"\\\\?\\" + deep},
      {long_name, cwd, u"\\\\?\\" + deep},
      {u".\\" + long_name + u"\\", cwd, u"\\\\?\\" + deep},
      {u"x\\..\\..\\..\\" + long_name, cwd, u"\\\\?\\C:\\" + long_name},
      {u"\\" + long_name, cwd, u"\\\\?\\C:\\" + long_name},
      {u"C:" + long_name, cwd, u"\\\\?\\" + deep},
      {u"D:" + long_name, cwd, u"\\\\?\\D:\\" + long_name},
      {u"\\\\server\\share\\" + long_name, cwd,
       u"\\\\?\\UNC\\server\\share\\" + long_name},
      {u"\\\\?\\" + deep, cwd, u"\\\\?\\" + deep},
      {long_name, u"\\\\server\\share\\dir",
       u"\\\\?\\UNC\\server\\share\\dir\\" + long_name},
      {long_name, u"\\\\?\\C:\\work", u"\\\\?\\" + deep},
      // Short once resolved: the plain absolute form does.
      {u"C:\\work\\" + long_name + u"\\..\\in.lst", cwd, u"C:\\work\\in.lst"},
      // Short, but too long once joined to a deep current directory.
      {u"in.lst", deep, u"\\\\?\\" + deep + u"\\in.lst"},
      {u"\u5217\u8868.lst", deep, u"\\\\?\\" + deep + u"\\\u5217\u8868.lst"},
  };
  for (const auto& [path, current_directory, expected] : cases) {
    EXPECT_EQ(shown(extended_length_path(path, current_directory)), shown(expected))
        << shown(path) << " in " << shown(current_directory);
  }
}

} // namespace
} // namespace vadrimel
