// The JSON writer's strings: bytes as read, valid UTF-8 kept, every other
// byte written as its own code point, so that any name gives a document a
// strict parser takes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/json/json_writer.h"
#include "system/report_output.h"
#include "test_support.h"

namespace vadrimel {
namespace {

/// The code points of strict UTF-8 (no overlong form, no surrogate, nothing
/// above U+10FFFF, no sequence cut short); empty with `valid` false for
/// anything else.
std::vector<char32_t> strictly_decoded(std::string_view text, bool& valid) {
  std::vector<char32_t> points;
  valid = false;
  for (std::size_t at = 0; at < text.size();) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead < 0x80        ? 1
                               : lead >> 5U == 6  ? 2
                               : lead >> 4U == 14 ? 3
                               : lead >> 3U == 30 ? 4
                                                  : 0;
    if (length == 0 || at + length > text.size()) {
      return {};
    }
    char32_t point = length == 1 ? lead : lead & (0x7FU >> length);
    for (std::size_t index = 1; index < length; ++index) {
      const auto byte = static_cast<unsigned char>(text[at + index]);
      if (byte >> 6U != 2) {
        return {};
      }
      point = (point << 6U) | (byte & 0x3FU);
    }
    const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (point < least[length] || point > 0x10FFFF ||
        (point >= 0xD800 && point <= 0xDFFF)) {
      return {};
    }
    points.push_back(point);
    at += length;
  }
  valid = true;
  return points;
}

struct StringCase {
  const char* name;
  std::string text;
  std::vector<char32_t> points;
};

const std::vector<StringCase> STRING_CASES = {
    {"a continuation byte alone", "\x80", {0x80}},
    {"overlong leads", "\xC0\x80\xC1\xBF", {0xC0, 0x80, 0xC1, 0xBF}},
    {"an overlong three-byte form", "\xE0\x80\x80", {0xE0, 0x80, 0x80}},
    {"a surrogate", "\xED\xA0\x80", {0xED, 0xA0, 0x80}},
    {"above U+10FFFF", "\xF4\x90\x80\x80", {0xF4, 0x90, 0x80, 0x80}},
    {"leads that never start UTF-8", "\xF5\xF8\xFE\xFF", {0xF5, 0xF8, 0xFE, 0xFF}},
    {"a sequence cut short", "\xE2\x82", {0xE2, 0x82}},
    {"Windows-1252 in a name", "Boot\xe9.c", {'B', 'o', 'o', 't', 0xE9, '.', 'c'}},
    {"valid UTF-8 stays",
     "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80",
     {0xE9, 0x20AC, 0x1F600}},
};

TEST(JsonWriterTest, EveryStringIsStrictUtf8) {
  for (const StringCase& test : STRING_CASES) {
    const testing::CapturedMessages out;
    ReportOutput output(out.file());
    JsonWriter json(output);
    json.string(test.text);
    ASSERT_EQ(output.finish(out.file()), 0);
    const std::string written = out.text();
    ASSERT_GE(written.size(), 2U) << test.name;
    bool valid = false;
    const std::vector<char32_t> points =
        strictly_decoded(std::string_view(written).substr(1, written.size() - 2), valid);
    EXPECT_TRUE(valid) << test.name << ": " << testing::printable(written);
    EXPECT_EQ(points, test.points) << test.name;
  }
}

} // namespace
} // namespace vadrimel
