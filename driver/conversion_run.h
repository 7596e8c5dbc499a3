#ifndef VADRIMEL_DRIVER_CONVERSION_RUN_H_
#define VADRIMEL_DRIVER_CONVERSION_RUN_H_

#include <memory>
#include <string_view>

#include "driver/conversion_options.h"
#include "driver/output_records.h"
#include "listing/byte_stream.h"
#include "listing/line_cleanup.h"
#include "listing/line_reader.h"

namespace vadrimel {

/// How a conversion ended. Both can be true: a read error ends the input,
/// and then writing out the rest can fail too.
struct ConversionResult {
  bool read_failed = false;
  bool write_failed = false;
};

/// What the reports (-s, -a) take from a listing: each line with its source
/// path taken off, as -p finds it.
class LineReport {
public:
  LineReport() = default;
  LineReport(const LineReport&) = delete;
  LineReport& operator=(const LineReport&) = delete;
  virtual ~LineReport() = default;

  /// The next line: its text without the path, and the path (empty when the
  /// line carries none).
  virtual void take_line(std::string_view text, std::string_view path) = 0;

protected:
  LineReport(LineReport&&) = default;
  LineReport& operator=(LineReport&&) = default;
};

/// Everything conversions work on. Large (it holds both I/O buffers), so it
/// is allocated once, before any output is created, and serves one
/// conversion after another; nothing is allocated while converting.
class ConversionRun {
public:
  explicit ConversionRun(const ConversionOptions& options) noexcept : options_(options) {}

  /// Converts the whole of `source` into `sink` and closes the sink; nothing
  /// of an earlier conversion carries over. Stops early once a write has
  /// failed, since nothing more can reach the output.
  ConversionResult convert(ByteSource& source, ByteSink& sink) noexcept;

  /// Reads the whole of `source` into `report`, line by line, as `convert`
  /// reads it but writing nothing.
  ConversionResult read(ByteSource& source, LineReport& report);

private:
  /// How the steps treat a line: which rules find its path, and what
  /// becomes of its text when that is blank.
  struct LineRules {
    PathRules paths;
    BlankText blank;
  };
  static constexpr LineRules CHUNK_RULES = {PathRules::LAST_SPACE, BlankText::KEPT};
  static constexpr LineRules WHOLE_LINE_RULES = {PathRules::WHOLE_LINE,
                                                 BlankText::EMPTIED};
  /// Where a text stands in its listing line.
  struct LinePlace {
    /// It is the line's start, where -d's columns are.
    bool starts_line;
    /// More of the line follows in the next chunk.
    bool goes_on;
  };

  void take_chunk(bool line_goes_on);
  void hold_chunk(bool line_goes_on);
  void rewrite_line(LineText line, LineRules rules, LinePlace place);
  void write_pieces(std::string_view text, BlankText blank, bool line_goes_on) noexcept;
  void write_laid_out(std::string_view text, BlankText blank) noexcept;

  InputStream input_stream_;
  OutputStream output_stream_;
  LineChunk line_buffer_;
  SourcePath source_path_;
  /// The line being gathered when a line is a whole line.
  HeldLine held_line_;
  /// A line's first `max_length` characters, once its tabs are expanded.
  std::array<char, MAX_CHUNK_LENGTH> cut_buffer_;
  /// A line whose tabs expand to no more than this, expanded whole.
  std::array<char, 4 * MAX_CHUNK_LENGTH> expanded_;
  ConversionOptions options_;
  /// Where lines go instead of the output while `read` runs.
  LineReport* report_ = nullptr;
};

/// A run for the options; null when there is not enough memory.
std::unique_ptr<ConversionRun> allocate_run(const ConversionOptions& options) noexcept;

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_CONVERSION_RUN_H_
