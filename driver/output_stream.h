#ifndef VADRIMEL_DRIVER_OUTPUT_STREAM_H_
#define VADRIMEL_DRIVER_OUTPUT_STREAM_H_

#include <array>
#include <cstddef>
#include <string_view>

#include "listing/line_reader.h"
#include "system/byte_stream.h"

namespace vadrimel {

/// What ends each record: CR LF, or with option -l LF alone.
enum class RecordEnd { CR_LF, LF };

/// The converted file: records collected in a fixed buffer and handed to the
/// sink in large writes. After the first failed write nothing more is
/// written, and the failure is kept for `finish` to report.
class OutputStream {
public:
  static constexpr std::size_t BUFFER_SIZE = IO_BUFFER_SIZE;

  /// Starts writing to `sink`, as a fresh stream would; every record ends
  /// in `record_end`.
  void start(ByteSink& sink, RecordEnd record_end) noexcept {
    sink_ = &sink;
    record_end_ = record_end == RecordEnd::CR_LF ? CR_LF : LF;
    record_end_size_ = record_end == RecordEnd::CR_LF ? 2 : 1;
    used_ = 0;
    failed_ = false;
  }

  /// A piece of a line followed by the record end. A piece holds at most
  /// MAX_CHUNK_LENGTH bytes, so a record always fits the empty buffer.
  void write_line_record(std::string_view text) noexcept;
  /// A line record of `indent` spaces and a piece of a line (option -w);
  /// `indent` is less than MAX_CHUNK_LENGTH. A marked record has '+' in place
  /// of its space at CONTINUATION_MARK_COLUMN.
  void write_indented_record(std::size_t indent, std::string_view text,
                             bool marked) noexcept;
  /// A line record of any length, made in parts: `add_to_record` for each
  /// part of its text, then `end_record`.
  void add_to_record(std::string_view part) noexcept;
  void end_record() noexcept;
  /// "FILE:", the path, the record end. A path comes from one held line, at most
  /// MAX_HELD_LINE_LENGTH bytes, so this record too fits the empty buffer.
  /// `lead` ("..." under -d, else empty) goes before the path.
  void write_source_path_record(std::string_view lead, std::string_view path) noexcept;

  /// Writes out what is buffered and closes the sink; true when every write
  /// and the close succeeded.
  bool finish() noexcept;

  [[nodiscard]] bool failed() const noexcept { return failed_; }

private:
  void make_room(std::size_t size) noexcept;
  void append(std::string_view bytes) noexcept;
  /// Ends a record: copied as two bytes whatever its length, so that the copy
  /// is two stores rather than a call; the room for both is always made.
  void append_record_end() noexcept;
  /// `append` for the text of a line or a path, whose length varies.
  void append_text(std::string_view text) noexcept;
  void flush() noexcept;

  static_assert(BUFFER_SIZE >= MAX_HELD_LINE_LENGTH + 16);
  using RecordEndBytes = std::array<char, 2>;
  static constexpr RecordEndBytes CR_LF = {'\r', '\n'};
  /// LF, then a byte that the next record overwrites.
  static constexpr RecordEndBytes LF = {'\n', '\n'};

  ByteSink* sink_ = nullptr;
  RecordEndBytes record_end_ = CR_LF;
  std::size_t record_end_size_ = 2;
  IoBuffer buffer_;
  std::size_t used_ = 0;
  bool failed_ = false;
};

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_OUTPUT_STREAM_H_
