#ifndef VADRIMEL_DRIVER_SOURCE_LINES_H_
#define VADRIMEL_DRIVER_SOURCE_LINES_H_

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>

#include "driver/conversion_run.h"

namespace vadrimel {

/// The name the reports give code that comes before any source path.
inline constexpr std::string_view NO_SOURCE_FILE = "(no source file)";

/// A listing read as its source lines and the code of each. Every line that
/// carries a source path is the next source line of that file, numbered from
/// 1 per path. A line that starts with the address and value columns is one
/// program word of 2 bytes at that address; it belongs to the last source
/// line seen (its own, when it carries a path), code before any path to
/// NO_SOURCE_FILE, line 0. Memory grows with the number of source files.
class SourceLines : public LineReport {
public:
  /// What is known of a source file.
  struct File {
    std::uint64_t bytes = 0;
    std::uint64_t lines = 0;
  };
  /// The source line that code belongs to.
  struct SourceLine {
    std::string_view path;
    std::uint64_t number = 0;
    /// The line's text from the source column, without its path, trailing
    /// spaces and leading spaces and tabs.
    std::string_view text;
  };

  SourceLines();

  void take_line(std::string_view text, std::string_view path) final;
  /// Ends the last source line; call once the listing has been read.
  void finish();

  /// Every source file seen, by path; NO_SOURCE_FILE too when code came
  /// before any path.
  [[nodiscard]] const std::map<std::string, File, std::less<>>& files() const {
    return files_;
  }

protected:
  /// A program word at `address` of `line`.
  virtual void take_code(std::uint64_t address, const SourceLine& line);
  /// `line` has ended: `bytes` of code belong to it.
  virtual void end_source_line(const SourceLine& line, std::uint64_t bytes);

private:
  void end_current_line();

  std::map<std::string, File, std::less<>> files_;
  /// The current source line; its text is kept in `text_`.
  SourceLine current_;
  File* current_file_ = nullptr;
  std::uint64_t current_bytes_ = 0;
  std::string text_;
};

/// Reads the listing named into `lines` with `run`, then finishes them.
/// Returns the exit status; on failure, the message has been written to
/// `messages`.
int read_source_lines(const std::string& name, ConversionRun& run, SourceLines& lines,
                      std::FILE* messages);

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_SOURCE_LINES_H_
