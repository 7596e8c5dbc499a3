#include "listing/wrapping.h"

#include <algorithm>
#include <cstring>

#include "listing/columns.h"

namespace vadrimel {

namespace {

/// The narrowest `max_length` whose continuations are indented.
constexpr std::size_t NARROWEST_INDENTED = SOURCE_COLUMN + 8;
/// The first record never breaks before this: the address, value and
/// disassembly columns and the source's first character stay on it.
constexpr std::size_t FIRST_BREAK = SOURCE_COLUMN + 1;

/// Where a record of at most `width` characters of `text` ends: at `width`
/// when the text ends by then or a space stands there; else before the last
/// word that starts within the record, no earlier than `lowest`; else at
/// `width`.
std::size_t record_end(std::string_view text, std::size_t width,
                       std::size_t lowest) noexcept {
  if (text.size() <= width) {
    return text.size();
  }
  if (text[width] == SPACE) {
    return width;
  }
  for (std::size_t at = width; at >= lowest && at > 0; --at) {
    if (text[at - 1] == SPACE && text[at] != SPACE) {
      return at;
    }
  }
  return width;
}

} // namespace

WordWrap::WordWrap(TabExpansion& text, std::uint8_t max_length) noexcept
    : text_(text), first_width_(max_length),
      indent_(max_length < NARROWEST_INDENTED ? 0 : SOURCE_COLUMN),
      width_(max_length - indent_) {}

bool WordWrap::next(WrappedRecord& record) noexcept {
  drop(written_);
  written_ = 0;
  const std::size_t width = first_ ? first_width_ : width_;
  if (!first_) {
    // The text after a break loses its leading spaces.
    fill(1);
    while (window_size_ != 0 && window_[0] == SPACE) {
      const auto spaces = static_cast<std::size_t>(
          std::find_if(window_.begin(), window_.begin() + window_size_,
                       [](char character) { return character != SPACE; }) -
          window_.begin());
      drop(spaces);
      fill(1);
    }
    if (window_size_ == 0) {
      return false;
    }
  }
  fill(width + 1);
  const std::string_view window(window_.data(), window_size_);
  const std::size_t end = record_end(window, width, first_ ? FIRST_BREAK : 1);
  const std::size_t last = window.substr(0, end).find_last_not_of(SPACE);
  record = {.indent = first_ ? 0 : indent_,
            .text = window.substr(0, last == std::string_view::npos ? 0 : last + 1)};
  // The record's text stays in the window until the next call.
  written_ = end;
  first_ = false;
  return true;
}

void WordWrap::fill(std::size_t size) noexcept {
  while (window_size_ < size && !text_.done()) {
    const std::string_view run = text_.next(size - window_size_);
    std::memcpy(window_.data() + window_size_, run.data(), run.size());
    window_size_ += run.size();
  }
}

void WordWrap::drop(std::size_t count) noexcept {
  std::memmove(window_.data(), window_.data() + count, window_size_ - count);
  window_size_ -= count;
}

} // namespace vadrimel
