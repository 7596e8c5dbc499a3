#ifndef VADRIMEL_DRIVER_PROGRAM_H_
#define VADRIMEL_DRIVER_PROGRAM_H_

#include <cstdio>
#include <span>

#include "system/platform.h"

namespace vadrimel {

/// The program's standard streams: in the program stdin, stdout and stderr.
struct StandardStreams {
  std::FILE* input;
  std::FILE* output;
  std::FILE* errors;
};

/// The whole program: `arguments` as main receives them, the program's name
/// first. Returns the exit status. The usage text, the help and the messages
/// go to standard output; under -c, whose standard output is the conversion,
/// the messages go to standard error.
int run_vadrimel(std::span<const char* const> arguments, const StandardStreams& streams);

/// Keeps what the program printed in a console window of its own on the
/// screen: says so and waits for a key, when the console has a window and
/// standard input is that console. Does nothing when nothing was printed.
void keep_messages_on_screen(Console& console);

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_PROGRAM_H_
