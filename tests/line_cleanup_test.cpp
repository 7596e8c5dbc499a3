#include "listing/line_cleanup.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "test_support.h"

namespace vadrimel {
namespace {

using testing::printable;

/// Sets the chunk up as the reader would deliver `text`.
void fill_chunk(LineChunk& chunk, std::string_view text) {
  std::memcpy(chunk.storage.data(), text.data(), text.size());
  chunk.text = {chunk.storage.data(), text.size()};
  chunk.holds_zero_byte = text.find('\0') != std::string_view::npos;
}

struct CleanupCase {
  std::string chunk;
  std::uint8_t max_length;
  std::string previous_path; // the path of the last record, "" if none
  std::string expected_line;
  std::string expected_record; // the new source path, "" if no record
};

const std::string LONG_X(100, 'x');

const std::vector<CleanupCase> CLEANUP_CASES = {
    // Source paths after the last space.
    {"abc   D:\\work\\main.asm", 0, "", "abc", "D:\\work\\main.asm"},
    {"def   D:\\work\\main.asm", 0, "D:\\work\\main.asm", "def", ""},
    {"ghi   E:\\work\\defs.inc", 0, "D:\\work\\main.asm", "ghi", "E:\\work\\defs.inc"},
    {"abc d:\\work\\main.asm", 0, "", "abc d:\\work\\main.asm", ""},
    {"abc C:\\Program Files\\main.asm", 0, "", "abc C:\\Program Files\\main.asm", ""},
    {"abc C:", 0, "", "abc", "C:"},
    {"abc Q:x", 0, "", "abc", "Q:x"},
    {"abc A", 0, "", "abc A", ""},
    {"abc @:x", 0, "", "abc @:x", ""},
    {"abc [:x", 0, "", "abc [:x", ""},
    {"C:\\work\\main.asm", 0, "", "C:\\work\\main.asm", ""},
    {"abc C:\\work\\main.asm ", 0, "", "abc C:\\work\\main.asm", ""},
    {" C:\\work\\main.asm", 0, "", "", "C:\\work\\main.asm"},
    {"abc\tC:\\x.c", 0, "", "abc\tC:\\x.c", ""},
    {"abc C:\\X.C", 0, "C:\\x.c", "abc", "C:\\X.C"},
    // The path is taken before the cut, so a path beyond the cut still counts.
    {LONG_X + " C:\\far.asm", 80, "", LONG_X.substr(0, 80), "C:\\far.asm"},
    // Trailing spaces.
    {"    ", 0, "", "    ", ""},
    {"    ", 80, "", "    ", ""},
    {"", 80, "", "", ""},
    {"a b   ", 0, "", "a b", ""},
    {"abc\t ", 0, "", "abc\t", ""},
    // The cut.
    {LONG_X, 80, "", LONG_X.substr(0, 80), ""},
    {LONG_X, 0, "", LONG_X, ""},
    {LONG_X, 31, "", LONG_X, ""},
    {LONG_X, 32, "", LONG_X.substr(0, 32), ""},
    {LONG_X, 255, "", LONG_X, ""},
    {std::string(70, 'a') + std::string(20, ' ') + "b", 80, "", std::string(70, 'a'), ""},
    {std::string(80, ' ') + "b", 80, "", std::string(80, ' '), ""},
    // A zero byte ends the text: what follows it, path included, is gone.
    {std::string("ab  \0 C:\\x.c", 12), 0, "", "ab", ""},
    {std::string("\0abc", 4), 0, "", "", ""},
};

TEST(RewriteLineTest, CleansChunksAndNamesNewPaths) {
  for (const CleanupCase& test : CLEANUP_CASES) {
    SourcePath source_path;
    if (!test.previous_path.empty()) {
      source_path.replace_if_different(test.previous_path);
    }
    LineChunk chunk;
    fill_chunk(chunk, test.chunk);
    const bool record_due = rewrite_line(chunk, source_path, test.max_length);
    const std::string where = "chunk " + printable(test.chunk) + ", max_length " +
                              std::to_string(test.max_length);
    EXPECT_EQ(printable(chunk.text), printable(test.expected_line)) << where;
    EXPECT_EQ(record_due, !test.expected_record.empty()) << where;
    if (record_due) {
      EXPECT_EQ(source_path.current_source_path(), test.expected_record) << where;
    }
  }
}

TEST(RewriteLineTest, PathCarriesOverAndRepeatsOnlyAfterAChange) {
  const std::vector<std::pair<std::string, bool>> steps = {
      {"a A:\\1", true}, {"b A:\\1", false}, {"no path here", false}, {"c B:\\2", true},
      {"d A:\\1", true}, {"    ", false},    {"e A:\\1", false},
  };
  SourcePath source_path;
  for (const auto& [text, record_due] : steps) {
    LineChunk chunk;
    fill_chunk(chunk, text);
    EXPECT_EQ(rewrite_line(chunk, source_path, 0), record_due) << text;
  }
  EXPECT_EQ(source_path.current_source_path(), "A:\\1");
}

TEST(RewriteLineTest, PathAsLongAsAChunkAllows) {
  const std::string path = "Z:" + std::string(252, 'p');
  LineChunk chunk;
  fill_chunk(chunk, " " + path);
  SourcePath source_path;
  EXPECT_TRUE(rewrite_line(chunk, source_path, 80));
  EXPECT_EQ(source_path.current_source_path(), path);
  EXPECT_EQ(chunk.text, "");
}

TEST(StripTrailingSpacesTest, KeepsSpacesOnlyText) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", ""},       {" ", " "},       {"a ", "a"},        {" a", " a"},
      {"a\t", "a\t"}, {"a \r", "a \r"}, {"x  y  ", "x  y"},
  };
  for (const auto& [text, expected] : cases) {
    LineChunk chunk;
    fill_chunk(chunk, text);
    strip_trailing_spaces(chunk);
    EXPECT_EQ(chunk.text, expected) << printable(text);
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
      {"a :\\x y", "a :\\x y", ""},
      {"", "", ""},
      {"    ", "    ", ""},
      {"C", "C", ""},
  };
  for (const auto& [line, text, path] : cases) {
    const LineParts parts = split_off_source_path(line);
    EXPECT_EQ(printable(parts.text), printable(text)) << printable(line);
    EXPECT_EQ(printable(parts.path), printable(path)) << printable(line);
  }
}

TEST(CleanPieceTest, EveryTrailingSpaceGoes) {
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
    EXPECT_EQ(clean_piece(piece, max_length), expected)
        << printable(piece) << ", max_length " << int{max_length};
  }
}

} // namespace
} // namespace vadrimel
