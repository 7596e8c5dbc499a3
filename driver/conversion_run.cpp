#include "driver/conversion_run.h"

#include <array>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "driver/file_streams.h"
#include "driver/platform.h"

namespace vadrimel {

namespace {

/// Written in pieces, so that reporting a failure needs no memory.
int report_fatal(std::FILE* messages, std::string_view what, std::string_view name) {
  const std::array<std::string_view, 5> pieces = {"Fatal: ", what, ":", name, "\n"};
  for (const std::string_view piece : pieces) {
    write_message(messages, piece);
  }
  return EXIT_FAILURE;
}

/// The message for a conversion that went wrong; returns the exit status.
int report_outcome(const ConversionResult& result, std::string_view input_name,
                   std::string_view output_name, std::FILE* messages) {
  // A failed write makes the whole output suspect, so it is the one named
  // when both went wrong.
  if (result.write_failed) {
    return report_fatal(messages, "can't write file", output_name);
  }
  if (result.read_failed) {
    return report_fatal(messages, "can't read file", input_name);
  }
  return EXIT_SUCCESS;
}

} // namespace

int report_out_of_memory(std::FILE* messages) noexcept {
  write_message(messages, "Fatal: not enough memory to convert\n");
  return EXIT_FAILURE;
}

ConversionResult ConversionRun::convert(ByteSource& source, ByteSink& sink) noexcept {
  input_stream_.start(source);
  output_stream_.start(sink, options_.record_end);
  source_path_.forget();
  held_line_.clear();
  int result = CHUNK_LINE_END;
  while (result != CHUNK_END_OF_FILE && !output_stream_.failed()) {
    result = fetch_line_chunk(line_buffer_, input_stream_);
    take_chunk(result == CHUNK_SPLIT);
  }
  const bool written = output_stream_.finish();
  return {.read_failed = input_stream_.read_failed(), .write_failed = !written};
}

/// The one place that decides what makes a line: a chunk, or with whole-line
/// paths all chunks up to the line feed.
void ConversionRun::take_chunk(bool line_goes_on) noexcept {
  if (options_.path_search == PathSearch::PER_CHUNK) {
    rewrite_line(line_buffer_.text, PathSearch::PER_CHUNK, true, line_goes_on);
  } else if (!line_goes_on && held_line_.empty()) {
    // Most lines come in one chunk: they are converted where they lie.
    rewrite_line(line_buffer_.text, PathSearch::WHOLE_LINE, true, false);
  } else {
    hold_chunk(line_goes_on);
  }
}

/// A line too long to hold is read chunk by chunk, as without whole-line
/// paths: the chunks held so far once it outgrows the buffer, then each chunk
/// as it comes.
void ConversionRun::hold_chunk(bool line_goes_on) noexcept {
  if (held_line_.append(view_of(line_buffer_.text))) {
    if (!line_goes_on) {
      rewrite_line(held_line_.text(), PathSearch::WHOLE_LINE, true, false);
    }
  } else {
    // The first chunk that does not fit lets the held ones go.
    const bool first_not_held = held_line_.chunk_count() == MAX_HELD_CHUNKS + 1;
    for (std::size_t index = 0; first_not_held && index < MAX_HELD_CHUNKS; ++index) {
      rewrite_line(held_line_.chunk(index), PathSearch::PER_CHUNK, index == 0, true);
    }
    rewrite_line(line_buffer_.text, PathSearch::PER_CHUNK, false, line_goes_on);
  }
  if (!line_goes_on) {
    held_line_.clear();
  }
}

/// The source path record when the line's path is new, then the rest of the
/// line, masked when it starts a listing line, in pieces of MAX_CHUNK_LENGTH
/// (tabs expanded first), cut as the reader cuts a line: a rest that fills
/// its last piece exactly is followed by an empty one, unless the line goes
/// on in the next chunk.
void ConversionRun::rewrite_line(LineText line, PathSearch search, bool line_starts,
                                 bool line_goes_on) noexcept {
  const LineParts parts = split_off_source_path(view_of(line), search);
  if (!parts.path.empty() && source_path_.replace_if_different(parts.path)) {
    output_stream_.write_source_path_record(parts.path);
  }
  LineText text = line.first(parts.text.size());
  if (options_.mask_build_noise && line_starts) {
    text = mask_build_noise(text);
  }
  LinePieces pieces(view_of(text), options_.tab_size, search);
  std::string_view piece;
  do {
    piece = pieces.next_piece(expanded_piece_);
    write_piece(piece, search);
  } while (!pieces.done() || (piece.size() == MAX_CHUNK_LENGTH && !line_goes_on));
}

/// A piece's line record, cut at `max_length`; with -w, what the cut would
/// drop follows in continuation records.
void ConversionRun::write_piece(std::string_view piece, PathSearch search) noexcept {
  output_stream_.write_line_record(clean_piece(piece, options_.max_length, search));
  if (options_.wrap) {
    const std::string_view rest = wrapped_rest(piece, options_.max_length);
    if (!rest.empty()) {
      write_continuations(rest);
    }
  }
}

void ConversionRun::write_continuations(std::string_view rest) noexcept {
  const Wrapping wrapping = wrapping_for(options_.max_length);
  while (!rest.empty()) {
    const std::string_view continuation = take_continuation(rest, wrapping.width);
    if (!continuation.empty()) {
      output_stream_.write_indented_record(wrapping.indent, continuation);
    }
  }
}

std::unique_ptr<ConversionRun> allocate_run(const Settings& settings) noexcept {
  const ConversionOptions options = {
      .max_length = settings.max_length,
      .path_search =
          settings.whole_line_paths ? PathSearch::WHOLE_LINE : PathSearch::PER_CHUNK,
      .mask_build_noise = settings.mask_build_noise,
      .tab_size = settings.tab_size,
      .wrap = settings.wrap,
      .record_end = settings.lf_line_ends ? RecordEnd::LF : RecordEnd::CR_LF};
  return std::unique_ptr<ConversionRun>(new (std::nothrow) ConversionRun(options));
}

ConversionResult convert_stream(ByteSource& source, ByteSink& sink,
                                const ConversionOptions& options) {
  const auto run = std::make_unique<ConversionRun>(options);
  return run->convert(source, sink);
}

ConversionResult convert_stream(ByteSource& source, ByteSink& sink,
                                std::uint8_t max_length, PathSearch path_search) {
  return convert_stream(source, sink,
                        {.max_length = max_length, .path_search = path_search});
}

int convert_listing(const Settings& settings, ConversionRun& run, std::FILE* messages,
                    FilesOfRun* files_of_run) {
  FileSource input_file;
  if (!input_file.open(settings.input_path)) {
    return report_fatal(messages, "can't open file", settings.input_path);
  }
  // Creating the output would empty the listing before it is read.
  if (names_same_file(settings.input_path, settings.output_path)) {
    return report_fatal(messages, "input and output are the same file",
                        settings.output_path);
  }
  // Another listing of the command, or what an earlier one was converted
  // into, would be lost.
  if (files_of_run != nullptr && files_of_run->holds(settings.output_path)) {
    return report_fatal(messages,
                        "won't overwrite a file named or written by this command",
                        settings.output_path);
  }
  // An existing listing as the output is most often a slip: a shell glob, or
  // names swapped.
  if (!settings.overwrite_listing && names_existing_listing(settings.output_path)) {
    return report_fatal(messages, "won't overwrite listing file", settings.output_path);
  }
  FileSink output_file;
  if (!output_file.create(settings.output_path)) {
    return report_fatal(messages, "can't create file", settings.output_path);
  }
  if (files_of_run != nullptr) {
    files_of_run->add(output_file);
  }
  return convert_and_report(run, input_file, output_file, settings.input_path,
                            settings.output_path, messages);
}

namespace {

constexpr std::string_view STANDARD_INPUT_NAME = "(standard input)";
constexpr std::string_view STANDARD_OUTPUT_NAME = "(standard output)";

/// Calls `action` on each listing that the names stand for, in order. A
/// pattern that matches nothing stands for itself, which no file can be
/// named, so that it gets the message of a listing that cannot be opened in
/// its place.
template <typename Action>
void for_each_listing(std::span<const char* const> names, Action action) {
  for (const std::string name : names) {
    std::vector<std::string> listings = listings_named(name);
    if (listings.empty()) {
      listings.push_back(name);
    }
    for (const std::string& listing : listings) {
      action(listing);
    }
  }
}

/// Converts an opened input to standard output. Returns the exit status, and
/// whether standard output can take more.
std::pair<int, bool> convert_to(ConversionRun& run, FileSource& input,
                                std::string_view input_name, FileSink& output,
                                std::FILE* messages) {
  // Appending a listing's conversion to the listing itself would never end.
  const std::optional<FileIdentity> identity = input.identity();
  if (identity && identity == output.identity()) {
    return {report_fatal(messages, "input and output are the same file",
                         STANDARD_OUTPUT_NAME),
            true};
  }
  const ConversionResult result = run.convert(input, output);
  // A reader that has gone, as `head` does, has all it wanted.
  if (result.write_failed && output.reader_left()) {
    return {EXIT_FAILURE, false};
  }
  return {report_outcome(result, input_name, STANDARD_OUTPUT_NAME, messages),
          !result.write_failed};
}

} // namespace

int convert_listings(const Settings& settings, ConversionRun& run, std::FILE* messages) {
  FilesOfRun files_of_run;
  for_each_listing(settings.listings, [&files_of_run](const std::string& listing) {
    files_of_run.add(listing);
  });
  Settings each = settings;
  int status = EXIT_SUCCESS;
  for_each_listing(settings.listings, [&](const std::string& listing) {
    each.input_path = listing;
    each.output_path = output_name_for(listing);
    if (convert_listing(each, run, messages, &files_of_run) != EXIT_SUCCESS) {
      status = EXIT_FAILURE;
    }
  });
  return status;
}

int convert_to_standard_output(const Settings& settings, ConversionRun& run,
                               const StandardStreams& streams) {
  FileSink output;
  output.open_stream(streams.output);
  if (settings.listings.empty()) {
    FileSource input;
    input.open_stream(streams.input);
    return convert_to(run, input, STANDARD_INPUT_NAME, output, streams.errors).first;
  }
  int status = EXIT_SUCCESS;
  bool writable = true;
  for_each_listing(settings.listings, [&](const std::string& listing) {
    // Once standard output takes nothing more, no listing is even opened.
    if (!writable) {
      return;
    }
    FileSource input;
    if (!input.open(listing)) {
      status = report_fatal(streams.errors, "can't open file", listing);
      return;
    }
    const auto [converted, still_writable] =
        convert_to(run, input, listing, output, streams.errors);
    if (converted != EXIT_SUCCESS) {
      status = EXIT_FAILURE;
    }
    writable = still_writable;
  });
  return status;
}

int convert_and_report(ConversionRun& run, ByteSource& source, ByteSink& sink,
                       std::string_view input_name, std::string_view output_name,
                       std::FILE* messages) {
  return report_outcome(run.convert(source, sink), input_name, output_name, messages);
}

int run_vadrimel(std::span<const char* const> arguments, const StandardStreams& streams,
                 RunAllocator allocate) {
  const std::optional<Settings> settings = read_command_line(arguments);
  if (!settings) {
    return answer_short_command_line(arguments, streams.output);
  }
  // Under -c standard output is the conversion, which no message may enter.
  std::FILE* const messages =
      settings->to_standard_output ? streams.errors : streams.output;
  try {
    const std::unique_ptr<ConversionRun> run = allocate(*settings);
    if (!run) {
      return report_out_of_memory(messages);
    }
    if (settings->to_standard_output) {
      return convert_to_standard_output(*settings, *run, streams);
    }
    return settings->batch ? convert_listings(*settings, *run, messages)
                           : convert_listing(*settings, *run, messages);
  } catch (const std::bad_alloc&) {
    // The run's buffers are allocated before any output is created; what
    // can still run out is the little that checking the names takes.
    return report_out_of_memory(messages);
  }
}

} // namespace vadrimel
