#include "listing/line_cleanup.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "test_support.h"

namespace vadrimel {
namespace {

using testing::printable;

const std::string LONG_X(100, 'x');

TEST(StripTrailingSpacesTest, SpacesOnlyTextKeptOrEmptiedByMode) {
  // The text, then what is left of it per chunk and on whole lines.
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"", "", ""},
      {" ", " ", ""},
      {"    ", "    ", ""},
      {"a ", "a", "a"},
      {" a", " a", " a"},
      {"a\t", "a\t", "a\t"},
      {"a \r", "a \r", "a \r"},
      {"x  y  ", "x  y", "x  y"},
      {"abcdef !", "abcdef !", "abcdef !"},
      {"abcdef \x21", "abcdef \x21", "abcdef \x21"},
      {"abcdef \x01", "abcdef \x01", "abcdef \x01"},
      {"abcdefg!" + std::string(9, ' '), "abcdefg!", "abcdefg!"},
  };
  for (const auto& [text, per_chunk, whole_line] : cases) {
    EXPECT_EQ(strip_trailing_spaces(text, BlankText::KEPT), per_chunk) << printable(text);
    EXPECT_EQ(strip_trailing_spaces(text, BlankText::EMPTIED), whole_line)
        << printable(text);
  }
}

// Scans that look at several bytes at once go wrong at word boundaries and on
// the byte next to the one they look for: one space at every position of two
// words, followed by each kind of byte, and by a path where it fits.
TEST(StripTrailingSpacesTest, OneSpaceAnywhereInTwoWords) {
  for (std::size_t at = 0; at < 16; ++at) {
    for (const char after : {'!', '\x01', '\xA0', 'C'}) {
      std::string text(16, 'x');
      text[at] = ' ';
      const bool path_fits = after == 'C' && at + 2 < text.size();
      if (at + 1 < text.size()) {
        text[at + 1] = after;
      }
      if (path_fits) {
        text[at + 2] = ':';
      }
      const std::string kept = at + 1 == text.size() ? text.substr(0, at) : text;
      EXPECT_EQ(strip_trailing_spaces(text, BlankText::KEPT), kept) << printable(text);
      const LineParts parts = split_off_source_path(text, PathRules::LAST_SPACE, "");
      EXPECT_EQ(parts.text, path_fits ? text.substr(0, at) : text) << printable(text);
      EXPECT_EQ(parts.path, path_fits ? text.substr(at + 1) : "") << printable(text);
    }
  }
}

TEST(SplitOffSourcePathTest, PathsOnWholeLines) {
  // The line, then the text and the path it splits into ("" when no path).
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"abc   C:\\My Code\\a.c", "abc  ", "C:\\My Code\\a.c"},
      {"abc   C:\\My  Code\\a.c", "abc   C:\\My  Code\\a.c", ""},
      {"abc D:\\p\\q.c", "abc", "D:\\p\\q.c"},
      {"abc C:/My Code/a.c", "abc", "C:/My Code/a.c"},
      {"abc c:\\My Code\\a.c", "abc c:\\My Code\\a.c", ""},
      {"abc C:\\a b\\c.c ", "abc C:\\a b\\c.c ", ""},
      {"abc C:", "abc", "C:"},
      {"abc C:x y", "abc C:x y", ""},
      {"C:\\a b\\c.c", "C:\\a b\\c.c", ""},
      {" C:\\a b\\c.c", "", "C:\\a b\\c.c"},
      {"      C:\\a b\\c.c", "     ", "C:\\a b\\c.c"},
      // The last space before a drive wins, and only it is tried.
      {"x C:\\a D:\\b c", "x C:\\a", "D:\\b c"},
      {"x C:\\a b D:\\c  d", "x C:\\a b D:\\c  d", ""},
      // Today's rule comes first, even when an earlier drive would give more.
      {"x C:\\Program Files\\a Q:x", "x C:\\Program Files\\a", "Q:x"},
      {"ab:\\x y", "ab:\\x y", ""},
      {"abc xC:\\a b", "abc xC:\\a b", ""},
      {"a :\\x y", "a :\\x y", ""},
      {"", "", ""},
      {"    ", "    ", ""},
      {"C", "C", ""},
  };
  for (const auto& [line, text, path] : cases) {
    const LineParts parts = split_off_source_path(line, PathRules::WHOLE_LINE, "");
    EXPECT_EQ(printable(parts.text), printable(text)) << printable(line);
    EXPECT_EQ(printable(parts.path), printable(path)) << printable(line);
  }
}

/// `text` padded with spaces to the File column, then `path`.
std::string in_file_column(const std::string& text, const std::string& path) {
  return text + std::string(124 - text.size(), ' ') + path;
}

TEST(SplitOffSourcePathTest, TheCurrentPathAndTheFileColumn) {
  const std::string relative = "source\\sq.s";
  const std::string instruction = "000000   0012     RETURN    0x0            return";
  const std::string long_source = std::string(43, ' ') + std::string(80, 'x');
  // The line, the current path, then the text and the path it splits into.
  const std::vector<std::tuple<std::string, std::string, std::string, std::string>>
      cases = {
          {in_file_column(instruction, "D:\\p\\a.c"), relative,
           in_file_column(instruction, "").substr(0, 123), "D:\\p\\a.c"},
          // A relative path in the File column: on the first line of its file,
          // and on a padding line.
          {in_file_column(instruction, relative), "D:\\p\\a.c",
           in_file_column(instruction, "").substr(0, 123), relative},
          {in_file_column("", relative), "", std::string(123, ' '), relative},
          // Source that reaches byte 122 leaves no File column; the current
          // path still ends the line.
          {long_source + " " + relative, "", long_source + " " + relative, ""},
          {std::string(122, ' ') + "y " + relative, "",
           std::string(122, ' ') + "y " + relative, ""},
          {long_source + " " + relative, relative, long_source, relative},
          {long_source + "yyy " + relative, relative, long_source + "yyy", relative},
          {long_source + "yyy " + relative, "x.s", long_source + "yyy " + relative, ""},
          {long_source + "yyy" + relative, relative, long_source + "yyy" + relative, ""},
          // The header's words and rules, and texts that are no path.
          {in_file_column("Address  Value", "File"), "",
           in_file_column("Address  Value", "File"), ""},
          {in_file_column("-------", "-----"), "", in_file_column("-------", "-----"),
           ""},
          {in_file_column("", "a.c "), "", in_file_column("", "a.c "), ""},
          {in_file_column("", "a  b.c"), "", in_file_column("", "a  b.c"), ""},
          {in_file_column("", "src/a"), "", std::string(123, ' '), "src/a"},
          {in_file_column("", "a b.c"), "", std::string(123, ' '), "a b.c"},
          {in_file_column(std::string(123, 'x'), "a.c"), "",
           in_file_column(std::string(123, 'x'), "a.c"), ""},
      };
  for (const auto& [line, current, text, path] : cases) {
    const LineParts parts = split_off_source_path(line, PathRules::WHOLE_LINE, current);
    EXPECT_EQ(printable(parts.text), printable(text)) << printable(line);
    EXPECT_EQ(printable(parts.path), printable(path)) << printable(line);
    // Per chunk, only the seed's rule counts.
    if (path.find(':') == std::string::npos) {
      EXPECT_EQ(split_off_source_path(line, PathRules::LAST_SPACE, current).path, "");
    }
  }
}

TEST(SplitOffSourcePathTest, PerChunkOnlyAfterTheLastSpace) {
  // The line, then the text and the path it splits into ("" when no path).
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"abc   D:\\work\\main.asm", "abc  ", "D:\\work\\main.asm"},
      {"abc   C:\\My Code\\a.c", "abc   C:\\My Code\\a.c", ""},
      {"abc C:\\a.c ", "abc C:\\a.c ", ""},
      {"abc Q:x", "abc", "Q:x"},
      {"abc q:x", "abc q:x", ""},
      {"abc :x", "abc :x", ""},
      {"abcdef !", "abcdef !", ""},
      {"abcdef ! C:", "abcdef !", "C:"},
      {"C:\\x", "C:\\x", ""},
  };
  for (const auto& [line, text, path] : cases) {
    const LineParts parts = split_off_source_path(line, PathRules::LAST_SPACE, "");
    EXPECT_EQ(printable(parts.text), printable(text)) << printable(line);
    EXPECT_EQ(printable(parts.path), printable(path)) << printable(line);
  }
}

TEST(CutAndStripTest, EveryTrailingSpaceGoesOnWholeLines) {
  const std::vector<std::tuple<std::string, std::uint8_t, std::string>> cases = {
      {"    ", 0, ""},
      {"", 80, ""},
      {"a b   ", 0, "a b"},
      {"abc\t ", 0, "abc\t"},
      {LONG_X, 80, LONG_X.substr(0, 80)},
      {LONG_X, 31, LONG_X},
      {std::string(80, ' ') + "b", 80, ""},
      {std::string(70, 'a') + std::string(20, ' ') + "b", 80, std::string(70, 'a')},
  };
  for (const auto& [piece, max_length, expected] : cases) {
    EXPECT_EQ(cut_and_strip(piece, max_length, BlankText::EMPTIED), expected)
        << printable(piece) << ", max_length " << int{max_length};
  }
}

std::string masked(std::string text, bool in_string_statement = false) {
  return std::string(view_of(mask_build_noise(text, in_string_statement)));
}

TEST(MaskBuildNoiseTest, DatesAddressesAndBranchTargets) {
  const std::string columns(13, ' ');
  // The line, then what -d makes of it.
  std::vector<std::pair<std::string, std::string>> cases = {
      {"Listing File Generated: Tue Oct 17 18:56:05 2023", "Listing File Generated:"},
      {"Listing File Generated:", "Listing File Generated:"},
      {" Listing File Generated: x", " Listing File Generated: x"},
      {"0091ac   f000", columns},
      {"0091ac   f000" + std::string(111, ' '), std::string(124, ' ')},
      {"0091a6   eceb     CALL      0x8dd6,0x0         _do_cinit ();",
       columns + "     CALL      0x????,0x0         _do_cinit ();"},
      {"000000   ef10     GOTO      0x20", columns + "     GOTO      0x??"},
      {"000000   ef10     BRA       0xAB1f", columns + "     BRA       0x????"},
      {"000000   0e01     MOVLW     0x1", columns + "     MOVLW     0x1"},
      {"000000   ef10     GOTOX     0x20", columns + "     GOTOX     0x20"},
      {"000000   ef10     CALL      x0x20", columns + "     CALL      x0x20"},
      {"000000   ef10     CALL      0x", columns + "     CALL      0x"},
      {"000000   ef10     CALL", columns + "     CALL"},
      {"000000   ef10    xCALL      0x20", columns + "    xCALL      0x20"},
      {"0091A6   eceb     CALL      0x8dd6", "0091A6   eceb     CALL      0x8dd6"},
      {"0091a6   eceg", "0091a6   eceg"},
      {"0091a6   ecebx", "0091a6   ecebx"},
      {"0091a6  eceb     NOP", "0091a6  eceb     NOP"},
      {"0091a", "0091a"},
      {"                  CALL      0x20", "                  CALL      0x20"},
      {"", ""},
  };
  for (const char* branch : {"BC", "BN", "BNC", "BNN", "BNOV", "BNZ", "BOV", "BRA", "BZ",
                             "CALL", "GOTO", "RCALL"}) {
    std::string instruction = std::string(branch) + "      ";
    instruction.resize(10, ' ');
    cases.emplace_back("008df0   e103     " + instruction + "0x8df8  bnz 3",
                       columns + "     " + instruction + "0x????  bnz 3");
  }
  // A target anywhere in the line is masked.
  const std::string wide = "008df0   e103     BRA" + std::string(240, ' ') + "0x8dF8";
  cases.emplace_back(wide, columns + wide.substr(13, wide.size() - 13 - 4) + "????");
  const std::string long_line =
      "008df0   e103     BRA       0x8df8" + std::string(300, 'z');
  cases.emplace_back(long_line,
                     columns + "     BRA       0x????" + std::string(300, 'z'));
  for (const auto& [line, expected] : cases) {
    EXPECT_EQ(printable(masked(line)), printable(expected)) << printable(line);
  }
  // In a statement with a string, the address of the string a MOVLW loads.
  for (const auto& [line, expected] : std::vector<std::pair<std::string, std::string>>{
           {"000000   0e01     MOVLW     0xb0", columns + "     MOVLW     0x??"},
           {"000000   0e01     MOVLWX    0xb0", columns + "     MOVLWX    0xb0"},
           {"000000   0e01     ADDLW     0xb0", columns + "     ADDLW     0xb0"},
           {"000000   ef10     GOTO      0x20", columns + "     GOTO      0x??"}}) {
    EXPECT_EQ(printable(masked(line, true)), printable(expected)) << printable(line);
  }
}

TEST(MaskBuildNoiseTest, PathsByTheirLastThreeParts) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"C:\\a.c", "C:\\a.c"},
      {"C:\\x\\a.c", "C:\\x\\a.c"},
      {"src/x/a.c", "src/x/a.c"},
      {"D:\\Projects\\EggBot6-GH\\EBB_firmware\\app.X\\source\\ebb.c",
       "...\\app.X\\source\\ebb.c"},
      {"/home/u/fw/app/src/a.c", ".../app/src/a.c"},
      {"C:\\p q/x\\y/a.c", ".../x\\y/a.c"},
      {"\\x\\y\\a.c", "\\x\\y\\a.c"},
  };
  for (const auto& [path, shown] : cases) {
    const std::size_t start = elided_path_start(path);
    EXPECT_EQ(start == 0 ? path : "..." + path.substr(start), shown) << path;
  }
}

} // namespace
} // namespace vadrimel
