#include "listing/listing_table.h"

namespace vadrimel {

namespace {

constexpr std::uint64_t WORD_BYTES = 2;
/// What starts the records of a converted listing; no listing line starts so.
constexpr std::string_view SOURCE_PATH_RECORD = "FILE:";
constexpr std::string_view GENERATED = "Listing File Generated: ";

} // namespace

ListingTable::ListingTable() {
  // Held whole lines are the longest text a source line can have: the buffer
  // is taken once, so that reading allocates only for new files.
  text_.reserve(MAX_HELD_LINE_LENGTH);
  current_.path = NO_SOURCE_FILE;
}

void ListingTable::take_line(const ListingLine& line) {
  const std::string_view text = view_of(line.text);
  if (!line.path.empty()) {
    end_current_line();
    // Most lines are of the file of the line before.
    if (current_file_ == nullptr || line.path != current_.path) {
      auto file = files_.find(line.path);
      if (file == files_.end()) {
        file = files_.emplace(std::string(line.path), File{}).first;
      }
      current_file_ = &file->second;
      current_.path = file->first;
    }
    text_.assign(source_text(text));
    current_.number = ++current_file_->lines;
    current_.text = text_;
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
  } else if (text.starts_with(SOURCE_PATH_RECORD)) {
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
