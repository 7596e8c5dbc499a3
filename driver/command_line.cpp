#include "driver/command_line.h"

#include <array>
#include <cstdlib>
#include <string>
#include <string_view>

#include "system/platform.h"

namespace vadrimel {

namespace {

constexpr unsigned char MAX_LENGTH_LETTER = 'm';
constexpr unsigned char WHOLE_LINES_LETTER = 'p';
constexpr unsigned char OVERWRITE_LISTING_LETTER = 'f';
constexpr unsigned char BATCH_LETTER = 'b';
constexpr unsigned char MASK_BUILD_NOISE_LETTER = 'd';
constexpr unsigned char STANDARD_OUTPUT_LETTER = 'c';
constexpr unsigned char LF_LINE_ENDS_LETTER = 'l';
constexpr unsigned char TAB_SIZE_LETTER = 't';
constexpr unsigned char WRAP_LETTER = 'w';
constexpr unsigned char SIZES_LETTER = 's';
constexpr unsigned char ADDRESSES_LETTER = 'a';
constexpr unsigned char MAP_LETTER = 'M';
constexpr unsigned char CALLS_LETTER = 'g';
constexpr unsigned char PAGE_LETTER = 'H';
constexpr unsigned char PULL_REQUEST_LETTER = 'r';
constexpr unsigned char LIMITS_LETTER = 'L';
constexpr unsigned char JSON_LETTER = 'j';
constexpr std::uint8_t MAX_LENGTH_WITHOUT_NUMBER = 80;
constexpr std::uint8_t TAB_SIZE_WITHOUT_NUMBER = 8;
constexpr std::uint8_t TOP_SOURCE_LINES_WITHOUT_NUMBER = 10;

/// For each option letter, by the low seven bits of its code, the text after
/// the letter of the last option given with it; null when none was given.
using OptionTable = std::array<const char*, 128>;

/// The options in front of the names.
struct Options {
  OptionTable option_values{};
  /// The last of -h, --help, -V and --version; USAGE when none was given.
  Request asked = Request::USAGE;
  /// How many arguments the options took.
  std::size_t count = 0;
  /// The options ended at "--": what follows are names, whatever they look
  /// like.
  bool ended_by_dashes = false;

  [[nodiscard]] bool given(unsigned char letter) const noexcept {
    return option_values[letter] != nullptr;
  }
};

/// A lone "-" has the terminating zero byte as its letter, so it lands in
/// slot 0 and has an empty value.
Options read_options(std::span<const char* const> arguments) noexcept {
  Options options;
  for (; options.count < arguments.size() && arguments[options.count][0] == '-';
       ++options.count) {
    const char* const argument = arguments[options.count];
    if (std::string_view(argument) == "--") {
      ++options.count;
      options.ended_by_dashes = true;
      break;
    }
    const auto slot =
        static_cast<std::size_t>(static_cast<unsigned char>(argument[1]) & 0x7FU);
    options.option_values[slot] = argument[1] == '\0' ? argument + 1 : argument + 2;
    const std::string_view option = argument;
    if (option == "-h" || option == "--help") {
      options.asked = Request::HELP;
    } else if (option == "-V" || option == "--version") {
      options.asked = Request::VERSION;
    }
  }
  return options;
}

/// White space as the C library's "%d" conversion skips it.
bool is_white_space(char character) noexcept {
  return character == ' ' || (character >= '\t' && character <= '\r');
}

bool is_digit(char character) noexcept {
  return character >= '0' && character <= '9';
}

/// Optional white space and sign, then decimal digits, the rest ignored;
/// `without_number` when no digits follow. Unsigned arithmetic wraps modulo
/// 2^N, and the low 8 bits of a number do not depend on any higher digit's
/// carry: so the low 8 bits come out right for numbers of any size, with no
/// overflow.
std::uint8_t read_low_eight_bits(const char* text, std::uint8_t without_number) noexcept {
  while (is_white_space(*text)) {
    ++text;
  }
  const bool negative = *text == '-';
  if (*text == '-' || *text == '+') {
    ++text;
  }
  if (!is_digit(*text)) {
    return without_number;
  }
  std::uint8_t value = 0;
  for (; is_digit(*text); ++text) {
    value = static_cast<std::uint8_t>(value * 10U + static_cast<unsigned>(*text - '0'));
  }
  return negative ? static_cast<std::uint8_t>(0U - value) : value;
}

/// The value of a "-m" option: 80 when no digits follow.
std::uint8_t read_max_length(const char* text) noexcept {
  return read_low_eight_bits(text, MAX_LENGTH_WITHOUT_NUMBER);
}

/// The value of a "-t" option: 8 when no digits follow or the low 8 bits
/// are 0.
std::uint8_t read_tab_size(const char* text) noexcept {
  const std::uint8_t size = read_low_eight_bits(text, TAB_SIZE_WITHOUT_NUMBER);
  return size == 0 ? TAB_SIZE_WITHOUT_NUMBER : size;
}

ConversionOptions conversion_options(const Options& options) noexcept {
  ConversionOptions conversion;
  if (options.given(MAX_LENGTH_LETTER)) {
    conversion.max_length = read_max_length(options.option_values[MAX_LENGTH_LETTER]);
  }
  if (options.given(TAB_SIZE_LETTER)) {
    conversion.tab_size = read_tab_size(options.option_values[TAB_SIZE_LETTER]);
  }
  conversion.mask_build_noise = options.given(MASK_BUILD_NOISE_LETTER);
  conversion.line_scope = options.given(WHOLE_LINES_LETTER) || conversion.mask_build_noise
                              ? LineScope::WHOLE_LINE
                              : LineScope::CHUNK;
  conversion.wrap = options.given(WRAP_LETTER);
  conversion.record_end =
      options.given(LF_LINE_ENDS_LETTER) ? RecordEnd::LF : RecordEnd::CR_LF;
  return conversion;
}

/// How many names a mode needs at the least.
std::size_t names_needed(Mode mode) noexcept {
  switch (mode) {
  case Mode::TWO_NAMES:
    return 2;
  case Mode::BATCH:
    return 1;
  case Mode::STANDARD_OUTPUT:
    return 0;
  case Mode::SIZES:
    return 1;
  case Mode::ADDRESSES:
    return 2;
  case Mode::CALLS:
    return 1;
  }
  return 2;
}

/// Options -M, -j, -H, -r and -L.
void read_report_request(const Options& options, ReportRequest& request) noexcept {
  request.map_name =
      options.given(MAP_LETTER) ? options.option_values[MAP_LETTER] : nullptr;
  request.form = options.given(PAGE_LETTER)           ? ReportForm::PAGE
                 : options.given(PULL_REQUEST_LETTER) ? ReportForm::PULL_REQUEST
                 : options.given(JSON_LETTER)         ? ReportForm::JSON
                                                      : ReportForm::TEXT;
  request.limits =
      options.given(LIMITS_LETTER) ? options.option_values[LIMITS_LETTER] : nullptr;
}

/// True for a word that is one of the options -h lists.
bool is_option_word(std::string_view word) {
  constexpr std::string_view LETTERS = "mpdtwlfbcsagMjHrLhV";
  return word == "--help" || word == "--version" ||
         (word.size() >= 2 && word[0] == '-' &&
          LETTERS.find(word[1]) != std::string_view::npos);
}

/// The slips a command line can hold: an option after the file names, the
/// map's name apart from -M. Empty `what` when there is none.
void find_slip(const Options& options, Command& command) {
  if (!options.ended_by_dashes) {
    for (std::size_t index = 1; index < command.names.size(); ++index) {
      if (is_option_word(command.names[index])) {
        command.slip_what = "options go before the file names";
        command.slip_name = command.names[index];
        return;
      }
    }
  }
  const bool report = command.mode == Mode::SIZES || command.mode == Mode::ADDRESSES ||
                      command.mode == Mode::CALLS;
  if (report && command.report.map_name != nullptr && *command.report.map_name == '\0') {
    command.slip_what = "the map's name goes right after -M, with no space";
    command.slip_name =
        "-M" + std::string(command.names.empty() ? "<map>" : command.names[0]);
  }
}

} // namespace

Command read_command(std::span<const char* const> arguments) {
  const std::span<const char* const> after_name =
      arguments.empty() ? arguments : arguments.subspan(1);
  const Options options = read_options(after_name);
  Command command;
  command.names = after_name.subspan(options.count);
  if (options.given(ADDRESSES_LETTER)) {
    command.mode = Mode::ADDRESSES;
  } else if (options.given(CALLS_LETTER)) {
    command.mode = Mode::CALLS;
  } else if (options.given(SIZES_LETTER) || options.given(PAGE_LETTER) ||
             options.given(PULL_REQUEST_LETTER)) {
    command.mode = Mode::SIZES;
    command.report.top_lines =
        options.given(SIZES_LETTER)
            ? read_low_eight_bits(options.option_values[SIZES_LETTER],
                                  TOP_SOURCE_LINES_WITHOUT_NUMBER)
            : TOP_SOURCE_LINES_WITHOUT_NUMBER;
  } else if (options.given(STANDARD_OUTPUT_LETTER)) {
    command.mode = Mode::STANDARD_OUTPUT;
  } else if (options.given(BATCH_LETTER)) {
    command.mode = Mode::BATCH;
  }
  command.options = conversion_options(options);
  if (command.mode == Mode::SIZES || command.mode == Mode::ADDRESSES ||
      command.mode == Mode::CALLS) {
    command.options.line_scope = LineScope::WHOLE_LINE;
  }
  command.overwrite_listing = options.given(OVERWRITE_LISTING_LETTER);
  read_report_request(options, command.report);
  // Help and the version answer a command line that names too few files to
  // convert two names: under -c, one that names none.
  const std::size_t names_for_answer = command.mode == Mode::STANDARD_OUTPUT ? 1 : 2;
  find_slip(options, command);
  if (!command.slip_what.empty()) {
    command.request = Request::SLIP;
  } else if (command.names.size() == 1 && is_help_request(command.names[0])) {
    command.request = Request::HELP;
  } else if (options.asked != Request::USAGE && command.names.size() < names_for_answer) {
    command.request = options.asked;
  } else if (command.names.size() < names_needed(command.mode)) {
    command.request = Request::USAGE;
  } else {
    command.request = Request::CONVERSION;
  }
  return command;
}

} // namespace vadrimel
