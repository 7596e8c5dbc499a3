#ifndef VADRIMEL_TESTS_TEST_SUPPORT_H_
#define VADRIMEL_TESTS_TEST_SUPPORT_H_

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <utility>

#include "system/byte_stream.h"

namespace vadrimel::testing {

/// True under continuous integration (CI=true), which always has the test
/// data: a test that lacks its data fails there instead of skipping.
inline bool data_required() {
  const char* const ci = std::getenv("CI");
  return ci != nullptr && std::string_view(ci) == "true";
}

/// The bytes with CR, LF, tab and every unprintable byte spelled out, so that
/// a failed comparison shows exactly which byte differs.
inline std::string printable(std::string_view bytes) {
  std::string shown;
  for (const char byte : bytes) {
    const auto code = static_cast<unsigned char>(byte);
    if (byte == '\r') {
      shown += "\\r";
    } else if (byte == '\n') {
      shown += "\\n";
    } else if (byte == '\\') {
      shown += "\\\\";
    } else if (code < 0x20 || code >= 0x7F) {
      char escaped[5];
      static_cast<void>(std::snprintf(escaped, sizeof escaped, "\\x%02X", code));
      shown += escaped;
    } else {
      shown += byte;
    }
  }
  return shown;
}

/// Empty when the two are the same bytes; otherwise where they first differ,
/// with a little of each around it, so that large outputs fail readably.
inline std::string difference(std::string_view actual, std::string_view expected) {
  if (actual == expected) {
    return "";
  }
  const auto [mismatch, unused] =
      std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
  const auto offset = static_cast<std::size_t>(mismatch - actual.begin());
  const std::size_t from = offset < 40 ? 0 : offset - 40;
  return "sizes " + std::to_string(actual.size()) + " and " +
         std::to_string(expected.size()) + ", first difference at byte " +
         std::to_string(offset) + ":\n  actual   ..." +
         printable(actual.substr(from, 80)) + "\n  expected ..." +
         printable(expected.substr(from, 80));
}

/// The start of a whole line's source path found the plain way, to compare the
/// converter with: after the last space when that starts a drive letter and a
/// colon; else after the last space that starts a drive, a colon and a
/// separator, unless two spaces in a row or a trailing space follow it; else
/// where the line ends in a space and `current`; else at byte 124 when bytes
/// 122 and 123 are spaces and a text with a backslash, slash or dot, no two
/// spaces in a row and no trailing space starts there. npos when the line has
/// no path.
inline std::size_t reference_path_start(std::string_view line,
                                        std::string_view current = "") {
  const auto is_drive = [](std::string_view text) {
    return text.size() >= 2 && text[0] >= 'A' && text[0] <= 'Z' && text[1] == ':';
  };
  const auto clean = [](std::string_view text) {
    return text.find("  ") == std::string_view::npos && text.back() != ' ';
  };
  const std::size_t space = line.rfind(' ');
  if (space != std::string_view::npos && is_drive(line.substr(space + 1))) {
    return space + 1;
  }
  for (std::size_t at = line.size(); at-- > 0;) {
    const std::string_view tail = line[at] == ' ' ? line.substr(at + 1) : "";
    if (is_drive(tail) && tail.size() > 2 && (tail[2] == '\\' || tail[2] == '/')) {
      if (clean(tail)) {
        return at + 1;
      }
      break;
    }
  }
  if (!current.empty() && line.size() > current.size() &&
      line.substr(line.size() - current.size() - 1) == " " + std::string(current)) {
    return line.size() - current.size();
  }
  if (line.size() > 124 && line.substr(122, 2) == "  " && line[124] != ' ' &&
      clean(line.substr(124)) &&
      line.substr(124).find_first_of("\\/.") != std::string_view::npos) {
    return 124;
  }
  return std::string_view::npos;
}

/// Input from memory, handed out at most `largest_read` bytes a call; fails
/// (as a disk would) on read call number `failing_read` (1-based, 0: never).
class MemorySource final : public ByteSource {
public:
  explicit MemorySource(std::string bytes, std::size_t largest_read = 1U << 20U,
                        int failing_read = 0)
      : bytes_(std::move(bytes)), largest_read_(largest_read),
        failing_read_(failing_read) {}

  std::size_t read(char* buffer, std::size_t capacity) override {
    ++reads_;
    if (reads_ == failing_read_ || failed_) {
      failed_ = true;
      return 0;
    }
    const std::size_t count =
        std::min({capacity, largest_read_, bytes_.size() - position_});
    std::copy_n(bytes_.data() + position_, count, buffer);
    position_ += count;
    return count;
  }
  [[nodiscard]] bool failed() const override { return failed_; }
  [[nodiscard]] int reads() const { return reads_; }

private:
  std::string bytes_;
  std::size_t largest_read_;
  int failing_read_;
  std::size_t position_ = 0;
  int reads_ = 0;
  bool failed_ = false;
};

/// Output to memory; fails write call number `failing_write` (1-based, 0:
/// never) and every one after it, and fails the close when asked to.
class MemorySink final : public ByteSink {
public:
  explicit MemorySink(int failing_write = 0, bool failing_close = false)
      : failing_write_(failing_write), failing_close_(failing_close) {}

  bool write(const char* bytes, std::size_t size) override {
    ++writes_;
    if (failing_write_ != 0 && writes_ >= failing_write_) {
      return false;
    }
    written_.append(bytes, size);
    return true;
  }
  bool close() override {
    ++closes_;
    return !failing_close_;
  }

  [[nodiscard]] const std::string& written() const { return written_; }
  [[nodiscard]] int writes() const { return writes_; }
  [[nodiscard]] int closes() const { return closes_; }

private:
  int failing_write_;
  bool failing_close_;
  std::string written_;
  int writes_ = 0;
  int closes_ = 0;
};

/// The file system's path for a UTF-8 name, on every system.
inline std::filesystem::path path_of(std::string_view utf8) {
  return {std::u8string(utf8.begin(), utf8.end())};
}

inline std::string read_file(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

inline void write_file(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

/// A message stream to hand the code under test, read back with `text()`.
/// A named file rather than tmpfile(), which on Windows wants to write to the
/// root of the drive.
class CapturedMessages {
public:
  CapturedMessages()
      : path_((std::filesystem::temp_directory_path() /
               ("vadrimel_messages_" + std::to_string(std::random_device{}())))
                  .string()),
        file_(std::fopen(path_.c_str(), "w+b")) {}
  CapturedMessages(const CapturedMessages&) = delete;
  CapturedMessages& operator=(const CapturedMessages&) = delete;
  ~CapturedMessages() {
    static_cast<void>(std::fclose(file_));
    std::filesystem::remove(path_);
  }

  [[nodiscard]] std::FILE* file() const { return file_; }
  [[nodiscard]] std::string text() const {
    static_cast<void>(std::fflush(file_));
    return read_file(path_);
  }

private:
  std::string path_;
  std::FILE* file_;
};

} // namespace vadrimel::testing

#endif // VADRIMEL_TESTS_TEST_SUPPORT_H_
