#ifndef VADRIMEL_LISTING_INPUT_STREAM_H_
#define VADRIMEL_LISTING_INPUT_STREAM_H_

#include <array>
#include <cstddef>
#include <string_view>

#include "listing/line_text.h"
#include "system/byte_stream.h"

namespace vadrimel {

/// One chunk of a listing line, without its line end. Up to MAX_CHUNK_LENGTH
/// bytes are taken from the input for it (zero bytes count), every CR
/// dropped; its `text` is those bytes up to the first zero byte, which ends
/// a chunk as text. Most chunks are shown in place in the input buffer; the
/// others are gathered into `storage`. Either way `text` is valid until the
/// next chunk is fetched.
struct LineChunk {
  LineText text;
  std::array<char, MAX_CHUNK_LENGTH> storage{};
};

/// The listing input: a fixed buffer over a byte source. Chunks are cut out of
/// the buffer directly, so the source is read in large blocks, never a byte at
/// a time.
class InputStream {
public:
  static constexpr std::size_t BUFFER_SIZE = IO_BUFFER_SIZE;

  /// Starts reading `source` from its beginning, as a fresh stream would.
  void start(ByteSource& source) noexcept;

  /// True once the source reported a read error; the chunks delivered before
  /// it stay valid, and the reader then behaves as at the end of the input.
  [[nodiscard]] bool read_failed() const noexcept { return read_failed_; }

private:
  friend int fetch_line_chunk(LineChunk& line_buffer, InputStream& input_stream);

  /// Makes sure unread bytes are buffered; false at the end of the input.
  bool fill_if_empty() noexcept;
  [[nodiscard]] std::string_view unread() const noexcept {
    return {buffer_.bytes.data() + position_, filled_ - position_};
  }
  /// The first `size` unread bytes, as a chunk's text.
  [[nodiscard]] LineText unread_text(std::size_t size) noexcept {
    return {buffer_.bytes.data() + position_, size};
  }
  /// Moves past `size` unread bytes, noting whether a zero byte was among them.
  void consume(std::size_t size) noexcept;
  /// Copies the next chunk into the chunk's storage, CRs left out, across as
  /// many refills as it takes; returns its result code.
  int gather_chunk(LineChunk& line_buffer) noexcept;

  ByteSource* source_ = nullptr;
  IoBuffer buffer_;
  std::size_t position_ = 0;
  std::size_t filled_ = 0;
  /// Where the next zero byte stands in the buffer; `filled_` when none does.
  std::size_t next_zero_byte_ = 0;
  /// True when the chunk being fetched took a zero byte from the input.
  bool passed_zero_byte_ = false;
  bool ended_ = false;
  bool read_failed_ = false;
};

} // namespace vadrimel

#endif // VADRIMEL_LISTING_INPUT_STREAM_H_
