#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "driver/conversion_run.h"
#include "driver/file_streams.h"

#ifdef _WIN32
#include <cwchar>

#include "driver/file_names.h"
#endif

namespace {

int run(std::span<const char* const> arguments) {
  vadrimel::use_binary_standard_output();
  const int status = vadrimel::run_vadrimel(arguments, stdout);
  // A message that cannot be delivered does not change the status: it only
  // ever accompanies a failure.
  static_cast<void>(std::fflush(stdout));
  return status;
}

} // namespace

#ifdef _WIN32

// The command line as Windows keeps it, UTF-16, so that no name is lost to the
// system's code page; inside the program names are UTF-8.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> utf8_arguments;
  for (int index = 0; index < argc; ++index) {
    const wchar_t* const argument = argv[index];
    utf8_arguments.push_back(vadrimel::utf16_to_utf8(
        std::u16string(argument, argument + std::wcslen(argument))));
  }
  std::vector<const char*> arguments;
  for (const std::string& argument : utf8_arguments) {
    arguments.push_back(argument.c_str());
  }
  return run(arguments);
}

#else

int main(int argc, char** argv) {
  return run(std::span<const char* const>(argv, static_cast<std::size_t>(argc)));
}

#endif
