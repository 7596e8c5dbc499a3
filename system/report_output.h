#ifndef VADRIMEL_SYSTEM_REPORT_OUTPUT_H_
#define VADRIMEL_SYSTEM_REPORT_OUTPUT_H_

#include <array>
#include <cstdio>
#include <string_view>

namespace vadrimel {

/// Standard output for a report (-s, -a): text written as bytes, every write
/// checked.
class ReportOutput {
public:
  explicit ReportOutput(std::FILE* output) noexcept : output_(output) {}

  /// Writes `text` as it is.
  void write(std::string_view text) noexcept;
  /// Writes the text that std::snprintf makes of `format` and `values`: the
  /// numbers of a row.
  template <typename... Values>
  void write_formatted(const char* format, Values... values) noexcept {
    std::array<char, 128> buffer{};
    const int length = std::snprintf(buffer.data(), buffer.size(), format, values...);
    write({buffer.data(), length < 0 ? 0 : static_cast<std::size_t>(length)});
  }

  /// Hands everything to standard output; returns the exit status, with the
  /// message when writing failed (none when the reader has gone).
  int finish(std::FILE* messages) noexcept;

private:
  std::FILE* output_;
  bool failed_ = false;
};

} // namespace vadrimel

#endif // VADRIMEL_SYSTEM_REPORT_OUTPUT_H_
