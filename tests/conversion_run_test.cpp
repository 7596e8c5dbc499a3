#include "driver/conversion_run.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "conversion_support.h"
#include "driver/program.h"
#include "driver/report_outcome.h"
#include "system/messages.h"
#include "test_support.h"

namespace {

/// While set, the program's large allocations (a run's buffers, which it
/// takes with nothrow new) find no memory.
std::atomic<bool> large_allocations_fail{false};
constexpr std::size_t LARGE_ALLOCATION = 64 * 1024;

} // namespace

void* operator new(std::size_t size, const std::nothrow_t& /*tag*/) noexcept {
  if (large_allocations_fail && size >= LARGE_ALLOCATION) {
    return nullptr;
  }
  try {
    return ::operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void* operator new(std::size_t size, std::align_val_t alignment,
                   const std::nothrow_t& /*tag*/) noexcept {
  if (large_allocations_fail && size >= LARGE_ALLOCATION) {
    return nullptr;
  }
  try {
    return ::operator new(size, alignment);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

namespace vadrimel {
namespace {

using testing::convert_stream;
using testing::MemorySink;
using testing::MemorySource;
using testing::printable;

struct ConversionCase {
  const char* name;
  std::string input;
  std::uint8_t max_length;
  std::string expected;
};

const std::vector<ConversionCase> CONVERSION_CASES = {
    {"empty input gives one empty record", "", 0, "\r\n"},
    {"final LF gives a final empty record", "a\n", 0, "a\r\n\r\n"},
    {"no final LF, no empty record", "a\r\nb", 0, "a\r\nb\r\n"},
    {"path record comes before its line",
     "abc   C:\\src\\main.asm\r\n"
     "def   C:\\src\\main.asm\r\n"
     "ghi   E:\\inc\\defs.inc\r\n"
     "    \r\n"
     "jkl C:\\src\\main.asm",
     0,
     "FILE:C:\\src\\main.asm\r\nabc\r\ndef\r\n"
     "FILE:E:\\inc\\defs.inc\r\nghi\r\n    \r\n"
     "FILE:C:\\src\\main.asm\r\njkl\r\n"},
    {"cut after the path is taken off", std::string(90, 'x') + "   D:\\a.c\n", 80,
     "FILE:D:\\a.c\r\n" + std::string(80, 'x') + "\r\n\r\n"},
    {"a split inside a path gives the part the chunk holds",
     std::string(240, 'x') + " C:\\abcdefghijklmnop\n", 0,
     "FILE:C:\\abcdefghijk\r\n" + std::string(240, 'x') + "\r\nlmnop\r\n\r\n"},
    {"a split line of exactly 255 gives an empty record", std::string(255, 'y') + "\n", 0,
     std::string(255, 'y') + "\r\n\r\n\r\n"},
    {"bytes pass untranslated", std::string("\xA9\x92\t\x1A\f x\n", 8), 0,
     std::string("\xA9\x92\t\x1A\f x\r\n\r\n", 11)},
};

TEST(ConvertStreamTest, WritesTheExpectedRecords) {
  for (const ConversionCase& test : CONVERSION_CASES) {
    MemorySource source(test.input, 3);
    MemorySink sink;
    const ConversionResult result = convert_stream(source, sink, test.max_length);
    EXPECT_EQ(printable(sink.written()), printable(test.expected)) << test.name;
    EXPECT_FALSE(result.read_failed) << test.name;
    EXPECT_FALSE(result.write_failed) << test.name;
    EXPECT_EQ(sink.closes(), 1) << test.name;
  }
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

/// Each chunk converted as the last line of a listing whose line before it
/// gave `previous_path` its record.
TEST(ConvertStreamTest, CleansLinesAndNamesNewPaths) {
  for (const CleanupCase& test : CLEANUP_CASES) {
    const bool after_a_path = !test.previous_path.empty();
    MemorySource source((after_a_path ? "p " + test.previous_path + "\n" : "") +
                        test.chunk);
    MemorySink sink;
    convert_stream(source, sink, test.max_length);
    const std::string expected =
        (after_a_path ? "FILE:" + test.previous_path + "\r\np\r\n" : "") +
        (test.expected_record.empty() ? "" : "FILE:" + test.expected_record + "\r\n") +
        test.expected_line + "\r\n";
    EXPECT_EQ(printable(sink.written()), printable(expected))
        << "chunk " << printable(test.chunk) << ", max_length " << int{test.max_length};
  }
}

TEST(ConvertStreamTest, PathCarriesOverAndRepeatsOnlyAfterAChange) {
  const std::vector<std::pair<std::string, bool>> steps = {
      {"a A:\\1", true}, {"b A:\\1", false}, {"no path here", false}, {"c B:\\2", true},
      {"d A:\\1", true}, {"    ", false},    {"e A:\\1", false},
  };
  std::string listing;
  std::string expected;
  for (const auto& [text, record_due] : steps) {
    listing += text + "\n";
    const std::size_t space = text.rfind(' ');
    const bool has_path = text.find(':') != std::string::npos;
    expected += (record_due ? "FILE:" + text.substr(space + 1) + "\r\n" : "") +
                (has_path ? text.substr(0, space) : text) + "\r\n";
  }
  MemorySource source(listing);
  MemorySink sink;
  convert_stream(source, sink, 0);
  EXPECT_EQ(printable(sink.written()), printable(expected + "\r\n"));
}

TEST(ConvertStreamTest, PathAsLongAsAChunkAllows) {
  const std::string path = "Z:" + std::string(252, 'p');
  MemorySource source(" " + path);
  MemorySink sink;
  convert_stream(source, sink, 80);
  EXPECT_EQ(sink.written(), "FILE:" + path + "\r\n\r\n\r\n");
}

const std::string X250(250, 'x');
const std::string Y300(300, 'y');
/// A line of `length` characters, no spaces, no path.
std::string line_of(std::size_t length) {
  return std::string(length, 'r');
}
/// The line records the reader's 255-character pieces of `line` give.
std::string pieces_of(const std::string& line) {
  std::string records;
  std::size_t start = 0;
  for (; line.size() - start >= MAX_CHUNK_LENGTH; start += MAX_CHUNK_LENGTH) {
    records += line.substr(start, MAX_CHUNK_LENGTH) + "\r\n";
  }
  return records + line.substr(start) + "\r\n";
}
/// The longest line held whole, with padding and a path with a space at its
/// end; and a line one chunk longer, whose last chunk is padding.
const std::string HELD = line_of(MAX_HELD_LINE_LENGTH - 13) + "   C:\\a b\\c.c";
const std::string NOT_HELD = line_of(MAX_HELD_LINE_LENGTH + 1) + "          ";
/// A line just too long to hold, with a zero byte in its first and its 101st
/// chunk: what follows each, up to the end of its chunk, is gone.
std::string zero_bytes_not_held() {
  std::string line = line_of(MAX_HELD_LINE_LENGTH + 1);
  line[2] = '\0';
  line[100 * MAX_CHUNK_LENGTH + 2] = '\0';
  return line;
}
std::string full_chunk_records(std::size_t count) {
  std::string records;
  for (std::size_t index = 0; index < count; ++index) {
    records += line_of(MAX_CHUNK_LENGTH) + "\r\n";
  }
  return records;
}

const std::vector<ConversionCase> WHOLE_LINE_CASES = {
    {"path with a space", "abc   C:\\My Code\\a.c\n", 0,
     "FILE:C:\\My Code\\a.c\r\nabc\r\n\r\n"},
    {"two spaces in a row are padding, not path", "abc   C:\\My  Code\\a.c\n", 0,
     "abc   C:\\My  Code\\a.c\r\n\r\n"},
    {"path cut by the 255 split is whole", X250 + " D:\\p\\q.c\n", 0,
     "FILE:D:\\p\\q.c\r\n" + X250 + "\r\n\r\n"},
    {"rest cut into pieces after the path", Y300 + " C:\\a b\\c.c", 0,
     "FILE:C:\\a b\\c.c\r\n" + Y300.substr(0, 255) + "\r\n" + Y300.substr(255) + "\r\n"},
    {"255 characters, no line feed", line_of(255), 0, line_of(255) + "\r\n\r\n"},
    {"padding becomes empty", "      C:\\a b\\c.c\n    \n", 0,
     "FILE:C:\\a b\\c.c\r\n\r\n\r\n\r\n"},
    {"padding becomes empty after the cut too", std::string(90, ' ') + "b\n", 80,
     "\r\n\r\n"},
    {"rests of 254, 255, 256 and 510",
     line_of(254) + " C:\\a\n" + line_of(255) + " C:\\a\n" + line_of(256) + " C:\\a\n" +
         line_of(510) + " C:\\a",
     0,
     "FILE:C:\\a\r\n" + pieces_of(line_of(254)) + pieces_of(line_of(255)) +
         pieces_of(line_of(256)) + pieces_of(line_of(510))},
    {"the cut applies to every piece", line_of(300) + " C:\\a b\\c\n", 40,
     "FILE:C:\\a b\\c\r\n" + line_of(40) + "\r\n" + line_of(40) + "\r\n\r\n"},
    {"a zero byte ends its chunk's text, not the line",
     std::string("ab\0zz", 5) + line_of(250) + "cd C:\\x y\n", 0,
     "FILE:C:\\x y\r\nabcd\r\n\r\n"},
    {"a path longer than a chunk", "a Z:\\" + line_of(300) + "\n", 0,
     "FILE:Z:\\" + line_of(300) + "\r\na\r\n\r\n"},
    {"the same path again gives no record", "a C:\\p q\nb C:\\p q\nc C:\\p\n", 0,
     "FILE:C:\\p q\r\na\r\nb\r\nFILE:C:\\p\r\nc\r\n\r\n"},
    {"the longest line held whole", HELD + "\n", 0,
     "FILE:C:\\a b\\c.c\r\n" + pieces_of(line_of(MAX_HELD_LINE_LENGTH - 13)) + "\r\n"},
    {"a longer line goes chunk by chunk, padding kept", NOT_HELD + "\n    \n", 0,
     full_chunk_records(MAX_HELD_CHUNKS) + "          \r\n\r\n\r\n"},
    {"a longer line's zero bytes end their chunks", zero_bytes_not_held() + "\n", 0,
     "rr\r\n" + full_chunk_records(99) + "rr\r\n" + full_chunk_records(155) + "\r\n\r\n"},
};

TEST(ConvertStreamTest, WholeLinePaths) {
  for (const ConversionCase& test : WHOLE_LINE_CASES) {
    for (const std::size_t read_size : {3U, 256U, 1U << 20U}) {
      MemorySource source(test.input, read_size);
      MemorySink sink;
      const ConversionResult result =
          convert_stream(source, sink, test.max_length, LineScope::WHOLE_LINE);
      EXPECT_EQ(testing::difference(sink.written(), test.expected), "")
          << test.name << ", reads of " << read_size;
      EXPECT_FALSE(result.read_failed || result.write_failed) << test.name;
    }
  }
}

struct OptionsCase {
  const char* name;
  std::string input;
  ConversionOptions options;
  std::string expected;
};

constexpr ConversionOptions DIFF = {.line_scope = LineScope::WHOLE_LINE,
                                    .mask_build_noise = true};
constexpr ConversionOptions TABS = {.line_scope = LineScope::WHOLE_LINE, .tab_size = 8};
ConversionOptions tabs_of(std::uint8_t size) {
  return {.line_scope = LineScope::WHOLE_LINE, .tab_size = size};
}
ConversionOptions wrapped_at(std::uint8_t max_length, std::uint8_t tab_size = 0) {
  return {.max_length = max_length,
          .line_scope = LineScope::WHOLE_LINE,
          .tab_size = tab_size,
          .wrap = true};
}
const std::string SPACES_13(13, ' ');
std::string spaces(std::size_t count) {
  return std::string(count, ' ');
}
/// What a continuation of -w starts with at the source column: its mark.
const std::string MARKED = std::string(41, ' ') + "+ ";
std::string repeated(const std::string& text, std::size_t count) {
  std::string result;
  for (std::size_t index = 0; index < count; ++index) {
    result += text;
  }
  return result;
}
/// Words one tab stop of 8 apart, as many as fill a record of up to 212
/// characters (the room of a continuation at -m255).
const std::string WORDS_OF_A = repeated("a" + spaces(7), 26) + "a";
/// A line too long to hold whole whose second chunk, and first chunk not
/// held, start like an instruction line too.
std::string long_instruction_line() {
  std::string line = "0091ac   f000     BRA       0x8df8" + line_of(MAX_HELD_LINE_LENGTH);
  line.replace(MAX_CHUNK_LENGTH, 14, "0091ae   f000 ");
  line.replace(MAX_HELD_CHUNKS * MAX_CHUNK_LENGTH, 14, "0091b0   f000 ");
  return line;
}
std::string long_instruction_records() {
  const std::string line = long_instruction_line();
  return SPACES_13 + "     BRA       0x????" + line.substr(34, MAX_CHUNK_LENGTH - 34) +
         "\r\n" + pieces_of(line.substr(MAX_CHUNK_LENGTH));
}

const std::vector<OptionsCase> OPTIONS_CASES = {
    {"-d masks the date, the columns and branch targets",
     "Listing File Generated: Tue Oct 17 18:56:05 2023\n"
     "0091a6   eceb     CALL      0x8dd6,0x0     f();   C:\\a b.c\n"
     "0091a8   f0c6" +
         spaces(111) + "\n000010   0e01     MOVLW     0x1\n",
     DIFF,
     "Listing File Generated:\r\nFILE:C:\\a b.c\r\n" + SPACES_13 +
         "     CALL      0x????,0x0     f();\r\n\r\n" + SPACES_13 +
         "     MOVLW     0x1\r\n\r\n"},
    {"-d: a statement with a string, its code over several lines, and a comment's quote",
     "000010   0e01     MOVLW     0xb0           s(\"ab\");   C:\\a.c\n"
     "000012   0e02     MOVLW     0x1f\n"
     "000014   0e03     MOVLW     0x1            x = 1;   C:\\a.c\n"
     "000016   0e04     MOVLW     0x2            y = 2; // \"   C:\\a.c\n",
     DIFF,
     "FILE:C:\\a.c\r\n" + SPACES_13 + "     MOVLW     0x??           s(\"ab\");\r\n" +
         SPACES_13 + "     MOVLW     0x??\r\n" + SPACES_13 +
         "     MOVLW     0x1            x = 1;\r\n" + SPACES_13 +
         "     MOVLW     0x??           y = 2; // \"\r\n\r\n"},
    {"-d: every masked operand has one width, what follows it moved in the padding",
     "000010   0e01     MOVLW     0x7            s(\"a\");   C:\\a.c\n"
     "000012   ec01     CALL      0x8d2,0x0      f();   C:\\a.c\n"
     "000014   ec01     CALL      0x1c8d2,0x0    g();   C:\\a.c\n"
     "000016   d001     BRA       0x12345678     h();   C:\\a.c\n",
     DIFF,
     "FILE:C:\\a.c\r\n" + SPACES_13 + "     MOVLW     0x??           s(\"a\");\r\n" +
         SPACES_13 + "     CALL      0x????,0x0     f();\r\n" + SPACES_13 +
         "     CALL      0x????,0x0     g();\r\n" + SPACES_13 +
         "     BRA       0x????         h();\r\n\r\n"},
    {"-d: paths by their last three parts; a record whenever the full path changes",
     "a   C:\\y\\z.c\nb   D:\\p\\q\\x\\y\\z.c\nc   E:\\r\\s\\x\\y\\z.c\n"
     "d   E:\\r\\s\\x\\y\\z.c\ne   F:/x/y/z.c",
     DIFF,
     "FILE:C:\\y\\z.c\r\na\r\nFILE:...\\x\\y\\z.c\r\nb\r\n"
     "FILE:...\\x\\y\\z.c\r\nc\r\nd\r\nFILE:.../x/y/z.c\r\ne\r\n"},
    {"-d masks after the path is taken off", "Listing File Generated: Tue  C:\\x y.c\n",
     DIFF, "FILE:C:\\x y.c\r\nListing File Generated:\r\n\r\n"},
    {"-d masks a line too long to hold in its first piece only",
     long_instruction_line() + "\n", DIFF, long_instruction_records() + "\r\n"},
    {"-l ends records in LF",
     "a C:\\x\n\n",
     {.record_end = RecordEnd::LF},
     "FILE:C:\\x\na\n\n\n"},
    {"-t of 8, 4, 1 and 255", "a\tb\n", TABS, "a       b\r\n\r\n"},
    {"-t4", "a\tb", tabs_of(4), "a   b\r\n"},
    {"-t1", "a\tb", tabs_of(1), "a b\r\n"},
    {"-t255: the source column is the first stop", "a\tb", tabs_of(255),
     "a" + spaces(42) + "b\r\n"},
    {"a tab at a stop goes on to the next", "abcdefg\tx\nabcdefgh\tx", TABS,
     "abcdefg x\r\nabcdefgh" + spaces(8) + "x\r\n"},
    {"tabs before, at and after the source column",
     line_of(40) + "\tb\n" + line_of(43) + "\tb\n" + line_of(45) + "\tb", TABS,
     line_of(40) + "   b\r\n" + line_of(43) + spaces(8) + "b\r\n" + line_of(45) +
         spaces(6) + "b\r\n"},
    {"source tabs line up as in the source file",
     spaces(43) + "#pragma config CPB = ON\t\t// boot   C:\\b.c\n" + spaces(43) +
         "#pragma config LVP = OFF \t// low   C:\\b.c",
     TABS,
     "FILE:C:\\b.c\r\n" + spaces(43) + "#pragma config CPB = ON" + spaces(9) +
         "// boot\r\n" + spaces(43) + "#pragma config LVP = OFF" + spaces(8) +
         "// low\r\n"},
    {"-t64: a line is not cut into pieces", "\tA\tB\tC\tD\tE", tabs_of(64),
     spaces(43) + "A" + spaces(63) + "B" + spaces(63) + "C" + spaces(63) + "D" +
         spaces(63) + "E\r\n"},
    {"-t: a line that expands past what is expanded at once", "\t\t\t\t\tx\n\t\t\t\t\tx",
     tabs_of(255), spaces(43 + 255 * 4) + "x\r\n" + spaces(43 + 255 * 4) + "x\r\n"},
    {"-t -w: such a line wrapped", "\t\t\t\t\tx", wrapped_at(80, 255),
     "\r\n" + MARKED + "x\r\n"},
    {"-t: a line that expands past 255, and to exactly 255",
     std::string(40, '\t') + "x\n" + std::string(32, '\t') + "abcd", TABS,
     spaces(43 + 8 * 34) + "x\r\n" + spaces(43 + 8 * 26) + "abcd\r\n"},
    {"-t: trailing spaces and tabs go, however long the line",
     "\tx" + spaces(245) + "\n\tx\t" + spaces(246) + "\nx" + spaces(253) + "\nx" +
         spaces(254),
     TABS, spaces(8) + "x\r\n" + spaces(8) + "x\r\nx\r\nx\r\n"},
    {"without -p, columns count from the chunk",
     "a\tb   C:\\x.c\n" + line_of(255) + "\tc",
     {.tab_size = 8},
     "FILE:C:\\x.c\r\na       b\r\n" + line_of(255) + "\r\n" + spaces(8) + "c\r\n"},
    {"-w: a continuation that exactly fills its room", line_of(60) + "aaaaaaaa bbbbbbbb",
     wrapped_at(60), line_of(60) + "\r\n" + MARKED + "aaaaaaaa bbbbbbbb\r\n"},
    {"-t -w at 255: a window of a whole record and one character more",
     repeated("a\t", 200), wrapped_at(255, 8),
     repeated("a" + spaces(7), 5) + "a  " + WORDS_OF_A + "\r\n" +
         repeated(MARKED + WORDS_OF_A + "\r\n", 6) + MARKED +
         repeated("a" + spaces(7), 4) + "a\r\n"},
    {"-t: trailing tabs go from a line that expands past what is expanded at once",
     std::string(130, '\t') + "x\t \t\t", TABS, spaces(43 + 124 * 8) + "x\r\n"},
    {"-w: a line of exactly the length, and one more", line_of(60) + "\n" + line_of(61),
     wrapped_at(60), line_of(60) + "\r\n" + line_of(60) + "\r\n" + MARKED + "r\r\n"},
    {"-w: a continuation of spaces only is not written",
     line_of(60) + spaces(17) + "yyyyy   ", wrapped_at(60),
     line_of(60) + "\r\n" + MARKED + "yyyyy\r\n"},
    {"-w below 51: continuations not indented", line_of(100), wrapped_at(40),
     line_of(40) + "\r\n" + line_of(40) + "\r\n" + line_of(20) + "\r\n"},
    {"-w: a long line is one text", line_of(300), wrapped_at(200),
     line_of(200) + "\r\n" + MARKED + line_of(100) + "\r\n"},
    {"-w breaks before the last word that starts within the room",
     spaces(43) + "aaaa bbbb cccc dddd eeee", wrapped_at(60),
     spaces(43) + "aaaa bbbb cccc\r\n" + MARKED + "dddd eeee\r\n"},
    {"-w breaks at a space just past the room", spaces(43) + "aaaa bbbb cccc dd eeee",
     wrapped_at(60), spaces(43) + "aaaa bbbb cccc dd\r\n" + MARKED + "eeee\r\n"},
    {"-w breaks a word longer than the room", line_of(100), wrapped_at(60),
     line_of(60) + "\r\n" + MARKED + line_of(17) + "\r\n" + MARKED + line_of(17) +
         "\r\n" + MARKED + line_of(6) + "\r\n"},
    {"-w never breaks the first record before the source column",
     spaces(43) + line_of(60), wrapped_at(60),
     spaces(43) + line_of(17) + "\r\n" + MARKED + line_of(17) + "\r\n" + MARKED +
         line_of(17) + "\r\n" + MARKED + line_of(9) + "\r\n"},
    {"-w never breaks the first record before the source's first word",
     spaces(10) + "a " + line_of(80), wrapped_at(60),
     spaces(10) + "a " + line_of(48) + "\r\n" + MARKED + line_of(17) + "\r\n" + MARKED +
         line_of(15) + "\r\n"},
    {"-w at 51 indents, at 50 not", line_of(60) + "\n" + line_of(60), wrapped_at(51),
     line_of(51) + "\r\n" + MARKED + line_of(8) + "\r\n" + MARKED + "r\r\n" +
         line_of(51) + "\r\n" + MARKED + line_of(8) + "\r\n" + MARKED + "r\r\n"},
    {"-w cuts the column header and its rule, as without it",
     "Address  Value    Disassembly              Source" + spaces(80) + "File\n" +
         "-------  -------  -----------------------  " + std::string(90, '-'),
     wrapped_at(60),
     "Address  Value    Disassembly              Source\r\n"
     "-------  -------  -----------------------  -----------------\r\n"},
    {"-w at 50", line_of(60), wrapped_at(50),
     line_of(50) + "\r\n" + line_of(10) + "\r\n"},
    {"-w: a continuation loses its leading spaces", line_of(60) + spaces(100) + "z",
     wrapped_at(60), line_of(60) + "\r\n" + MARKED + "z\r\n"},
    {"-w: a continuation starts where its source line's text starts",
     spaces(47) + "aaaa bbbb cccc dddd eeee ffff gggg", wrapped_at(70),
     spaces(47) + "aaaa bbbb cccc dddd\r\n" + MARKED + spaces(4) + "eeee ffff gggg\r\n"},
    {"-w: at the source column when that leaves less than 20 of room",
     spaces(52) + "aaaa bbbb cccc dddd eeee ffff gggg", wrapped_at(71),
     spaces(52) + "aaaa bbbb cccc dddd\r\n" + MARKED + "eeee ffff gggg\r\n"},
    {"-w: 20 of room is enough", spaces(52) + "aaaa bbbb cccc dddd eeee ffff gggg",
     wrapped_at(72),
     spaces(52) + "aaaa bbbb cccc dddd\r\n" + MARKED + spaces(9) + "eeee ffff gggg\r\n"},
    {"-t -w: the source's indentation of tabs",
     spaces(43) + "\t\taaaa bbbb cccc dddd eeee ffff", wrapped_at(72, 4),
     spaces(51) + "aaaa bbbb cccc dddd\r\n" + MARKED + spaces(8) + "eeee ffff\r\n"},
    {"-w with -m 31 or none changes nothing", line_of(100), wrapped_at(31),
     line_of(100) + "\r\n"},
    {"-w keeps a piece of spaces only as the cut does",
     spaces(100) + "\n",
     {.max_length = 80, .wrap = true},
     spaces(80) + "\r\n\r\n"},
    {"-t -w -m80 fits 80 columns and loses nothing",
     spaces(43) + "#pragma config LVP = OFF \t// Low Voltage ICSP: aus   C:\\b.c",
     wrapped_at(80, 8),
     "FILE:C:\\b.c\r\n" + spaces(43) + "#pragma config LVP = OFF        //\r\n" + MARKED +
         "Low Voltage ICSP: aus\r\n"},
};

TEST(ConvertStreamTest, OptionsThatShapeTheOutput) {
  for (const OptionsCase& test : OPTIONS_CASES) {
    for (const std::size_t read_size : {3U, 1U << 20U}) {
      MemorySource source(test.input, read_size);
      MemorySink sink;
      convert_stream(source, sink, test.options);
      EXPECT_EQ(testing::difference(sink.written(), test.expected), "")
          << test.name << ", reads of " << read_size;
    }
  }
}

/// One run serves every listing of a command: each conversion starts afresh.
TEST(ConvertStreamTest, EachConversionOfARunStartsWithoutAPath) {
  ConversionRun run(ConversionOptions{});
  for (int conversion = 0; conversion < 2; ++conversion) {
    MemorySource source("a C:\\x.c\n");
    MemorySink sink;
    run.convert(source, sink);
    EXPECT_EQ(sink.written(), "FILE:C:\\x.c\r\na\r\n\r\n") << conversion;
  }
}

TEST(ConvertStreamTest, EachRunStartsWithoutAPath) {
  for (int run = 0; run < 2; ++run) {
    MemorySource source("a C:\\x.c\n");
    MemorySink sink;
    convert_stream(source, sink, 0);
    EXPECT_EQ(sink.written(), "FILE:C:\\x.c\r\na\r\n\r\n");
  }
}

/// Enough listing to need several output buffers.
std::string large_listing() {
  std::string listing;
  for (int line = 0; listing.size() < 6 * OutputStream::BUFFER_SIZE; ++line) {
    listing += "000" + std::to_string(line) + "   0e01     MOVLW 0x1   C:\\src\\f" +
               std::to_string(line / 40) + ".asm\r\n";
  }
  return listing;
}

/// What a conversion's report printed, and its status.
std::pair<std::string, int> report(ByteSource& source, ByteSink& sink) {
  const testing::CapturedMessages messages;
  ConversionRun run({.max_length = 80});
  const int status =
      report_outcome(run.convert(source, sink), "in.lst", "out.txt", messages.file());
  return {messages.text(), status};
}

struct Fault {
  const char* name;
  int failing_read;
  int failing_write;
  bool failing_close;
  const char* message;
};

TEST(ReportOutcomeTest, EveryFaultGivesOneMessageAndFailure) {
  const std::string listing = large_listing();
  MemorySource clean_source(listing, 64U * 1024U);
  MemorySink clean_sink;
  ASSERT_EQ(report(clean_source, clean_sink), std::make_pair(std::string(), 0));
  const int writes = clean_sink.writes();
  const int reads = clean_source.reads();
  ASSERT_GE(writes, 3);
  const char* const cant_write = "Fatal: can't write file:out.txt\n";
  const char* const cant_read = "Fatal: can't read file:in.lst\n";
  const std::vector<Fault> faults = {
      {"first write", 0, 1, false, cant_write},
      {"a write in the middle", 0, writes / 2 + 1, false, cant_write},
      {"the last write, at the final flush", 0, writes, false, cant_write},
      {"the close", 0, 0, true, cant_write},
      {"the first read", 1, 0, false, cant_read},
      {"a read part-way", reads / 2, 0, false, cant_read},
      {"a read, then the close", reads / 2, 0, true, cant_write},
  };
  for (const Fault& fault : faults) {
    MemorySource source(listing, 64U * 1024U, fault.failing_read);
    MemorySink sink(fault.failing_write, fault.failing_close);
    EXPECT_EQ(report(source, sink), std::make_pair(std::string(fault.message), 1))
        << fault.name;
    EXPECT_EQ(sink.closes(), 1) << fault.name;
  }
}

TEST(ConvertStreamTest, WritingStopsAtTheFirstFailure) {
  const std::string listing = large_listing();
  MemorySource source(listing, 4096);
  MemorySink sink(1);
  convert_stream(source, sink, 0);
  EXPECT_EQ(sink.writes(), 1);
  EXPECT_LT(source.reads() * 4096U, listing.size());
}

TEST(ConvertStreamTest, ReadFaultKeepsWhatCameBeforeIt) {
  MemorySource source("a\nb C:\\x\nrest", 4, 3);
  MemorySink sink;
  const ConversionResult result = convert_stream(source, sink, 0);
  EXPECT_TRUE(result.read_failed);
  EXPECT_FALSE(result.write_failed);
  // The reads hand out "a\nb ", "C:\\x"; the third fails, ending the input
  // there, and the chunk in hand is cleaned and written like any last chunk.
  EXPECT_EQ(printable(sink.written()), printable("a\r\nFILE:C:\\x\r\nb\r\n"));
}

TEST(RunVadrimelTest, TooLittleMemoryLeavesTheOutputAlone) {
  const auto folder = std::filesystem::temp_directory_path() /
                      ("vadrimel_memory_" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(folder);
  const std::string input = (folder / "in.lst").string();
  const std::string output = (folder / "out.txt").string();
  testing::write_file(input, "a C:\\x\n");
  testing::write_file(output, "keep");
  large_allocations_fail = true;
  // The message goes where the mode's messages go: standard error where
  // standard output carries the conversion or a report.
  for (const char* mode : {"-p", "-c", "-s"}) {
    const testing::CapturedMessages out;
    const testing::CapturedMessages err;
    const std::vector<const char*> arguments = {"vadrimel", mode, input.c_str(),
                                                output.c_str()};
    EXPECT_EQ(run_vadrimel(arguments, {stdin, out.file(), err.file()}), 1);
    const bool to_output = std::string_view(mode) == "-p";
    EXPECT_EQ((to_output ? out : err).text(), "Fatal: not enough memory to convert\n")
        << mode;
    EXPECT_EQ((to_output ? err : out).text(), "") << mode;
  }
  large_allocations_fail = false;
  EXPECT_EQ(testing::read_file(output), "keep");
  EXPECT_EQ(testing::read_file(input), "a C:\\x\n");
  std::filesystem::remove_all(folder);
}

TEST(RunVadrimelTest, ShortCommandLineShowsUsage) {
  const testing::CapturedMessages messages;
  const std::vector<const char*> arguments = {"vadrimel", "-m80", "in.lst"};
  EXPECT_EQ(run_vadrimel(arguments, {stdin, messages.file(), messages.file()}), 1);
  EXPECT_TRUE(messages.text().starts_with(" ===== MPLINK"));
}

} // namespace
} // namespace vadrimel
