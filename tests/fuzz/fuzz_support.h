#ifndef VADRIMEL_TESTS_FUZZ_FUZZ_SUPPORT_H_
#define VADRIMEL_TESTS_FUZZ_FUZZ_SUPPORT_H_

// What the fuzz targets check of the documents the reports write.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace vadrimel::fuzzing {

/// Aborts, naming the check that failed, for libFuzzer to keep the input.
inline void require(bool condition, const char* file = __builtin_FILE(),
                    unsigned line = __builtin_LINE()) {
  if (!condition) {
    static_cast<void>(std::fprintf(stderr, "check failed at %s:%u\n", file, line));
    std::abort();
  }
}

/// A stream whose bytes land in memory, for the forms that write to a FILE.
class MemoryFile {
public:
  MemoryFile() : file_(open_memstream(&bytes_, &size_)) { require(file_ != nullptr); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  ~MemoryFile() {
    static_cast<void>(std::fclose(file_));
    std::free(bytes_);
  }
  [[nodiscard]] std::FILE* file() const { return file_; }
  /// What was written so far.
  [[nodiscard]] std::string text() {
    require(std::fflush(file_) == 0);
    return {bytes_, size_};
  }

private:
  char* bytes_ = nullptr;
  std::size_t size_ = 0;
  std::FILE* file_;
};

/// A strict reader of one JSON value: what RFC 8259 allows and nothing more
/// (strict UTF-8, no raw control character in a string, no trailing comma).
class StrictJson {
public:
  explicit StrictJson(std::string_view text) : text_(text) {}

  /// True when the text is one JSON value, with a line feed at most after it.
  bool parses() {
    if (!value(0)) {
      return false;
    }
    return text_.substr(at_) == "" || text_.substr(at_) == "\n";
  }

private:
  static constexpr int MOST_DEPTH = 64;

  [[nodiscard]] char peek() const { return at_ < text_.size() ? text_[at_] : '\0'; }
  bool eat(char expected) {
    if (peek() != expected || at_ >= text_.size()) {
      return false;
    }
    ++at_;
    return true;
  }
  void blanks() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\n' ||
                                  text_[at_] == '\t' || text_[at_] == '\r')) {
      ++at_;
    }
  }
  bool word(std::string_view expected) {
    if (text_.substr(at_, expected.size()) != expected) {
      return false;
    }
    at_ += expected.size();
    return true;
  }
  bool digits() {
    const std::size_t start = at_;
    while (peek() >= '0' && peek() <= '9') {
      ++at_;
    }
    return at_ > start;
  }
  bool number() {
    eat('-');
    if (!eat('0') && !(peek() >= '1' && peek() <= '9' && digits())) {
      return false;
    }
    if (eat('.') && !digits()) {
      return false;
    }
    if (eat('e') || eat('E')) {
      if (!eat('+')) {
        eat('-');
      }
      return digits();
    }
    return true;
  }
  bool utf8() {
    const auto lead = static_cast<unsigned char>(text_[at_]);
    const std::size_t length = lead >> 5U == 6    ? 2
                               : lead >> 4U == 14 ? 3
                               : lead >> 3U == 30 ? 4
                                                  : 0;
    if (length == 0 || at_ + length > text_.size()) {
      return false;
    }
    unsigned point = lead & (0x7FU >> length);
    for (std::size_t index = 1; index < length; ++index) {
      const auto byte = static_cast<unsigned char>(text_[at_ + index]);
      if (byte >> 6U != 2) {
        return false;
      }
      point = (point << 6U) | (byte & 0x3FU);
    }
    const unsigned least[] = {0, 0, 0x80, 0x800, 0x10000};
    at_ += length;
    return point >= least[length] && point <= 0x10FFFF &&
           (point < 0xD800 || point > 0xDFFF);
  }
  bool string() {
    if (!eat('"')) {
      return false;
    }
    while (at_ < text_.size()) {
      const auto byte = static_cast<unsigned char>(text_[at_]);
      if (byte == '"') {
        ++at_;
        return true;
      }
      if (byte < 0x20) {
        return false;
      }
      if (byte == '\\') {
        ++at_;
        const char escaped = peek();
        ++at_;
        if (escaped == 'u') {
          for (int index = 0; index < 4; ++index, ++at_) {
            const char hex = peek();
            if (!((hex >= '0' && hex <= '9') || (hex >= 'a' && hex <= 'f') ||
                  (hex >= 'A' && hex <= 'F'))) {
              return false;
            }
          }
        } else if (std::string_view("\"\\/bfnrt").find(escaped) ==
                       std::string_view::npos ||
                   escaped == '\0') {
          return false;
        }
      } else if (byte >= 0x80) {
        if (!utf8()) {
          return false;
        }
      } else {
        ++at_;
      }
    }
    return false;
  }
  bool value(int depth) {
    if (depth > MOST_DEPTH) {
      return false;
    }
    blanks();
    bool read = false;
    switch (peek()) {
    case '{':
      read = members(depth, '}', true);
      break;
    case '[':
      read = members(depth, ']', false);
      break;
    case '"':
      read = string();
      break;
    case 't':
      read = word("true");
      break;
    case 'f':
      read = word("false");
      break;
    case 'n':
      read = word("null");
      break;
    default:
      read = number();
    }
    blanks();
    return read;
  }
  bool members(int depth, char end, bool keyed) {
    ++at_;
    blanks();
    if (eat(end)) {
      return true;
    }
    do {
      blanks();
      if (keyed && (!string() || (blanks(), !eat(':')))) {
        return false;
      }
      if (!value(depth + 1)) {
        return false;
      }
    } while (eat(','));
    return eat(end);
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

/// True when every row of each Markdown table in `text` has as many cells
/// as the table's header; a `\|` is no cell's end.
inline bool tables_are_whole(std::string_view text) {
  std::size_t header_cells = 0;
  while (!text.empty()) {
    const std::string_view line = text.substr(0, text.find('\n'));
    text.remove_prefix(std::min(line.size() + 1, text.size()));
    if (!line.starts_with('|')) {
      header_cells = 0;
      continue;
    }
    std::size_t cells = 0;
    for (std::size_t at = 0; at < line.size(); ++at) {
      if (line[at] == '\\') {
        ++at;
      } else if (line[at] == '|') {
        ++cells;
      }
    }
    if (header_cells == 0) {
      header_cells = cells;
    } else if (cells != header_cells) {
      return false;
    }
  }
  return true;
}

} // namespace vadrimel::fuzzing

#endif // VADRIMEL_TESTS_FUZZ_FUZZ_SUPPORT_H_
