#ifndef VADRIMEL_DRIVER_COMMAND_LINE_H_
#define VADRIMEL_DRIVER_COMMAND_LINE_H_

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

#include "driver/conversion_options.h"
#include "driver/report_request.h"

namespace vadrimel {

/// What the command line asks the program to do.
enum class Request {
  CONVERSION,
  USAGE,
  HELP,
  VERSION,
  /// A slip that gets its message (`Command::slip`) and status 1: nothing is
  /// read or written.
  SLIP,
};

/// Where the listings' names come from and where their conversions go.
enum class Mode {
  /// An input and an output name; further names are ignored.
  TWO_NAMES,
  /// Option -b: every name is a listing, converted into a file beside it.
  BATCH,
  /// Option -c: every name is a listing, converted to standard output;
  /// standard input when none is named.
  STANDARD_OUTPUT,
  /// Option -s: the size of the code of a listing's source files and lines,
  /// or of two builds compared, to standard output.
  SIZES,
  /// Option -a: addresses looked up in a listing (the first name), to
  /// standard output.
  ADDRESSES,
  /// Option -g: the calls of a listing's code and the depth of the return
  /// stack, to standard output.
  CALLS,
};

/// The command line, read once.
struct Command {
  Request request = Request::USAGE;
  Mode mode = Mode::TWO_NAMES;
  ConversionOptions options;
  /// Option -f: an output file that is an existing listing may be overwritten.
  bool overwrite_listing = false;
  /// Options -s, -M and -j: what the reports are asked.
  ReportRequest report;
  /// The arguments after the options, a view of the command line's own.
  std::span<const char* const> names;
  /// With Request::SLIP: what went wrong and what to type, for the message
  /// "Fatal: <what>:<name>".
  std::string slip_what;
  std::string slip_name;
};

/// Reads `arguments` (the program's name first): the options in front of the
/// names, each by the low seven bits of its letter, the last of a letter
/// counting; then the names. Of the modes, -a counts before -s, -s before -c
/// and -c before -b; the reports read whole lines, as -p does. Help (-h, --help, or on
/// Windows a lone "/?") and the version (-V, --version; the last of these counting) are
/// answered when fewer than two names follow (with -c, none); a command line with fewer
/// names than its mode needs gets the usage text.
Command read_command(std::span<const char* const> arguments);

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_COMMAND_LINE_H_
