#include "driver/report_outcome.h"

#include <cstdlib>

#include "system/messages.h"

namespace vadrimel {

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

} // namespace vadrimel
