#include "listing/line_reader.h"

#include <algorithm>
#include <cstring>

namespace vadrimel {

namespace {

/// Appends `size` bytes to the chunk, leaving out every CR.
void append_without_cr(LineChunk& chunk, const char* bytes, std::size_t size) {
  const char* const end = bytes + size;
  while (bytes != end) {
    const auto* cr = static_cast<const char*>(
        std::memchr(bytes, '\r', static_cast<std::size_t>(end - bytes)));
    const char* const stop = cr != nullptr ? cr : end;
    const auto run = static_cast<std::size_t>(stop - bytes);
    std::memcpy(chunk.text.data() + chunk.length, bytes, run);
    chunk.length += run;
    bytes = cr != nullptr ? cr + 1 : end;
  }
}

} // namespace

bool InputStream::fill_if_empty() noexcept {
  if (position_ < filled_) {
    return true;
  }
  if (ended_) {
    return false;
  }
  position_ = 0;
  filled_ = source_->read(buffer_.data(), buffer_.size());
  if (filled_ == 0) {
    ended_ = true;
    read_failed_ = source_->failed();
  }
  return filled_ != 0;
}

int fetch_line_chunk(LineChunk& line_buffer, InputStream& input_stream) {
  line_buffer.length = 0;
  while (input_stream.fill_if_empty()) {
    // Look no further than the chunk can still take: CRs only make the
    // stored text shorter, so a line feed beyond this window could not end
    // this chunk anyway, and the bytes after it must stay unread.
    const char* const window = input_stream.buffer_.data() + input_stream.position_;
    const std::size_t room = MAX_CHUNK_LENGTH - line_buffer.length;
    const std::size_t window_size =
        std::min(room, input_stream.filled_ - input_stream.position_);
    const auto* line_feed =
        static_cast<const char*>(std::memchr(window, '\n', window_size));
    const std::size_t text_size =
        line_feed != nullptr ? static_cast<std::size_t>(line_feed - window) : window_size;
    append_without_cr(line_buffer, window, text_size);
    input_stream.position_ += text_size;
    if (line_feed != nullptr) {
      ++input_stream.position_;
      return CHUNK_LINE_END;
    }
    if (line_buffer.length == MAX_CHUNK_LENGTH) {
      return CHUNK_SPLIT;
    }
  }
  return CHUNK_END_OF_FILE;
}

} // namespace vadrimel
