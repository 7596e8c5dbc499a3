// Feeds arbitrary bytes through the real conversion run, with paths looked for
// per chunk and on whole lines, and through the command-line reading, and
// checks what must hold of any output. The first byte is the
// "-m" setting; the rest is the listing. The same bytes, cut at zero bytes,
// are also read as a command line.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "driver/conversion_run.h"
#include "tests/test_support.h"

namespace {

using vadrimel::testing::MemorySink;
using vadrimel::testing::MemorySource;

void require(bool condition) {
  if (!condition) {
    std::abort();
  }
}

constexpr std::string_view PATH_PREFIX = "FILE:";

/// Checks the records of one conversion. The listing holds no 'F', so every
/// record that starts with "FILE:" is a source path record.
void check_records(std::string_view output, const vadrimel::ConversionOptions& options) {
  const bool whole_lines = options.path_search == vadrimel::PathSearch::WHOLE_LINE;
  const std::uint8_t max_length = options.max_length;
  const std::string_view record_end =
      options.record_end == vadrimel::RecordEnd::LF ? "\n" : "\r\n";
  require(output.ends_with(record_end));
  std::string_view previous_path;
  bool path_record_before = false;
  while (!output.empty()) {
    const std::size_t end = output.find(record_end);
    require(end != std::string_view::npos);
    const std::string_view record = output.substr(0, end);
    output.remove_prefix(end + record_end.size());
    require(record.find_first_of("\r\n") == std::string_view::npos);
    if (record.starts_with(PATH_PREFIX)) {
      const std::string_view path = record.substr(PATH_PREFIX.size());
      require(!path_record_before && path != previous_path);
      require(path.size() <= (whole_lines ? vadrimel::MAX_HELD_LINE_LENGTH : 254));
      previous_path = path;
      path_record_before = true;
      continue;
    }
    require(record.size() <= 255);
    require(max_length <= 31 || record.size() <= max_length);
    // With whole-line paths, padding never survives, not even on its own.
    require(!whole_lines || record.empty() || record.back() != ' ');
    path_record_before = false;
  }
  require(!path_record_before); // a path record always has its line after it
}

std::string convert(const std::string& listing,
                    const vadrimel::ConversionOptions& options,
                    std::size_t largest_read) {
  MemorySource source(listing, largest_read);
  MemorySink sink;
  const vadrimel::ConversionResult result =
      vadrimel::convert_stream(source, sink, options);
  require(!result.read_failed && !result.write_failed);
  return sink.written();
}

void fuzz_conversion(const std::uint8_t* data, std::size_t size) {
  const std::uint8_t max_length = size > 0 ? data[0] : 0;
  std::string listing(reinterpret_cast<const char*>(data), size);
  listing.erase(0, size > 0 ? 1 : 0);
  for (char& byte : listing) {
    byte = byte == 'F' ? 'f' : byte;
  }
  // Each path search alone, then with the options for diffing and printing,
  // whose settings the "-m" byte gives too.
  const std::vector<vadrimel::ConversionOptions> option_sets = {
      {.max_length = max_length, .path_search = vadrimel::PathSearch::PER_CHUNK},
      {.max_length = max_length, .path_search = vadrimel::PathSearch::WHOLE_LINE},
      {.max_length = max_length,
       .path_search = vadrimel::PathSearch::WHOLE_LINE,
       .mask_build_noise = true,
       .tab_size = static_cast<std::uint8_t>(max_length % 13),
       .wrap = true,
       .record_end = vadrimel::RecordEnd::LF},
      {.max_length = max_length,
       .path_search = vadrimel::PathSearch::PER_CHUNK,
       .tab_size = static_cast<std::uint8_t>(1 + max_length % 5),
       .wrap = true},
  };
  for (const vadrimel::ConversionOptions& options : option_sets) {
    const std::string output = convert(listing, options, 1U << 20U);
    check_records(output, options);
    // However the input arrives, the output is the same.
    require(convert(listing, options, 1 + max_length % 7) == output);
  }
}

/// The path finder against the plain reference, on every line of the input.
void fuzz_path_finder(std::string_view listing) {
  while (!listing.empty()) {
    const std::string_view line = listing.substr(0, listing.find('\n'));
    listing.remove_prefix(std::min(line.size() + 1, listing.size()));
    const vadrimel::LineParts parts =
        vadrimel::split_off_source_path(line, vadrimel::PathSearch::WHOLE_LINE);
    const std::size_t start = vadrimel::testing::reference_path_start(line);
    require(start == std::string_view::npos
                ? parts.path.empty() && parts.text == line
                : parts.path == line.substr(start) &&
                      parts.text == line.substr(0, start - 1));
  }
}

void fuzz_command_line(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> words = {"vadrimel"};
  std::string word;
  for (std::size_t index = 0; index < size; ++index) {
    if (data[index] == 0) {
      words.push_back(word);
      word.clear();
    } else {
      word += static_cast<char>(data[index]);
    }
  }
  words.push_back(word);
  std::vector<const char*> arguments;
  for (const std::string& each : words) {
    arguments.push_back(each.c_str());
  }
  const std::optional<vadrimel::Settings> settings =
      vadrimel::read_command_line(arguments);
  if (settings && settings->batch) {
    // The listings are the arguments that end the command line, in order.
    require(!settings->listings.empty() && settings->listings.size() < words.size());
    require(std::equal(settings->listings.rbegin(), settings->listings.rend(),
                       words.rbegin()));
  } else if (settings) {
    // The file names are two arguments, given in order and whole.
    bool found = false;
    for (std::size_t index = 1; index + 1 < words.size() && !found; ++index) {
      found = words[index] == settings->input_path &&
              words[index + 1] == settings->output_path;
    }
    require(found);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_conversion(data, size);
  fuzz_path_finder({reinterpret_cast<const char*>(data), size});
  fuzz_command_line(data, size);
  return 0;
}
