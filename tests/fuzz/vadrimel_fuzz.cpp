// Feeds arbitrary bytes through the real conversion run in every mode that
// shapes its output, and through the command-line reading in every mode, and
// checks what must hold of any output. The first byte is the
// "-m" setting; the rest is the listing. The same bytes, cut at zero bytes,
// are also read as a command line.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "driver/command_line.h"
#include "driver/conversion_run.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/test_support.h"

namespace {

using vadrimel::testing::MemorySink;
using vadrimel::testing::MemorySource;

using vadrimel::fuzzing::require;

constexpr std::string_view PATH_PREFIX = "FILE:";

/// True when a line of `listing` is too long to hold whole: it is converted
/// chunk by chunk, as without -p, and its records may end in spaces.
bool holds_line_too_long_to_hold(std::string_view listing) {
  std::size_t length = 0;
  for (const char byte : listing) {
    length = byte == '\n' ? 0 : length + (byte == '\r' ? 0 : 1);
    if (length > vadrimel::MAX_HELD_LINE_LENGTH) {
      return true;
    }
  }
  return false;
}

/// Checks the records of one conversion. The listing holds no 'F', so every
/// record that starts with "FILE:" is a source path record.
void check_records(std::string_view output, const vadrimel::ConversionOptions& options,
                   bool line_too_long_to_hold) {
  const bool whole_lines = options.line_scope == vadrimel::LineScope::WHOLE_LINE;
  const bool laid_out = options.tab_size != 0 || options.wrap;
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
      // -d shows paths by their last three parts: two that differ above
      // them show alike.
      require(!path_record_before && (path != previous_path || options.mask_build_noise));
      require(path.size() <= (whole_lines ? vadrimel::MAX_HELD_LINE_LENGTH : 254));
      previous_path = path;
      path_record_before = true;
      continue;
    }
    require(laid_out || record.size() <= 255);
    require(max_length <= 31 || record.size() <= max_length);
    require(options.tab_size == 0 || record.find('\t') == std::string_view::npos);
    // With whole lines, padding never survives, not even on its own, but on
    // the chunks of a line too long to hold.
    require(!whole_lines || line_too_long_to_hold || record.empty() ||
            record.back() != ' ');
    path_record_before = false;
  }
  require(!path_record_before); // a path record always has its line after it
}

/// The characters that are neither white space nor a record's end, in order,
/// without the marks of -w's continuations (a '+' after 41 spaces at a
/// record's start, and a space).
/// The listing with no column header and no rule under it, which -w cuts as
/// without it: the first character of each changed, wherever they stand,
/// after the carriage returns that a line's cleanup drops.
std::string without_column_headers(std::string listing) {
  std::erase(listing, '\r');
  for (const std::string_view header : {std::string_view("Address  Value    Disassembly"),
                                        std::string_view("-------  ----")}) {
    for (std::size_t at = listing.find(header); at != std::string::npos;
         at = listing.find(header, at + 1)) {
      listing[at] = '=';
    }
  }
  return listing;
}

std::string visible_characters(std::string_view text) {
  constexpr std::size_t MARK = 41;
  std::string visible;
  std::size_t column = 0;
  std::size_t leading_spaces = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char byte = text[at];
    const bool mark = byte == '+' && column == MARK && leading_spaces == MARK &&
                      at + 1 < text.size() && text[at + 1] == ' ';
    if (byte != ' ' && byte != '\t' && byte != '\r' && byte != '\n' && !mark) {
      visible += byte;
    }
    leading_spaces =
        byte == ' ' && leading_spaces == column ? leading_spaces + 1 : leading_spaces;
    column = byte == '\n' ? 0 : column + 1;
    leading_spaces = byte == '\n' ? 0 : leading_spaces;
  }
  return visible;
}

/// One run per set of options, kept from one input to the next as the
/// program keeps it from one listing to the next: making one is most of the
/// cost of a small input.
vadrimel::ConversionRun& run_for(const vadrimel::ConversionOptions& options) {
  static std::vector<
      std::pair<vadrimel::ConversionOptions, std::unique_ptr<vadrimel::ConversionRun>>>
      runs;
  for (auto& [kept, run] : runs) {
    if (kept == options) {
      return *run;
    }
  }
  runs.emplace_back(options, std::make_unique<vadrimel::ConversionRun>(options));
  return *runs.back().second;
}

std::string convert(const std::string& listing,
                    const vadrimel::ConversionOptions& options,
                    std::size_t largest_read) {
  MemorySource source(listing, largest_read);
  MemorySink sink;
  const vadrimel::ConversionResult result = run_for(options).convert(source, sink);
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
  const bool too_long = holds_line_too_long_to_hold(listing);
  using vadrimel::LineScope;
  // Each kind of line alone, then with the options for diffing and printing,
  // whose settings the "-m" byte gives too.
  const std::vector<vadrimel::ConversionOptions> option_sets = {
      {.max_length = max_length, .line_scope = LineScope::CHUNK},
      {.max_length = max_length, .line_scope = LineScope::WHOLE_LINE},
      {.max_length = max_length,
       .line_scope = LineScope::WHOLE_LINE,
       .mask_build_noise = true,
       .tab_size = static_cast<std::uint8_t>(max_length % 13),
       .wrap = true,
       .record_end = vadrimel::RecordEnd::LF},
      {.max_length = max_length,
       .line_scope = LineScope::CHUNK,
       .tab_size = static_cast<std::uint8_t>(1 + max_length % 5),
       .wrap = true},
  };
  for (const vadrimel::ConversionOptions& options : option_sets) {
    const std::string output = convert(listing, options, 1U << 20U);
    check_records(output, options, too_long);
    // However the input arrives, the output is the same.
    require(convert(listing, options, 1 + max_length % 7) == output);
    if (options.wrap) {
      // Wrapping loses no character but spaces, outside the column header
      // and its rule, which are cut as without it.
      const std::string headless = without_column_headers(listing);
      vadrimel::ConversionOptions whole = options;
      whole.max_length = 0;
      whole.wrap = false;
      require(visible_characters(convert(headless, options, 1U << 20U)) ==
              visible_characters(convert(headless, whole, 1U << 20U)));
    }
  }
}

/// The path finder against the plain reference, on every line of the input,
/// each path found the current one for the lines after it.
void fuzz_path_finder(std::string_view listing) {
  std::string current;
  while (!listing.empty()) {
    const std::string_view line = listing.substr(0, listing.find('\n'));
    listing.remove_prefix(std::min(line.size() + 1, listing.size()));
    const vadrimel::LineParts parts =
        vadrimel::split_off_source_path(line, vadrimel::PathRules::WHOLE_LINE, current);
    const std::size_t start = vadrimel::testing::reference_path_start(line, current);
    require(start == std::string_view::npos
                ? parts.path.empty() && parts.text == line
                : parts.path == line.substr(start) &&
                      parts.text == line.substr(0, start - 1));
    if (!parts.path.empty()) {
      current = parts.path;
    }
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
  const vadrimel::Command command = vadrimel::read_command(arguments);
  if (command.request != vadrimel::Request::CONVERSION) {
    return;
  }
  // The names are the arguments that end the command line, in order, as many
  // as the mode needs at the least.
  require(command.names.size() < words.size());
  require(std::equal(command.names.rbegin(), command.names.rend(), words.rbegin()));
  switch (command.mode) {
  case vadrimel::Mode::TWO_NAMES:
    require(command.names.size() >= 2);
    break;
  case vadrimel::Mode::BATCH:
  case vadrimel::Mode::SIZES:
  case vadrimel::Mode::CALLS:
    require(!command.names.empty());
    break;
  case vadrimel::Mode::ADDRESSES:
    require(command.names.size() >= 2);
    break;
  case vadrimel::Mode::STANDARD_OUTPUT:
    break;
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_conversion(data, size);
  fuzz_path_finder({reinterpret_cast<const char*>(data), size});
  fuzz_command_line(data, size);
  return 0;
}
