#include "system/report_output.h"

#include <array>
#include <cstddef>
#include <cstdlib>

#include "system/messages.h"
#include "system/platform.h"

namespace vadrimel {

namespace {

bool is_shown_as_caret(char byte) noexcept {
  const auto code = static_cast<unsigned char>(byte);
  return (code < 0x20 && byte != '\n' && byte != '\t') || code == 0x7f;
}

} // namespace

void ReportOutput::write_bytes(std::string_view bytes) noexcept {
  if (!failed_ && !bytes.empty()) {
    failed_ = std::fwrite(bytes.data(), 1, bytes.size(), output_) != bytes.size();
  }
}

void ReportOutput::write(std::string_view text) noexcept {
  if (controls_ == ControlCharacters::AS_THEY_ARE) {
    write_bytes(text);
    return;
  }
  std::size_t start = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (is_shown_as_caret(text[at])) {
      write_bytes(text.substr(start, at - start));
      const std::array<char, 2> caret = {'^', static_cast<char>(text[at] ^ 0x40)};
      write_bytes({caret.data(), caret.size()});
      start = at + 1;
    }
  }
  write_bytes(text.substr(start));
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
