#include "driver/source_lines.h"

#include <cstdlib>

#include "driver/file_streams.h"
#include "driver/messages.h"

#include "listing/build_noise_mask.h"
#include "listing/columns.h"
#include "listing/scan.h"

namespace vadrimel {

namespace {

constexpr std::uint64_t WORD_BYTES = 2;

/// The source text of a line whose path has been taken off.
std::string_view source_text(std::string_view text) {
  const std::size_t end = scan::after_last_non_space(text);
  if (end <= SOURCE_COLUMN) {
    return {};
  }
  text = text.substr(SOURCE_COLUMN, end - SOURCE_COLUMN);
  while (!text.empty() && (text.front() == SPACE || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  return text;
}

std::uint64_t hex_value(std::string_view digits) {
  std::uint64_t value = 0;
  for (const char digit : digits) {
    value = value * 16 + static_cast<std::uint64_t>(hex_digit_value(digit));
  }
  return value;
}

} // namespace

SourceLines::SourceLines() {
  // Held whole lines are the longest text a source line can have: the buffer
  // is taken once, so that reading allocates only for new files.
  text_.reserve(MAX_HELD_LINE_LENGTH);
  current_.path = NO_SOURCE_FILE;
}

void SourceLines::take_line(std::string_view text, std::string_view path) {
  if (!path.empty()) {
    end_current_line();
    // Most lines are of the file of the line before.
    if (current_file_ == nullptr || path != current_.path) {
      auto file = files_.find(path);
      if (file == files_.end()) {
        file = files_.emplace(std::string(path), File{}).first;
      }
      current_file_ = &file->second;
      current_.path = file->first;
    }
    text_.assign(source_text(text));
    current_.number = ++current_file_->lines;
    current_.text = text_;
  }
  if (starts_with_address_and_value(text)) {
    if (current_file_ == nullptr) {
      current_file_ = &files_[std::string(NO_SOURCE_FILE)];
    }
    current_file_->bytes += WORD_BYTES;
    current_bytes_ += WORD_BYTES;
    take_code(hex_value(text.substr(0, ADDRESS_DIGITS)), current_);
  }
}

void SourceLines::finish() {
  end_current_line();
}

void SourceLines::take_code(std::uint64_t /*address*/, const SourceLine& /*line*/) {}

void SourceLines::end_source_line(const SourceLine& /*line*/, std::uint64_t /*bytes*/) {}

void SourceLines::end_current_line() {
  if (current_bytes_ != 0) {
    end_source_line(current_, current_bytes_);
  }
  current_bytes_ = 0;
}

int read_source_lines(const std::string& name, ConversionRun& run, SourceLines& lines,
                      std::FILE* messages) {
  FileSource listing;
  if (!listing.open(name)) {
    return report_fatal(messages, "can't open file", name);
  }
  if (run.read(listing, lines).read_failed) {
    return report_fatal(messages, "can't read file", name);
  }
  lines.finish();
  return EXIT_SUCCESS;
}

} // namespace vadrimel
