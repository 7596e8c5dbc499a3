#include "listing/wrapping.h"

#include <cstring>
#include <span>

#include "listing/columns.h"

namespace vadrimel {

namespace {

/// The narrowest `max_length` whose continuations are indented.
constexpr std::size_t NARROWEST_INDENTED = SOURCE_COLUMN + 8;
/// The first record never breaks before this: the address, value and
/// disassembly columns and the source's first character stay on it.
constexpr std::size_t FIRST_BREAK = SOURCE_COLUMN + 1;
/// The least room a continuation indented as its source is has.
constexpr std::size_t LEAST_INDENTED_ROOM = 20;

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

WordWrap::WordWrap(std::string_view text, std::uint8_t tab_size,
                   std::uint8_t max_length) noexcept
    : expanding_(tab_size != 0), rest_(text), expansion_(text, tab_size),
      first_width_(max_length),
      indent_(max_length < NARROWEST_INDENTED ? 0 : SOURCE_COLUMN),
      width_(max_length - indent_) {}

bool WordWrap::next(WrappedRecord& record) noexcept {
  drop(written_);
  written_ = 0;
  if (!first_) {
    // The text after a break loses its leading spaces.
    for (std::string_view start = window(1); !start.empty() && start[0] == SPACE;
         start = window(1)) {
      drop(1);
    }
    if (window(1).empty()) {
      return false;
    }
  }
  const std::size_t width = first_ ? first_width_ : width_;
  const std::string_view text = window(width + 1);
  if (first_ && indent_ != 0) {
    // Continuations line up with the source's own indentation.
    std::size_t start = SOURCE_COLUMN;
    while (start < text.size() && text[start] == SPACE) {
      ++start;
    }
    if (start < text.size() && first_width_ - start >= LEAST_INDENTED_ROOM) {
      indent_ = start;
      width_ = first_width_ - start;
    }
  }
  const std::size_t end = record_end(text, width, first_ ? FIRST_BREAK : 1);
  const std::size_t last = text.substr(0, end).find_last_not_of(SPACE);
  record = {.indent = first_ ? 0 : indent_,
            .text = text.substr(0, last == std::string_view::npos ? 0 : last + 1),
            .marked = !first_ && indent_ != 0};
  written_ = end;
  first_ = false;
  return true;
}

std::string_view WordWrap::window(std::size_t size) noexcept {
  if (!expanding_) {
    return rest_.substr(0, size);
  }
  if (buffered_ < size) {
    buffered_ += expansion_.fill(std::span(buffer_).subspan(buffered_, size - buffered_));
  }
  return {buffer_.data(), std::min(size, buffered_)};
}

void WordWrap::drop(std::size_t count) noexcept {
  if (!expanding_) {
    rest_.remove_prefix(count);
    return;
  }
  std::memmove(buffer_.data(), buffer_.data() + count, buffered_ - count);
  buffered_ -= count;
}

} // namespace vadrimel
