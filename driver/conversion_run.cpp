#include "driver/conversion_run.h"

#include <cstdlib>
#include <memory>
#include <string>

#include "driver/file_streams.h"

namespace vadrimel {

namespace {

int report_fatal(std::FILE* messages, const char* what, const std::string& name) {
  write_message(messages, "Fatal: " + std::string(what) + ":" + name + "\n");
  return EXIT_FAILURE;
}

} // namespace

ConversionResult ConversionRun::convert() noexcept {
  int result = CHUNK_LINE_END;
  while (result != CHUNK_END_OF_FILE && !output_stream_.failed()) {
    result = fetch_line_chunk(line_buffer_, input_stream_);
    take_chunk(result);
  }
  const bool written = output_stream_.finish();
  return {.read_failed = input_stream_.read_failed(), .write_failed = !written};
}

/// The one place that decides whether a chunk is converted on its own or as
/// part of its whole line.
void ConversionRun::take_chunk(int result) noexcept {
  const bool line_goes_on = result == CHUNK_SPLIT;
  if (path_search_ == PathSearch::PER_CHUNK || passing_long_line_) {
    convert_chunk();
    passing_long_line_ = passing_long_line_ && line_goes_on;
    return;
  }
  // Most lines come in one chunk: they are converted where they lie.
  if (!line_goes_on && held_line_.empty()) {
    convert_whole_line(text_up_to_zero_byte(line_buffer_));
    return;
  }
  held_line_.append(line_buffer_);
  if (!line_goes_on) {
    convert_whole_line(held_line_.joined());
    held_line_.clear();
  } else if (held_line_.full()) {
    release_held_chunks();
  }
}

void ConversionRun::convert_chunk() noexcept {
  if (rewrite_line(line_buffer_, source_path_, max_length_)) {
    output_stream_.write_source_path_record(source_path_.current_source_path());
  }
  output_stream_.write_line_record(line_buffer_.text);
}

/// The path's record first, then the rest of the line in pieces of
/// MAX_CHUNK_LENGTH, cut as the reader cuts a line: a rest that fills its
/// last piece exactly is followed by an empty one.
void ConversionRun::convert_whole_line(std::string_view line) noexcept {
  const LineParts parts = split_off_source_path(line);
  if (!parts.path.empty() && source_path_.replace_if_different(parts.path)) {
    output_stream_.write_source_path_record(parts.path);
  }
  std::string_view rest = parts.text;
  std::string_view piece;
  do {
    piece = rest.substr(0, MAX_CHUNK_LENGTH);
    rest.remove_prefix(piece.size());
    output_stream_.write_line_record(clean_piece(piece, max_length_));
  } while (piece.size() == MAX_CHUNK_LENGTH);
}

/// A line too long to hold: its chunks so far, and all that follow up to its
/// end, are converted one by one, as without whole-line paths.
void ConversionRun::release_held_chunks() noexcept {
  for (std::size_t index = 0; index < held_line_.chunk_count(); ++index) {
    line_buffer_.text = held_line_.chunk(index);
    line_buffer_.holds_zero_byte = line_buffer_.text.find('\0') != std::string_view::npos;
    convert_chunk();
  }
  held_line_.clear();
  passing_long_line_ = true;
}

ConversionResult convert_stream(ByteSource& source, ByteSink& sink,
                                std::uint8_t max_length, PathSearch path_search) {
  const auto run = std::make_unique<ConversionRun>(source, sink, max_length, path_search);
  return run->convert();
}

int convert_listing(const Settings& settings, std::FILE* messages) {
  FileSource input_stream;
  if (!input_stream.open(settings.input_path)) {
    return report_fatal(messages, "can't open file", settings.input_path);
  }
  // Creating the output would empty the listing before it is read.
  if (names_same_regular_file(settings.input_path, settings.output_path)) {
    return report_fatal(messages, "input and output are the same file",
                        settings.output_path);
  }
  FileSink output_stream;
  if (!output_stream.create(settings.output_path)) {
    return report_fatal(messages, "can't create file", settings.output_path);
  }
  return convert_and_report(input_stream, output_stream, settings, messages);
}

int convert_and_report(ByteSource& input_stream, ByteSink& output_stream,
                       const Settings& settings, std::FILE* messages) {
  const ConversionResult result = convert_stream(
      input_stream, output_stream, settings.max_length,
      settings.whole_line_paths ? PathSearch::WHOLE_LINE : PathSearch::PER_CHUNK);
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

int run_vadrimel(std::span<const char* const> arguments, std::FILE* messages) {
  const std::optional<Settings> settings = read_command_line(arguments);
  if (!settings) {
    return show_usage(messages);
  }
  return convert_listing(*settings, messages);
}

} // namespace vadrimel
