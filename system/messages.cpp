#include "system/messages.h"

#include <array>
#include <cstdlib>

#include "system/platform.h"

namespace vadrimel {

int report_fatal(std::FILE* messages, std::string_view what, std::string_view name) {
  const std::array<std::string_view, 5> pieces = {"Fatal: ", what, ":", name, "\n"};
  for (const std::string_view piece : pieces) {
    write_message(messages, piece);
  }
  return EXIT_FAILURE;
}

int report_failure(std::FILE* messages, const Failure& failure) {
  return report_fatal(messages, failure.what, failure.name);
}

int report_out_of_memory(std::FILE* messages) noexcept {
  write_message(messages, "Fatal: not enough memory to convert\n");
  return EXIT_FAILURE;
}

} // namespace vadrimel
