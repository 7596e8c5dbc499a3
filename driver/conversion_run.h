#ifndef VADRIMEL_DRIVER_CONVERSION_RUN_H_
#define VADRIMEL_DRIVER_CONVERSION_RUN_H_

#include <array>
#include <memory>
#include <string_view>

#include "driver/conversion_options.h"
#include "driver/output_stream.h"
#include "listing/line_cleanup.h"
#include "listing/line_reader.h"
#include "listing/line_source.h"
#include "system/byte_stream.h"

namespace vadrimel {

/// How a conversion ended. Both can be true: a read error ends the input,
/// and then writing out the rest can fail too.
struct ConversionResult {
  bool read_failed = false;
  bool write_failed = false;
};

/// Everything conversions work on. Large (it holds both I/O buffers), so it
/// is allocated once, before any output is created, and serves one
/// conversion after another; nothing is allocated while converting.
class ConversionRun {
public:
  explicit ConversionRun(const ConversionOptions& options) noexcept
      : line_source_(options.line_scope), options_(options) {}

  /// Converts the whole of `source` into `sink` and closes the sink; nothing
  /// of an earlier conversion carries over. Stops early once a write has
  /// failed, since nothing more can reach the output.
  ConversionResult convert(ByteSource& source, ByteSink& sink) noexcept;

private:
  void rewrite_line(ListingLine& line) noexcept;
  void write_pieces(std::string_view text, BlankText blank, bool line_goes_on) noexcept;
  void write_laid_out(std::string_view text, BlankText blank) noexcept;

  LineSource line_source_;
  OutputStream output_stream_;
  /// A line's first `max_length` characters, once its tabs are expanded.
  std::array<char, MAX_CHUNK_LENGTH> cut_buffer_;
  /// A line whose tabs expand to no more than this, expanded whole.
  std::array<char, 4 * MAX_CHUNK_LENGTH> expanded_;
  ConversionOptions options_;
  /// Option -d: the code of the current source line loads a string's address.
  bool in_string_statement_ = false;
};

/// A run for the options; null when there is not enough memory.
std::unique_ptr<ConversionRun> allocate_run(const ConversionOptions& options) noexcept;

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_CONVERSION_RUN_H_
