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

} // namespace

int report_out_of_memory(std::FILE* messages) noexcept {
  write_message(messages, "Fatal: not enough memory to convert\n");
  return EXIT_FAILURE;
}

ConversionResult ConversionRun::convert(ByteSource& source, ByteSink& sink) noexcept {
  input_stream_.start(source);
  output_stream_.start(sink);
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
  if (path_search_ == PathSearch::PER_CHUNK) {
    rewrite_line(line_buffer_.text, PathSearch::PER_CHUNK, line_goes_on);
  } else if (!line_goes_on && held_line_.empty()) {
    // Most lines come in one chunk: they are converted where they lie.
    rewrite_line(line_buffer_.text, PathSearch::WHOLE_LINE, false);
  } else {
    hold_chunk(line_goes_on);
  }
}

/// A line too long to hold is read chunk by chunk, as without whole-line
/// paths: the chunks held so far once it outgrows the buffer, then each chunk
/// as it comes.
void ConversionRun::hold_chunk(bool line_goes_on) noexcept {
  if (held_line_.append(line_buffer_.text)) {
    if (!line_goes_on) {
      rewrite_line(held_line_.text(), PathSearch::WHOLE_LINE, false);
    }
  } else {
    // The first chunk that does not fit lets the held ones go.
    const bool first_not_held = held_line_.chunk_count() == MAX_HELD_CHUNKS + 1;
    for (std::size_t index = 0; first_not_held && index < MAX_HELD_CHUNKS; ++index) {
      rewrite_line(held_line_.chunk(index), PathSearch::PER_CHUNK, true);
    }
    rewrite_line(line_buffer_.text, PathSearch::PER_CHUNK, line_goes_on);
  }
  if (!line_goes_on) {
    held_line_.clear();
  }
}

/// The source path record when the line's path is new, then the rest of the
/// line in pieces of MAX_CHUNK_LENGTH, cut as the reader cuts a line: a rest
/// that fills its last piece exactly is followed by an empty one, unless the
/// line goes on in the next chunk.
void ConversionRun::rewrite_line(std::string_view line, PathSearch search,
                                 bool line_goes_on) noexcept {
  const LineParts parts = split_off_source_path(line, search);
  if (!parts.path.empty() && source_path_.replace_if_different(parts.path)) {
    output_stream_.write_source_path_record(parts.path);
  }
  std::string_view rest = parts.text;
  std::string_view piece;
  do {
    piece = rest.substr(0, MAX_CHUNK_LENGTH);
    rest.remove_prefix(piece.size());
    output_stream_.write_line_record(clean_piece(piece, max_length_, search));
  } while (!rest.empty() || (piece.size() == MAX_CHUNK_LENGTH && !line_goes_on));
}

std::unique_ptr<ConversionRun> allocate_run(const Settings& settings) noexcept {
  const PathSearch search =
      settings.whole_line_paths ? PathSearch::WHOLE_LINE : PathSearch::PER_CHUNK;
  return std::unique_ptr<ConversionRun>(new (std::nothrow)
                                            ConversionRun(settings.max_length, search));
}

ConversionResult convert_stream(ByteSource& source, ByteSink& sink,
                                std::uint8_t max_length, PathSearch path_search) {
  const auto run = std::make_unique<ConversionRun>(max_length, path_search);
  return run->convert(source, sink);
}

int convert_listing(const Settings& settings, ConversionRun& run, std::FILE* messages) {
  FileSource input_file;
  if (!input_file.open(settings.input_path)) {
    return report_fatal(messages, "can't open file", settings.input_path);
  }
  // Creating the output would empty the listing before it is read.
  if (names_same_file(settings.input_path, settings.output_path)) {
    return report_fatal(messages, "input and output are the same file",
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
  return convert_and_report(run, input_file, output_file, settings, messages);
}

int convert_listings(const Settings& settings, ConversionRun& run, std::FILE* messages) {
  Settings each = settings;
  int status = EXIT_SUCCESS;
  for (const std::string name : settings.listings) {
    const std::vector<std::string> listings = listings_named(name);
    if (listings.empty()) {
      status = report_fatal(messages, "can't open file", name);
    }
    for (const std::string& listing : listings) {
      each.input_path = listing;
      each.output_path = output_name_for(listing);
      if (convert_listing(each, run, messages) != EXIT_SUCCESS) {
        status = EXIT_FAILURE;
      }
    }
  }
  return status;
}

int convert_and_report(ConversionRun& run, ByteSource& source, ByteSink& sink,
                       const Settings& settings, std::FILE* messages) {
  const ConversionResult result = run.convert(source, sink);
  // A failed write makes the whole output suspect, so it is the one named
  // when both went wrong.
  if (result.write_failed) {
    return report_fatal(messages, "can't write file", settings.output_path);
  }
  if (result.read_failed) {
    return report_fatal(messages, "can't read file", settings.input_path);
  }
  return EXIT_SUCCESS;
}

int run_vadrimel(std::span<const char* const> arguments, std::FILE* messages,
                 RunAllocator allocate) {
  const std::optional<Settings> settings = read_command_line(arguments);
  if (!settings) {
    return answer_short_command_line(arguments, messages);
  }
  const std::unique_ptr<ConversionRun> run = allocate(*settings);
  if (!run) {
    return report_out_of_memory(messages);
  }
  return settings->batch ? convert_listings(*settings, *run, messages)
                         : convert_listing(*settings, *run, messages);
}

} // namespace vadrimel
