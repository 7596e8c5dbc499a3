#ifndef VADRIMEL_DRIVER_CONVERSION_RUN_H_
#define VADRIMEL_DRIVER_CONVERSION_RUN_H_

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string_view>

#include "driver/command_line.h"
#include "driver/file_streams.h"
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

/// What shapes the output of a conversion.
struct ConversionOptions {
  /// 0 to 31: lines are not cut.
  std::uint8_t max_length = 0;
  PathSearch path_search = PathSearch::PER_CHUNK;
  /// Option -d: the build's noise is masked (`mask_build_noise`) at the start
  /// of each line as the path search sees it: with PER_CHUNK every chunk.
  bool mask_build_noise = false;
  /// Option -t: tabs become spaces up to tab stops this far apart; 0 leaves
  /// them as they are.
  std::uint8_t tab_size = 0;
  /// Option -w: a piece longer than `max_length` is wrapped, not cut.
  bool wrap = false;
  RecordEnd record_end = RecordEnd::CR_LF;
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

private:
  void take_chunk(bool line_goes_on) noexcept;
  void hold_chunk(bool line_goes_on) noexcept;
  void rewrite_line(LineText line, PathSearch search, bool line_starts,
                    bool line_goes_on) noexcept;
  void write_piece(std::string_view piece, PathSearch search) noexcept;
  void write_continuations(std::string_view rest) noexcept;

  InputStream input_stream_;
  OutputStream output_stream_;
  LineChunk line_buffer_;
  SourcePath source_path_;
  /// The line being gathered when paths are looked for on whole lines.
  HeldLine held_line_;
  std::array<char, MAX_CHUNK_LENGTH> expanded_piece_;
  ConversionOptions options_;
};

/// A run for the settings' options; null when there is not enough memory.
using RunAllocator = std::unique_ptr<ConversionRun> (*)(const Settings& settings);
std::unique_ptr<ConversionRun> allocate_run(const Settings& settings) noexcept;

/// Converts `source` into `sink` with a fresh run.
ConversionResult convert_stream(ByteSource& source, ByteSink& sink,
                                const ConversionOptions& options);
ConversionResult convert_stream(ByteSource& source, ByteSink& sink,
                                std::uint8_t max_length,
                                PathSearch path_search = PathSearch::PER_CHUNK);

/// The program's standard streams: in the program stdin, stdout and stderr.
struct StandardStreams {
  std::FILE* input;
  std::FILE* output;
  std::FILE* errors;
};

/// Opens the input listing, makes sure the output may be written, creates it
/// and converts the one into the other with `run`. Returns the exit status;
/// on failure, the one message saying why has been written to `messages`.
/// With `files_of_run` (option -b), an output that is one of its files is
/// refused too, and the output created is added to them.
int convert_listing(const Settings& settings, ConversionRun& run, std::FILE* messages,
                    FilesOfRun* files_of_run = nullptr);

/// Converts each of the settings' listings (option -b) into the file
/// `output_name_for` names, as `convert_listing` would; a listing that fails
/// has its message and the next one is taken. No file named as a listing,
/// and no output written before, becomes an output. Returns 1 when any
/// failed.
int convert_listings(const Settings& settings, ConversionRun& run, std::FILE* messages);

/// Converts each of the settings' listings, or standard input when none is
/// named, to standard output (option -c), one after another; messages go to
/// standard error. A listing that fails has its message and the next one is
/// taken, until writing fails; a reader that has gone gets no message.
/// Returns 1 when any failed.
int convert_to_standard_output(const Settings& settings, ConversionRun& run,
                               const StandardStreams& streams);

/// Converts an opened input into a created output and reports the outcome as
/// `convert_listing` does, naming the streams `input_name` and `output_name`.
int convert_and_report(ConversionRun& run, ByteSource& source, ByteSink& sink,
                       std::string_view input_name, std::string_view output_name,
                       std::FILE* messages);

/// Writes the message for a run that finds too little memory; returns the exit
/// status that goes with it.
int report_out_of_memory(std::FILE* messages) noexcept;

/// The whole program: `arguments` as main receives them, the program's name
/// first. Returns the exit status. The usage text, the help and fatal
/// messages go to standard output, fatal messages with -c to standard error.
/// The run's memory comes from `allocate`.
int run_vadrimel(std::span<const char* const> arguments, const StandardStreams& streams,
                 RunAllocator allocate = allocate_run);

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_CONVERSION_RUN_H_
