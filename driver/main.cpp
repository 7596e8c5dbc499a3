#include <cstdio>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <vector>

#include "driver/program.h"
#include "system/messages.h"
#include "system/platform.h"

namespace {

int run(std::span<const char* const> arguments) {
  // Made before anything is printed, so that it can tell whether anything
  // was.
  const std::unique_ptr<vadrimel::Console> console =
      vadrimel::console_window_of_its_own();
  int status = 0;
  try {
    status = vadrimel::run_vadrimel(arguments, {stdin, stdout, stderr});
  } catch (const std::bad_alloc&) {
    // Only reading the command line can get here, before any stream but
    // standard output has a use.
    status = vadrimel::report_out_of_memory(stdout);
  }
  // A message that cannot be delivered does not change the status: it only
  // ever accompanies a failure.
  static_cast<void>(std::fflush(stdout));
  if (console) {
    vadrimel::keep_messages_on_screen(*console);
  }
  return status;
}

} // namespace

#ifdef _WIN32

int wmain(int argc, wchar_t** argv) {
  vadrimel::prepare_process();
  std::vector<std::string> utf8_arguments;
  std::vector<const char*> arguments;
  try {
    utf8_arguments = vadrimel::utf8_arguments(argc, argv);
    for (const std::string& argument : utf8_arguments) {
      arguments.push_back(argument.c_str());
    }
  } catch (const std::bad_alloc&) {
    return vadrimel::report_out_of_memory(stdout);
  }
  return run(arguments);
}

#else

int main(int argc, char** argv) {
  vadrimel::prepare_process();
  return run(std::span<const char* const>(argv, static_cast<std::size_t>(argc)));
}

#endif
