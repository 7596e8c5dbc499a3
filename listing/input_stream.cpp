#include "listing/input_stream.h"

#include <cstring>

namespace vadrimel {

namespace {

const char* find(std::string_view text, char byte) noexcept {
  return static_cast<const char*>(std::memchr(text.data(), byte, text.size()));
}

std::size_t offset(std::string_view text, const char* at) noexcept {
  return static_cast<std::size_t>(at - text.data());
}

} // namespace

void InputStream::start(ByteSource& source) noexcept {
  source_ = &source;
  position_ = 0;
  filled_ = 0;
  next_zero_byte_ = 0;
  ended_ = false;
  read_failed_ = false;
}

bool InputStream::fill_if_empty() noexcept {
  if (position_ < filled_) {
    return true;
  }
  if (ended_) {
    return false;
  }
  position_ = 0;
  filled_ = source_->read(buffer_.bytes.data(), buffer_.bytes.size());
  if (filled_ == 0) {
    ended_ = true;
    read_failed_ = source_->failed();
  }
  // One search of the whole block spares every chunk a search of its own.
  const std::string_view block{buffer_.bytes.data(), filled_};
  const char* const zero = find(block, '\0');
  next_zero_byte_ = zero != nullptr ? offset(block, zero) : filled_;
  return filled_ != 0;
}

void InputStream::consume(std::size_t size) noexcept {
  position_ += size;
  if (next_zero_byte_ < position_) {
    passed_zero_byte_ = true;
    const std::string_view rest = unread();
    const char* const zero = find(rest, '\0');
    next_zero_byte_ = zero != nullptr ? position_ + offset(rest, zero) : filled_;
  }
}

} // namespace vadrimel
