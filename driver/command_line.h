#ifndef VADRIMEL_DRIVER_COMMAND_LINE_H_
#define VADRIMEL_DRIVER_COMMAND_LINE_H_

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "driver/platform.h"

namespace vadrimel {

/// What the command line asks for.
struct Settings {
  /// 0 to 31: lines are not cut.
  std::uint8_t max_length = 0;
  std::string input_path;
  std::string output_path;
  /// Option -p: source paths are looked for on whole lines.
  bool whole_line_paths = false;
  /// Option -f: an output file that is an existing listing may be overwritten.
  bool overwrite_listing = false;
  /// Option -b: every name after the options is a listing, to be converted
  /// into a file beside it; `input_path` and `output_path` are then empty.
  bool batch = false;
  /// With -b or -c, the listings: the command line's own arguments.
  std::span<const char* const> listings{};
  /// Option -d: the build's noise is masked; implies -p.
  bool mask_build_noise = false;
  /// Option -c: the listings are converted to standard output, standard input
  /// when none is named; `input_path` and `output_path` are then empty.
  bool to_standard_output = false;
  /// Option -l: records end in LF alone.
  bool lf_line_ends = false;
  /// Option -t: tabs become spaces up to tab stops this far apart; 0 when
  /// tabs are kept.
  std::uint8_t tab_size = 0;
  /// Option -w: lines longer than `max_length` are wrapped, not cut.
  bool wrap = false;
};

/// For each option letter, by the low seven bits of its code, the text after
/// the letter of the last option given with it; null when none was given.
using OptionTable = std::array<const char*, 128>;

/// Reads the options in front of the file names and the two file names (with
/// -b or -c, the listings) from `arguments` (the program's name first). Empty
/// when fewer than two file names (with -b, none) follow the options, or
/// when -c comes with no name and an option that asks for help or the
/// version: `answer_short_command_line` is then due.
std::optional<Settings> read_command_line(std::span<const char* const> arguments);

/// The value of a "-m" option: optional white space and sign, then decimal
/// digits, the rest ignored; 80 when no digits follow. The low 8 bits of the
/// number as written, however large, two's complement when negative.
std::uint8_t read_max_length(const char* text) noexcept;

/// The value of a "-t" option, read as "-m" reads its number; 8 when no
/// digits follow or the low 8 bits are 0.
std::uint8_t read_tab_size(const char* text) noexcept;

/// Writes the usage text to `messages` and returns the exit status that goes
/// with it.
int show_usage(std::FILE* messages) noexcept;

/// Answers a command line with fewer than two file names: the help text for
/// an option that is exactly -h or --help (on Windows also for a lone "/?"),
/// the version for -V or --version (the last of them counts), else the usage
/// text. Returns the exit status.
int answer_short_command_line(std::span<const char* const> arguments,
                              std::FILE* messages);

/// Keeps what the program printed in a console window of its own on the
/// screen: says so and waits for a key, when standard input is that console.
/// Does nothing when nothing was printed.
void keep_messages_on_screen(Console& console);

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_COMMAND_LINE_H_
