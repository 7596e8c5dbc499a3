#include "listing/line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace vadrimel {
namespace {

using testing::MemorySource;
using testing::printable;

struct Chunk {
  std::string text;
  int code;
  bool operator==(const Chunk&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Chunk& chunk) {
  return out << '{' << printable(chunk.text) << ", " << chunk.code << '}';
}

/// Every chunk up to and including the one with CHUNK_END_OF_FILE.
std::vector<Chunk> all_chunks(InputStream& input_stream) {
  LineChunk line_buffer;
  std::vector<Chunk> chunks;
  int code = CHUNK_LINE_END;
  while (code != CHUNK_END_OF_FILE) {
    code = fetch_line_chunk(line_buffer, input_stream);
    chunks.push_back({std::string(view_of(line_buffer.text)), code});
  }
  return chunks;
}

std::vector<Chunk> all_chunks(MemorySource& source) {
  InputStream input_stream;
  input_stream.start(source);
  return all_chunks(input_stream);
}

struct ReaderCase {
  const char* name;
  std::string input;
  std::vector<Chunk> expected;
};

const std::string A255(255, 'a');
const std::string B255(255, 'b');

const std::vector<ReaderCase> READER_CASES = {
    {"empty input", "", {{"", CHUNK_END_OF_FILE}}},
    {"only CRs", "\r\r\r", {{"", CHUNK_END_OF_FILE}}},
    {"CR LF line end", "ABC\r\n", {{"ABC", CHUNK_LINE_END}, {"", CHUNK_END_OF_FILE}}},
    {"bare LF line end", "ABC\n", {{"ABC", CHUNK_LINE_END}, {"", CHUNK_END_OF_FILE}}},
    {"last line without LF", "A\nB", {{"A", CHUNK_LINE_END}, {"B", CHUNK_END_OF_FILE}}},
    {"CR inside a line", "A\rB\n", {{"AB", CHUNK_LINE_END}, {"", CHUNK_END_OF_FILE}}},
    {"CRs before a line feed",
     "AB\r\r\n\r\n",
     {{"AB", CHUNK_LINE_END}, {"", CHUNK_LINE_END}, {"", CHUNK_END_OF_FILE}}},
    {"254 characters, CR, LF",
     std::string(254, 'a') + "\r\nb",
     {{std::string(254, 'a'), CHUNK_LINE_END}, {"b", CHUNK_END_OF_FILE}}},
    {"255 characters, CR, LF",
     A255 + "\r\nb",
     {{A255, CHUNK_SPLIT}, {"", CHUNK_LINE_END}, {"b", CHUNK_END_OF_FILE}}},
    {"LF CR order", "A\n\rB", {{"A", CHUNK_LINE_END}, {"B", CHUNK_END_OF_FILE}}},
    {"empty lines",
     "\n\r\n\n",
     {{"", CHUNK_LINE_END},
      {"", CHUNK_LINE_END},
      {"", CHUNK_LINE_END},
      {"", CHUNK_END_OF_FILE}}},
    {"a zero byte ends the text",
     std::string("a\0b\xA9\xFF\n", 6),
     {{"a", CHUNK_LINE_END}, {"", CHUNK_END_OF_FILE}}},
    {"high bytes are stored",
     "\xA9\xFF\x01\n",
     {{"\xA9\xFF\x01", CHUNK_LINE_END}, {"", CHUNK_END_OF_FILE}}},
    {"a zero byte ends only its own chunk's text",
     std::string(250, 'a') + std::string("\0bcdef\r\0g\n\0h\ri\nj", 16),
     {{std::string(250, 'a'), CHUNK_SPLIT},
      {"f", CHUNK_LINE_END},
      {"", CHUNK_LINE_END},
      {"j", CHUNK_END_OF_FILE}}},
    {"254 characters fit one chunk",
     std::string(254, 'a') + "\n",
     {{std::string(254, 'a'), CHUNK_LINE_END}, {"", CHUNK_END_OF_FILE}}},
    {"255 characters then LF split before the LF",
     A255 + "\n",
     {{A255, CHUNK_SPLIT}, {"", CHUNK_LINE_END}, {"", CHUNK_END_OF_FILE}}},
    {"255 characters then CR LF",
     A255 + "\r\n",
     {{A255, CHUNK_SPLIT}, {"", CHUNK_LINE_END}, {"", CHUNK_END_OF_FILE}}},
    {"255 characters at end of input",
     A255,
     {{A255, CHUNK_SPLIT}, {"", CHUNK_END_OF_FILE}}},
    {"600 characters",
     A255 + B255 + std::string(90, 'c') + "\n",
     {{A255, CHUNK_SPLIT},
      {B255, CHUNK_SPLIT},
      {std::string(90, 'c'), CHUNK_LINE_END},
      {"", CHUNK_END_OF_FILE}}},
    {"dropped CRs do not count toward 255",
     "\r" + std::string(100, 'a') + "\r\r" + std::string(155, 'b') + "\rc\n",
     {{std::string(100, 'a') + std::string(155, 'b'), CHUNK_SPLIT},
      {"c", CHUNK_LINE_END},
      {"", CHUNK_END_OF_FILE}}},
    {"zero bytes count toward 255",
     std::string(256, '\0') + "x",
     {{"", CHUNK_SPLIT}, {"", CHUNK_END_OF_FILE}}},
};

// However the source hands out its bytes, the chunks must be the same: this
// catches bytes lost or read twice where a chunk crosses a buffer refill.
class ReaderTest : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ReaderTest, ChunksAsExpected) {
  for (const ReaderCase& test : READER_CASES) {
    MemorySource source(test.input, GetParam());
    EXPECT_EQ(all_chunks(source), test.expected)
        << test.name << ", input " << printable(test.input);
  }
}

INSTANTIATE_TEST_SUITE_P(ReadSizes, ReaderTest,
                         ::testing::Values(1, 2, 7, 256, 1U << 20U),
                         [](const auto& info) {
                           return "reads_of_" + std::to_string(info.param);
                         });

TEST(ReaderTest, LongInputCrossesManyBufferRefills) {
  std::string input;
  std::vector<Chunk> expected;
  for (int line = 0; line < 20000; ++line) {
    std::string text = std::to_string(line) + std::string(line % 300, 'x');
    if (line % 7 == 0) {
      text[text.size() / 2] = '\0';
    }
    input += text + (line % 3 == 0 ? "\r\n" : "\n");
    const auto up_to_zero_byte = [](const std::string& chunk) {
      return chunk.substr(0, chunk.find('\0'));
    };
    for (; text.size() >= MAX_CHUNK_LENGTH; text.erase(0, MAX_CHUNK_LENGTH)) {
      expected.push_back(
          {up_to_zero_byte(text.substr(0, MAX_CHUNK_LENGTH)), CHUNK_SPLIT});
    }
    expected.push_back({up_to_zero_byte(text), CHUNK_LINE_END});
  }
  expected.push_back({"", CHUNK_END_OF_FILE});
  ASSERT_GT(input.size(), 2 * InputStream::BUFFER_SIZE);
  MemorySource source(input, 100000);
  EXPECT_EQ(all_chunks(source), expected);
}

TEST(ReaderTest, ReadErrorEndsTheInputAndIsReported) {
  MemorySource source("one\ntwo\nthr", 4, 3);
  InputStream input_stream;
  input_stream.start(source);
  EXPECT_EQ(all_chunks(input_stream), (std::vector<Chunk>{{"one", CHUNK_LINE_END},
                                                          {"two", CHUNK_LINE_END},
                                                          {"", CHUNK_END_OF_FILE}}));
  EXPECT_TRUE(input_stream.read_failed());
}

TEST(ReaderTest, EndOfInputIsNotAReadError) {
  MemorySource source("one\n");
  InputStream input_stream;
  input_stream.start(source);
  LineChunk line_buffer;
  while (fetch_line_chunk(line_buffer, input_stream) != CHUNK_END_OF_FILE) {
  }
  EXPECT_FALSE(input_stream.read_failed());
}

TEST(ReaderTest, FailedSourceIsReported) {
  MemorySource source("one\n", 1U << 20U, 1);
  InputStream input_stream;
  input_stream.start(source);
  LineChunk line_buffer;
  EXPECT_EQ(fetch_line_chunk(line_buffer, input_stream), CHUNK_END_OF_FILE);
  EXPECT_TRUE(line_buffer.text.empty());
  EXPECT_TRUE(input_stream.read_failed());
}

} // namespace
} // namespace vadrimel
