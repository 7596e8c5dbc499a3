#include "driver/command_line.h"

#include <cstdlib>
#include <string>
#include <string_view>

#include "driver/platform.h"

namespace vadrimel {

namespace {

constexpr unsigned char MAX_LENGTH_LETTER = 'm';
constexpr unsigned char WHOLE_LINE_PATHS_LETTER = 'p';
constexpr unsigned char OVERWRITE_LISTING_LETTER = 'f';
constexpr unsigned char BATCH_LETTER = 'b';
constexpr unsigned char MASK_BUILD_NOISE_LETTER = 'd';
constexpr unsigned char STANDARD_OUTPUT_LETTER = 'c';
constexpr unsigned char LF_LINE_ENDS_LETTER = 'l';
constexpr unsigned char TAB_SIZE_LETTER = 't';
constexpr unsigned char WRAP_LETTER = 'w';
constexpr std::uint8_t MAX_LENGTH_WITHOUT_NUMBER = 80;
constexpr std::uint8_t TAB_SIZE_WITHOUT_NUMBER = 8;

constexpr const char* USAGE_TEXT = " ===== MPLINK .LST format converter =====\n"
                                   "Usage:\n"
                                   "$ vadrimel [-m80] infile.lst outfile.txt\n"
                                   "\n"
                                   "Option:\n"
                                   "  -m<MAXLENGTH>   set line max length\n"
                                   "\n";

constexpr const char* HELP_TEXT =
    "vadrimel " VADRIMEL_VERSION ": turns an MPLINK linker listing (.LST) into plain\n"
    "text with CR LF line ends.\n"
    "\n"
    "Usage:\n"
    "$ vadrimel [options] infile.lst outfile.txt\n"
    "$ vadrimel -b [options] listing.lst...\n"
    "$ vadrimel -c [options] [listing.lst...]\n"
    "\n"
    "Options:\n"
    "  -m<MAXLENGTH>   cut every line to MAXLENGTH characters (80 without a number)\n"
    "  -p              find source paths on whole lines: paths with spaces, and\n"
    "                  padding lines become empty\n"
    "  -d              ready to diff two builds: -p, with the build's date, the\n"
    "                  address and value columns and branch targets masked\n"
    "  -t<N>           tabs become spaces, up to stops every N columns of the\n"
    "                  source text (8 without a number)\n"
    "  -w              wrap lines longer than MAXLENGTH instead of cutting them\n"
    "  -l              end lines in LF alone instead of CR LF\n"
    "  -f              overwrite an output file that is an existing listing (.lst)\n"
    "  -b              convert every listing named into a .txt file beside it\n"
    "  -c              write to standard output, reading standard input when no\n"
    "                  listing is named; messages go to standard error\n"
    "  -h, --help      show this help\n"
    "  -V, --version   show the version\n"
    "\n"
    "Exit status: 0 when every listing was converted; 1 after the usage text or\n"
    "a message that says what failed.\n"
    "\n"
    "More in the manual: ";

constexpr const char* VERSION_TEXT = "vadrimel " VADRIMEL_VERSION "\n";

bool is_option(const char* argument) noexcept {
  return argument[0] == '-';
}

/// The slot of an option: the low seven bits of its letter's code. A lone "-"
/// has the terminating zero byte as its letter and so lands in slot 0.
std::size_t option_slot(const char* argument) noexcept {
  return static_cast<unsigned char>(argument[1]) & 0x7FU;
}

/// The text after the option letter; empty for a lone "-", which has no
/// letter to skip.
const char* option_value(const char* argument) noexcept {
  return argument[1] == '\0' ? argument + 1 : argument + 2;
}

/// Stores the options in front of the file names; returns how many arguments
/// (after the program's name) they took.
std::size_t read_options(std::span<const char* const> arguments,
                         OptionTable& option_values) noexcept {
  std::size_t taken = 0;
  while (taken < arguments.size() && is_option(arguments[taken])) {
    option_values[option_slot(arguments[taken])] = option_value(arguments[taken]);
    ++taken;
  }
  return taken;
}

/// White space as the C library's "%d" conversion skips it.
bool is_white_space(char character) noexcept {
  return character == ' ' || (character >= '\t' && character <= '\r');
}

bool is_digit(char character) noexcept {
  return character >= '0' && character <= '9';
}

} // namespace

namespace {

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

enum class Answer { USAGE, HELP, VERSION };

/// What `answer_short_command_line` gives: the help for an option that is
/// exactly -h or --help, or for a lone name that asks for it as "/?" does on
/// Windows; the version for -V or --version; the last of them counting.
Answer asked_answer(std::span<const char* const> arguments) noexcept {
  Answer answer = Answer::USAGE;
  const std::span<const char* const> after_name =
      arguments.empty() ? arguments : arguments.subspan(1);
  std::size_t options = 0;
  for (; options < after_name.size() && is_option(after_name[options]); ++options) {
    const std::string_view option = after_name[options];
    if (option == "-h" || option == "--help") {
      answer = Answer::HELP;
    } else if (option == "-V" || option == "--version") {
      answer = Answer::VERSION;
    }
  }
  if (after_name.size() == options + 1 && is_help_request(after_name[options])) {
    answer = Answer::HELP;
  }
  return answer;
}

} // namespace

std::uint8_t read_max_length(const char* text) noexcept {
  return read_low_eight_bits(text, MAX_LENGTH_WITHOUT_NUMBER);
}

std::uint8_t read_tab_size(const char* text) noexcept {
  const std::uint8_t size = read_low_eight_bits(text, TAB_SIZE_WITHOUT_NUMBER);
  return size == 0 ? TAB_SIZE_WITHOUT_NUMBER : size;
}

std::optional<Settings> read_command_line(std::span<const char* const> arguments) {
  OptionTable option_values{};
  const std::span<const char* const> after_name =
      arguments.empty() ? arguments : arguments.subspan(1);
  const std::size_t options = read_options(after_name, option_values);
  const std::span<const char* const> file_names = after_name.subspan(options);
  const auto given = [&option_values](unsigned char letter) {
    return option_values[letter] != nullptr;
  };
  if (file_names.size() == 1 && is_help_request(file_names[0])) {
    return std::nullopt;
  }
  Settings settings;
  settings.to_standard_output = given(STANDARD_OUTPUT_LETTER);
  settings.batch = given(BATCH_LETTER) && !settings.to_standard_output;
  if (settings.to_standard_output) {
    if (file_names.empty() && asked_answer(arguments) != Answer::USAGE) {
      return std::nullopt;
    }
    settings.listings = file_names;
  } else if (settings.batch) {
    if (file_names.empty()) {
      return std::nullopt;
    }
    settings.listings = file_names;
  } else {
    if (file_names.size() < 2) {
      return std::nullopt;
    }
    settings.input_path = file_names[0];
    settings.output_path = file_names[1];
  }
  if (given(MAX_LENGTH_LETTER)) {
    settings.max_length = read_max_length(option_values[MAX_LENGTH_LETTER]);
  }
  if (given(TAB_SIZE_LETTER)) {
    settings.tab_size = read_tab_size(option_values[TAB_SIZE_LETTER]);
  }
  settings.mask_build_noise = given(MASK_BUILD_NOISE_LETTER);
  settings.whole_line_paths = given(WHOLE_LINE_PATHS_LETTER) || settings.mask_build_noise;
  settings.overwrite_listing = given(OVERWRITE_LISTING_LETTER);
  settings.lf_line_ends = given(LF_LINE_ENDS_LETTER);
  settings.wrap = given(WRAP_LETTER);
  return settings;
}

int show_usage(std::FILE* messages) noexcept {
  static_cast<void>(std::fputs(USAGE_TEXT, messages));
  return EXIT_FAILURE;
}

int answer_short_command_line(std::span<const char* const> arguments,
                              std::FILE* messages) {
  const Answer answer = asked_answer(arguments);
  if (answer == Answer::USAGE) {
    return show_usage(messages);
  }
  const std::string text = answer == Answer::VERSION
                               ? std::string(VERSION_TEXT)
                               : HELP_TEXT + manual_reference() + "\n";
  // The help and the version are the command's output: a failure to deliver
  // them is the command's failure.
  const bool written = std::fputs(text.c_str(), messages) >= 0;
  return written && std::fflush(messages) == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}

void keep_messages_on_screen(Console& console) {
  if (console.input_is_console() && console.printed_since_start()) {
    console.say("Press any key to close this window.\n");
    console.wait_for_key();
  }
}

} // namespace vadrimel
