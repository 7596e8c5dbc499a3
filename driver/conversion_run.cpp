#include "driver/conversion_run.h"

#include <cstdlib>
#include <memory>
#include <string>

#include "driver/file_streams.h"

namespace vadrimel {

namespace {

int report_fatal(std::FILE* messages, const char* what, const std::string& path) {
  static_cast<void>(std::fprintf(messages, "Fatal: %s:%s\n", what, path.c_str()));
  return EXIT_FAILURE;
}

} // namespace

ConversionResult ConversionRun::convert() noexcept {
  int result = CHUNK_LINE_END;
  while (result != CHUNK_END_OF_FILE && !output_stream_.failed()) {
    result = fetch_line_chunk(line_buffer_, input_stream_);
    if (rewrite_line(line_buffer_, source_path_, max_length_)) {
      output_stream_.write_source_path_record(source_path_.current_source_path());
    }
    output_stream_.write_line_record(line_buffer_.text);
  }
  const bool written = output_stream_.finish();
  return {.read_failed = input_stream_.read_failed(), .write_failed = !written};
}

ConversionResult convert_stream(ByteSource& source, ByteSink& sink,
                                std::uint8_t max_length) {
  const auto run = std::make_unique<ConversionRun>(source, sink, max_length);
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
  const ConversionResult result =
      convert_stream(input_stream, output_stream, settings.max_length);
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
