#include <cstdio>
#include <span>

#include "driver/conversion_run.h"
#include "driver/file_streams.h"

int main(int argc, char** argv) {
  vadrimel::use_binary_standard_output();
  const std::span<const char* const> arguments(argv, static_cast<std::size_t>(argc));
  const int status = vadrimel::run_vadrimel(arguments, stdout);
  // A message that cannot be delivered does not change the status: it only
  // ever accompanies a failure.
  static_cast<void>(std::fflush(stdout));
  return status;
}
