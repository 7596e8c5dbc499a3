#ifndef VADRIMEL_LISTING_LINE_SOURCE_H_
#define VADRIMEL_LISTING_LINE_SOURCE_H_

#include <cstddef>
#include <string_view>

#include "listing/cut_and_strip.h"
#include "listing/held_line.h"
#include "listing/line_reader.h"
#include "listing/source_path.h"
#include "system/byte_stream.h"

namespace vadrimel {

/// What a line is.
enum class LineScope {
  /// A chunk of at most MAX_CHUNK_LENGTH characters.
  CHUNK,
  /// Everything up to the line feed (option -p); a line too long to hold is
  /// read chunk by chunk.
  WHOLE_LINE,
};

/// One line of a listing as both the conversion and the reports take it.
struct ListingLine {
  /// The line's text without its source path, in the reader's own buffer:
  /// the steps of the conversion may change it in place. Valid until the
  /// next line.
  LineText text;
  /// The source path taken off; empty when the line carries none.
  std::string_view path;
  /// The path differs from the last one found: a record of it is due.
  bool new_path = false;
  /// What a blank text becomes: a chunk keeps its spaces, a whole line is
  /// emptied.
  BlankText blank = BlankText::KEPT;
  /// The text is the line's start, where the address and value columns are.
  bool starts_line = true;
  /// More of the line follows in the next chunk.
  bool goes_on = false;
};

/// A listing handed out line by line, each as ListingLine says: chunks, or
/// with LineScope::WHOLE_LINE whole lines, their paths found by the rules of
/// their scope. Owns the input buffer, the held line and the last path, so
/// memory is the same for any listing.
class LineSource {
public:
  explicit LineSource(LineScope scope) noexcept : scope_(scope) {}

  /// Hands every line of `source` to `take_line`, in order, until it returns
  /// false; nothing of an earlier listing carries over. An input that cannot
  /// be read at all has no line, not even the empty one of an empty input.
  template <typename TakeLine> void read(ByteSource& source, TakeLine take_line);

  /// True once the source reported a read error; the input then looked ended.
  [[nodiscard]] bool read_failed() const noexcept { return input_stream_.read_failed(); }

private:
  /// How a line's path is found, and what its blank text becomes.
  struct LineRules {
    PathRules paths;
    BlankText blank;
  };
  static constexpr LineRules CHUNK_RULES = {PathRules::LAST_SPACE, BlankText::KEPT};
  static constexpr LineRules WHOLE_LINE_RULES = {PathRules::WHOLE_LINE,
                                                 BlankText::EMPTIED};

  template <typename TakeLine> bool take_chunk(bool line_goes_on, TakeLine& take_line);
  template <typename TakeLine> bool hold_chunk(bool line_goes_on, TakeLine& take_line);
  template <typename TakeLine>
  bool hand_out(LineText line, LineRules rules, bool starts_line, bool goes_on,
                TakeLine& take_line);

  InputStream input_stream_;
  LineChunk line_buffer_;
  /// The path of the last line that carried one.
  SourcePath current_source_path_;
  /// The line being gathered when a line is a whole line.
  HeldLine held_line_;
  LineScope scope_;
};

template <typename TakeLine>
void LineSource::read(ByteSource& source, TakeLine take_line) {
  input_stream_.start(source);
  current_source_path_.forget();
  held_line_.clear();
  int result = fetch_line_chunk(line_buffer_, input_stream_);
  if (result == CHUNK_END_OF_FILE && input_stream_.read_failed()) {
    return;
  }
  bool going = take_chunk(result == CHUNK_SPLIT, take_line);
  while (result != CHUNK_END_OF_FILE && going) {
    result = fetch_line_chunk(line_buffer_, input_stream_);
    going = take_chunk(result == CHUNK_SPLIT, take_line);
  }
}

/// The one place that decides what makes a line: a chunk, or with whole
/// lines all chunks up to the line feed.
template <typename TakeLine>
bool LineSource::take_chunk(bool line_goes_on, TakeLine& take_line) {
  if (scope_ == LineScope::CHUNK) {
    return hand_out(line_buffer_.text, CHUNK_RULES, true, line_goes_on, take_line);
  }
  if (!line_goes_on && held_line_.empty()) {
    // Most lines come in one chunk: they are handed out where they lie.
    return hand_out(line_buffer_.text, WHOLE_LINE_RULES, true, false, take_line);
  }
  return hold_chunk(line_goes_on, take_line);
}

/// A line too long to hold is handed out chunk by chunk, as a chunk is a
/// line: the chunks held so far once it outgrows the buffer, then each chunk
/// as it comes.
template <typename TakeLine>
bool LineSource::hold_chunk(bool line_goes_on, TakeLine& take_line) {
  bool going = true;
  if (held_line_.append(view_of(line_buffer_.text))) {
    if (!line_goes_on) {
      going = hand_out(held_line_.text(), WHOLE_LINE_RULES, true, false, take_line);
    }
  } else {
    // The first chunk that does not fit lets the held ones go.
    const bool first_not_held = held_line_.chunk_count() == MAX_HELD_CHUNKS + 1;
    for (std::size_t index = 0; first_not_held && index < MAX_HELD_CHUNKS; ++index) {
      going =
          hand_out(held_line_.chunk(index), CHUNK_RULES, index == 0, true, take_line) &&
          going;
    }
    going =
        hand_out(line_buffer_.text, CHUNK_RULES, false, line_goes_on, take_line) && going;
  }
  if (!line_goes_on) {
    held_line_.clear();
  }
  return going;
}

template <typename TakeLine>
bool LineSource::hand_out(LineText line, LineRules rules, bool starts_line, bool goes_on,
                          TakeLine& take_line) {
  const LineParts parts =
      split_off_source_path(view_of(line), rules.paths, current_source_path_.current());
  const bool new_path =
      !parts.path.empty() && current_source_path_.replace_if_different(parts.path);
  ListingLine listing_line{.text = line.first(parts.text.size()),
                           .path = parts.path,
                           .new_path = new_path,
                           .blank = rules.blank,
                           .starts_line = starts_line,
                           .goes_on = goes_on};
  return take_line(listing_line);
}

} // namespace vadrimel

#endif // VADRIMEL_LISTING_LINE_SOURCE_H_
