#include "listing/line_reader.h"

#include <algorithm>
#include <cstring>

namespace vadrimel {

namespace {

const char* find(std::string_view text, char byte) noexcept {
  return static_cast<const char*>(std::memchr(text.data(), byte, text.size()));
}

std::size_t offset(std::string_view text, const char* at) noexcept {
  return static_cast<std::size_t>(at - text.data());
}

/// Appends `bytes` to the chunk's storage, leaving out every CR.
void append_without_cr(LineChunk& chunk, std::size_t& length, std::string_view bytes) {
  while (!bytes.empty()) {
    const char* const cr = find(bytes, '\r');
    const std::size_t run = cr != nullptr ? offset(bytes, cr) : bytes.size();
    std::memcpy(chunk.storage.data() + length, bytes.data(), run);
    length += run;
    bytes.remove_prefix(cr != nullptr ? run + 1 : run);
  }
}

/// The common case, handled without copying: the chunk lies whole in the
/// buffer and holds no CR but one right before its line feed, and its text is
/// the first `text_size` unread bytes. Returns CHUNK_END_OF_FILE, which this
/// path never delivers, when it cannot serve.
int fetch_chunk_in_place(std::string_view unread, std::size_t& text_size,
                         std::size_t& consumed) noexcept {
  const std::string_view window = unread.substr(0, MAX_CHUNK_LENGTH);
  const char* const line_feed = find(window, '\n');
  if (line_feed == nullptr && window.size() < MAX_CHUNK_LENGTH) {
    return CHUNK_END_OF_FILE; // the chunk goes on in the next block
  }
  std::string_view text =
      window.substr(0, line_feed != nullptr ? offset(window, line_feed) : window.size());
  const char* const cr = find(text, '\r');
  if (cr != nullptr && (line_feed == nullptr || cr != line_feed - 1)) {
    return CHUNK_END_OF_FILE;
  }
  consumed = text.size() + (line_feed != nullptr ? 1 : 0);
  if (cr != nullptr) {
    text.remove_suffix(1);
  }
  text_size = text.size();
  return line_feed != nullptr ? CHUNK_LINE_END : CHUNK_SPLIT;
}

} // namespace

int fetch_line_chunk(LineChunk& line_buffer, InputStream& input_stream) {
  line_buffer.text = {};
  input_stream.passed_zero_byte_ = false;
  if (!input_stream.fill_if_empty()) {
    return CHUNK_END_OF_FILE;
  }
  std::size_t text_size = 0;
  std::size_t consumed = 0;
  int result = fetch_chunk_in_place(input_stream.unread(), text_size, consumed);
  if (result == CHUNK_END_OF_FILE) {
    result = input_stream.gather_chunk(line_buffer);
  } else {
    line_buffer.text = input_stream.unread_text(text_size);
    input_stream.consume(consumed);
  }
  // The one place where a zero byte ends a chunk's text.
  if (input_stream.passed_zero_byte_) {
    line_buffer.text = line_buffer.text.first(
        std::min(view_of(line_buffer.text).find('\0'), line_buffer.text.size()));
  }
  return result;
}

int InputStream::gather_chunk(LineChunk& line_buffer) noexcept {
  std::size_t length = 0;
  do {
    // Look no further than the chunk can still take: CRs only make the
    // stored text shorter, so a line feed beyond this window could not end
    // this chunk anyway, and the bytes after it must stay unread.
    const std::string_view window = unread().substr(0, MAX_CHUNK_LENGTH - length);
    const char* const line_feed = find(window, '\n');
    const std::size_t text_size =
        line_feed != nullptr ? offset(window, line_feed) : window.size();
    append_without_cr(line_buffer, length, window.substr(0, text_size));
    consume(text_size + (line_feed != nullptr ? 1 : 0));
    line_buffer.text = {line_buffer.storage.data(), length};
    if (line_feed != nullptr) {
      return CHUNK_LINE_END;
    }
    if (length == MAX_CHUNK_LENGTH) {
      return CHUNK_SPLIT;
    }
  } while (fill_if_empty());
  return CHUNK_END_OF_FILE;
}

} // namespace vadrimel
