#ifndef VADRIMEL_DRIVER_OUTPUT_RECORDS_H_
#define VADRIMEL_DRIVER_OUTPUT_RECORDS_H_

#include <cstddef>
#include <string_view>

#include "listing/byte_stream.h"
#include "listing/line_reader.h"

namespace vadrimel {

/// The converted file: CR LF records collected in a fixed buffer and handed
/// to the sink in large writes. After the first failed write nothing more is
/// written, and the failure is kept for `finish` to report.
class OutputStream {
public:
  static constexpr std::size_t BUFFER_SIZE = IO_BUFFER_SIZE;

  /// Starts writing to `sink`, as a fresh stream would.
  void start(ByteSink& sink) noexcept {
    sink_ = &sink;
    used_ = 0;
    failed_ = false;
  }

  /// A piece of a line followed by CR LF. A piece holds at most
  /// MAX_CHUNK_LENGTH bytes, so a record always fits the empty buffer.
  void write_line_record(std::string_view text) noexcept;
  /// "FILE:", the path, CR LF. A path comes from one held line, at most
  /// MAX_HELD_LINE_LENGTH bytes, so this record too fits the empty buffer.
  void write_source_path_record(std::string_view path) noexcept;

  /// Writes out what is buffered and closes the sink; true when every write
  /// and the close succeeded.
  bool finish() noexcept;

  [[nodiscard]] bool failed() const noexcept { return failed_; }

private:
  void make_room(std::size_t size) noexcept;
  void append(std::string_view bytes) noexcept;
  /// `append` for the text of a line or a path, whose length varies.
  void append_text(std::string_view text) noexcept;
  void flush() noexcept;

  static_assert(BUFFER_SIZE >= MAX_HELD_LINE_LENGTH + 16);

  ByteSink* sink_ = nullptr;
  IoBuffer buffer_;
  std::size_t used_ = 0;
  bool failed_ = false;
};

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_OUTPUT_RECORDS_H_
