#include "driver/messages.h"

#include <array>
#include <cstdlib>

#include "driver/platform.h"

namespace vadrimel {

int report_fatal(std::FILE* messages, std::string_view what, std::string_view name) {
  const std::array<std::string_view, 5> pieces = {"Fatal: ", what, ":", name, "\n"};
  for (const std::string_view piece : pieces) {
    write_message(messages, piece);
  }
  return EXIT_FAILURE;
}

int report_outcome(const ConversionResult& result, std::string_view input_name,
                   std::string_view output_name, std::FILE* messages) {
  if (result.write_failed) {
    return report_fatal(messages, "can't write file", output_name);
  }
  if (result.read_failed) {
    return report_fatal(messages, "can't read file", input_name);
  }
  return EXIT_SUCCESS;
}

int report_out_of_memory(std::FILE* messages) noexcept {
  write_message(messages, "Fatal: not enough memory to convert\n");
  return EXIT_FAILURE;
}

} // namespace vadrimel
