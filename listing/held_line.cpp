#include "listing/held_line.h"

#include <cstring>

namespace vadrimel {

LineText HeldLine::chunk(std::size_t index) noexcept {
  const std::size_t start = index == 0 ? 0 : chunk_ends_[index - 1];
  return {buffer_.data() + start, chunk_ends_[index] - start};
}

bool HeldLine::append(std::string_view chunk) noexcept {
  if (chunks_++ >= MAX_HELD_CHUNKS) {
    return false;
  }
  if (!chunk.empty()) {
    std::memcpy(buffer_.data() + length_, chunk.data(), chunk.size());
  }
  length_ += chunk.size();
  chunk_ends_[chunks_ - 1] = static_cast<std::uint16_t>(length_);
  return true;
}

void HeldLine::clear() noexcept {
  length_ = 0;
  chunks_ = 0;
}

} // namespace vadrimel
