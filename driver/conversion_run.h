#ifndef VADRIMEL_DRIVER_CONVERSION_RUN_H_
#define VADRIMEL_DRIVER_CONVERSION_RUN_H_

#include <cstdint>
#include <cstdio>
#include <span>
#include <string_view>

#include "driver/command_line.h"
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

/// Everything one conversion works on. Large (it holds both I/O buffers), so
/// it is allocated once per run and never during it.
class ConversionRun {
public:
  ConversionRun(ByteSource& source, ByteSink& sink, std::uint8_t max_length,
                PathSearch path_search) noexcept
      : input_stream_(source), output_stream_(sink), max_length_(max_length),
        path_search_(path_search) {}

  /// Converts the whole input and closes the sink. Stops early once a write
  /// has failed, since nothing more can reach the output.
  ConversionResult convert() noexcept;

private:
  void take_chunk(bool line_goes_on) noexcept;
  void hold_chunk(bool line_goes_on) noexcept;
  void rewrite_line(std::string_view line, PathSearch search, bool line_goes_on) noexcept;

  InputStream input_stream_;
  OutputStream output_stream_;
  LineChunk line_buffer_;
  SourcePath source_path_;
  /// The line being gathered when paths are looked for on whole lines.
  HeldLine held_line_;
  std::uint8_t max_length_;
  PathSearch path_search_;
};

/// Converts `source` into `sink` with a fresh run.
ConversionResult convert_stream(ByteSource& source, ByteSink& sink,
                                std::uint8_t max_length,
                                PathSearch path_search = PathSearch::PER_CHUNK);

/// Opens the input listing, creates the output file and converts the one
/// into the other. Returns the exit status; on failure, the one message
/// saying why has been written to `messages`.
int convert_listing(const Settings& settings, std::FILE* messages);

/// Converts an opened input into a created output and reports the outcome as
/// `convert_listing` does; the streams are named by `settings`.
int convert_and_report(ByteSource& source, ByteSink& sink, const Settings& settings,
                       std::FILE* messages);

/// The whole program: `arguments` as main receives them, the program's name
/// first. Returns the exit status. Usage text and fatal messages go to
/// `messages`, which is standard output in the program.
int run_vadrimel(std::span<const char* const> arguments, std::FILE* messages);

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_CONVERSION_RUN_H_
