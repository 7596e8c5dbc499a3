#ifndef VADRIMEL_SYSTEM_REPORT_OUTPUT_H_
#define VADRIMEL_SYSTEM_REPORT_OUTPUT_H_

#include <array>
#include <cstdio>
#include <string_view>

namespace vadrimel {

/// What a report does with the control characters of the text it is given.
enum class ControlCharacters {
  AS_THEY_ARE,
  /// As `cat -v` shows them (ESC as ^[, DEL as ^?), so that a name in a
  /// listing cannot drive the terminal; line feeds and tabs as they are.
  VISIBLE
};

/// Standard output for a report (-s, -a): text written as bytes, every write
/// checked.
class ReportOutput {
public:
  explicit ReportOutput(std::FILE* output, ControlCharacters controls =
                                               ControlCharacters::AS_THEY_ARE) noexcept
      : output_(output), controls_(controls) {}

  /// Writes `text`, its control characters as the output shows them.
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
  void write_bytes(std::string_view bytes) noexcept;

  std::FILE* output_;
  ControlCharacters controls_;
  bool failed_ = false;
};

} // namespace vadrimel

#endif // VADRIMEL_SYSTEM_REPORT_OUTPUT_H_
