#ifndef VADRIMEL_DRIVER_CONVERSION_RUN_H_
#define VADRIMEL_DRIVER_CONVERSION_RUN_H_

#include <cstdint>
#include <cstdio>
#include <memory>
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

/// Everything conversions work on. Large (it holds both I/O buffers), so it
/// is allocated once, before any output is created, and serves one
/// conversion after another; nothing is allocated while converting.
class ConversionRun {
public:
  ConversionRun(std::uint8_t max_length, PathSearch path_search) noexcept
      : max_length_(max_length), path_search_(path_search) {}

  /// Converts the whole of `source` into `sink` and closes the sink; nothing
  /// of an earlier conversion carries over. Stops early once a write has
  /// failed, since nothing more can reach the output.
  ConversionResult convert(ByteSource& source, ByteSink& sink) noexcept;

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

/// A run for the settings' options; null when there is not enough memory.
using RunAllocator = std::unique_ptr<ConversionRun> (*)(const Settings& settings);
std::unique_ptr<ConversionRun> allocate_run(const Settings& settings) noexcept;

/// Converts `source` into `sink` with a fresh run.
ConversionResult convert_stream(ByteSource& source, ByteSink& sink,
                                std::uint8_t max_length,
                                PathSearch path_search = PathSearch::PER_CHUNK);

/// Opens the input listing, makes sure the output may be written, creates it
/// and converts the one into the other with `run`. Returns the exit status;
/// on failure, the one message saying why has been written to `messages`.
int convert_listing(const Settings& settings, ConversionRun& run, std::FILE* messages);

/// Converts each of the settings' listings (option -b) into the file
/// `output_name_for` names, as `convert_listing` would; a listing that fails
/// has its message and the next one is taken. Returns 1 when any failed.
int convert_listings(const Settings& settings, ConversionRun& run, std::FILE* messages);

/// Converts an opened input into a created output and reports the outcome as
/// `convert_listing` does; the streams are named by `settings`.
int convert_and_report(ConversionRun& run, ByteSource& source, ByteSink& sink,
                       const Settings& settings, std::FILE* messages);

/// Writes the message for a run that finds too little memory; returns the exit
/// status that goes with it.
int report_out_of_memory(std::FILE* messages) noexcept;

/// The whole program: `arguments` as main receives them, the program's name
/// first. Returns the exit status. Usage text and fatal messages go to
/// `messages`, which is standard output in the program. The run's memory
/// comes from `allocate`.
int run_vadrimel(std::span<const char* const> arguments, std::FILE* messages,
                 RunAllocator allocate = allocate_run);

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_CONVERSION_RUN_H_
