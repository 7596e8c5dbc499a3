#include "driver/standard_output.h"

#include <cstdlib>
#include <optional>
#include <string_view>
#include <utility>

#include "driver/for_each_listing.h"
#include "driver/report_outcome.h"
#include "system/file_streams.h"
#include "system/messages.h"

namespace vadrimel {

namespace {

constexpr std::string_view STANDARD_INPUT_NAME = "(standard input)";
constexpr std::string_view STANDARD_OUTPUT_NAME = "(standard output)";

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

int convert_to_standard_output(std::span<const char* const> names, ConversionRun& run,
                               std::FILE* input, std::FILE* output, std::FILE* messages) {
  FileSink standard_output;
  standard_output.open_stream(output);
  if (names.empty()) {
    FileSource standard_input;
    standard_input.open_stream(input);
    return convert_to(run, standard_input, STANDARD_INPUT_NAME, standard_output, messages)
        .first;
  }
  int status = EXIT_SUCCESS;
  bool writable = true;
  for_each_listing(names, [&](const std::string& listing) {
    // Once standard output takes nothing more, no listing is even opened.
    if (!writable) {
      return;
    }
    FileSource listing_file;
    if (!listing_file.open(listing)) {
      status = report_fatal(messages, "can't open file", listing);
      return;
    }
    const auto [converted, still_writable] =
        convert_to(run, listing_file, listing, standard_output, messages);
    if (converted != EXIT_SUCCESS) {
      status = EXIT_FAILURE;
    }
    writable = still_writable;
  });
  return status;
}

} // namespace vadrimel
