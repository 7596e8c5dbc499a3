#include "system/report_output.h"

#include <cstdlib>

#include "system/messages.h"
#include "system/platform.h"

namespace vadrimel {

void ReportOutput::write(std::string_view text) noexcept {
  if (!failed_ && !text.empty()) {
    failed_ = std::fwrite(text.data(), 1, text.size(), output_) != text.size();
  }
}

int ReportOutput::finish(std::FILE* messages) noexcept {
  failed_ = failed_ || std::fflush(output_) != 0;
  if (!failed_) {
    return EXIT_SUCCESS;
  }
  // A reader that has gone, as `head` does, has all it wanted.
  if (reader_has_left()) {
    return EXIT_FAILURE;
  }
  return report_fatal(messages, "can't write file", "(standard output)");
}

} // namespace vadrimel
