#include "listing/listing_table.h"

#include <algorithm>
#include <cstring>

#include "listing/columns.h"
#include "listing/scan.h"

namespace vadrimel {

namespace {

constexpr std::uint64_t WORD_BYTES = 2;
/// What starts the records of a converted listing; no listing line starts so.
constexpr std::string_view SOURCE_PATH_RECORD = "FILE:";
constexpr std::string_view GENERATED = "Listing File Generated: ";

} // namespace

std::string_view ListingTable::SourceLine::text() const noexcept {
  std::string_view trimmed = raw_text.substr(0, scan::after_last_non_space(raw_text));
  while (!trimmed.empty() && (trimmed.front() == SPACE || trimmed.front() == '\t')) {
    trimmed.remove_prefix(1);
  }
  return trimmed;
}

ListingTable::ListingTable(SourceText source_text)
    : keeps_text_(source_text == SourceText::KEPT) {
  // Held whole lines are the longest text a source line can have: the buffer
  // is taken once, so that reading allocates only for new files.
  if (keeps_text_) {
    text_ = std::make_unique<std::array<char, MAX_HELD_LINE_LENGTH>>();
  }
  current_.path = NO_SOURCE_FILE;
}

void ListingTable::keep_source_text() {
  if (!keeps_text_) {
    keeps_text_ = true;
    text_ = std::make_unique<std::array<char, MAX_HELD_LINE_LENGTH>>();
  }
}

void ListingTable::take_line(const ListingLine& line) {
  const std::string_view text = view_of(line.text);
  if (!line.path.empty()) {
    end_current_line();
    // Most lines are of the file of the line before: their path is not new.
    if (current_file_ == nullptr || line.new_path) {
      auto file = files_.find(line.path);
      if (file == files_.end()) {
        file = files_.emplace(std::string(line.path), File{}).first;
      }
      current_file_ = &file->second;
      current_.path = file->first;
    }
    if (keeps_text_) {
      const std::size_t from = std::min(text.size(), SOURCE_COLUMN);
      std::memcpy(text_->data(), text.data() + from, text.size() - from);
      current_.raw_text = {text_->data(), text.size() - from};
    }
    current_.number = ++current_file_->lines;
  }
  const std::optional<CodeRow> row = read_code_row(text);
  if (row) {
    code_seen_ = true;
    if (current_file_ == nullptr) {
      current_file_ = &files_[std::string(NO_SOURCE_FILE)];
    }
    current_file_->bytes += WORD_BYTES;
    current_bytes_ += WORD_BYTES;
    take_code(*row, current_);
  } else if (!code_seen_ && !header_seen_ && is_listing_header(text)) {
    header_seen_ = true;
  } else if (!text.empty() && text.front() == SOURCE_PATH_RECORD.front() &&
             text.starts_with(SOURCE_PATH_RECORD)) {
    converted_ = true;
  } else if (!code_seen_ && generated_.empty() && text.starts_with(GENERATED)) {
    std::string_view date = text.substr(GENERATED.size());
    while (!date.empty() && (date.back() == ' ' || date.back() == '\t')) {
      date.remove_suffix(1);
    }
    generated_.assign(date);
  }
}

void ListingTable::finish() {
  end_current_line();
}

void ListingTable::take_code(const CodeRow& /*row*/, const SourceLine& /*line*/) {}

void ListingTable::end_source_line(const SourceLine& /*line*/, std::uint64_t /*bytes*/) {}

void ListingTable::end_current_line() {
  if (current_bytes_ != 0) {
    end_source_line(current_, current_bytes_);
  }
  current_bytes_ = 0;
}

} // namespace vadrimel
