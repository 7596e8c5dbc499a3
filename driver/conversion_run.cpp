#include "driver/conversion_run.h"

#include <cstring>
#include <new>

namespace vadrimel {

ConversionResult ConversionRun::convert(ByteSource& source, ByteSink& sink) noexcept {
  input_stream_.start(source);
  output_stream_.start(sink, options_.record_end);
  source_path_.forget();
  held_line_.clear();
  int result = fetch_line_chunk(line_buffer_, input_stream_);
  // An input that cannot be read at all (a folder as standard input) gives
  // no output, not even the empty record of an empty input.
  if (result != CHUNK_END_OF_FILE || !input_stream_.read_failed()) {
    take_chunk(result == CHUNK_SPLIT);
  }
  while (result != CHUNK_END_OF_FILE && !output_stream_.failed()) {
    result = fetch_line_chunk(line_buffer_, input_stream_);
    take_chunk(result == CHUNK_SPLIT);
  }
  const bool written = output_stream_.finish();
  return {.read_failed = input_stream_.read_failed(), .write_failed = !written};
}

ConversionResult ConversionRun::read(ByteSource& source, LineReport& report) {
  report_ = &report;
  input_stream_.start(source);
  source_path_.forget();
  held_line_.clear();
  int result = CHUNK_LINE_END;
  while (result != CHUNK_END_OF_FILE) {
    result = fetch_line_chunk(line_buffer_, input_stream_);
    take_chunk(result == CHUNK_SPLIT);
  }
  report_ = nullptr;
  return {.read_failed = input_stream_.read_failed()};
}

/// The one place that decides what makes a line: a chunk, or with whole
/// lines all chunks up to the line feed.
void ConversionRun::take_chunk(bool line_goes_on) {
  if (options_.line_scope == LineScope::CHUNK) {
    rewrite_line(line_buffer_.text, CHUNK_RULES,
                 {.starts_line = true, .goes_on = line_goes_on});
  } else if (!line_goes_on && held_line_.empty()) {
    // Most lines come in one chunk: they are converted where they lie.
    rewrite_line(line_buffer_.text, WHOLE_LINE_RULES,
                 {.starts_line = true, .goes_on = false});
  } else {
    hold_chunk(line_goes_on);
  }
}

/// A line too long to hold is read chunk by chunk, as a chunk is a line: the
/// chunks held so far once it outgrows the buffer, then each chunk as it
/// comes.
void ConversionRun::hold_chunk(bool line_goes_on) {
  if (held_line_.append(view_of(line_buffer_.text))) {
    if (!line_goes_on) {
      rewrite_line(held_line_.text(), WHOLE_LINE_RULES,
                   {.starts_line = true, .goes_on = false});
    }
  } else {
    // The first chunk that does not fit lets the held ones go.
    const bool first_not_held = held_line_.chunk_count() == MAX_HELD_CHUNKS + 1;
    for (std::size_t index = 0; first_not_held && index < MAX_HELD_CHUNKS; ++index) {
      rewrite_line(held_line_.chunk(index), CHUNK_RULES,
                   {.starts_line = index == 0, .goes_on = true});
    }
    rewrite_line(line_buffer_.text, CHUNK_RULES,
                 {.starts_line = false, .goes_on = line_goes_on});
  }
  if (!line_goes_on) {
    held_line_.clear();
  }
}

/// The steps of one line, in order: the source path record when the line's
/// path is new, the masks, then the line records of what is left.
void ConversionRun::rewrite_line(LineText line, LineRules rules, LinePlace place) {
  const LineParts parts =
      split_off_source_path(view_of(line), rules.paths, source_path_.current());
  const bool new_path =
      !parts.path.empty() && source_path_.replace_if_different(parts.path);
  if (report_ != nullptr) {
    report_->take_line(parts.text, parts.path);
    return;
  }
  if (new_path) {
    output_stream_.write_source_path_record(parts.path);
  }
  LineText text = line.first(parts.text.size());
  if (options_.mask_build_noise && place.starts_line) {
    text = mask_build_noise(text);
  }
  if (options_.tab_size != 0 || options_.wrap) {
    write_laid_out(view_of(text), rules.blank);
  } else {
    write_pieces(view_of(text), rules.blank, place.goes_on);
  }
}

/// The text in pieces of MAX_CHUNK_LENGTH, each cut and stripped, as the
/// reader cuts a line: a text that fills its last piece exactly is followed
/// by an empty one, unless the line goes on in the next chunk.
void ConversionRun::write_pieces(std::string_view text, BlankText blank,
                                 bool line_goes_on) noexcept {
  std::string_view piece;
  do {
    piece = take_piece(text);
    output_stream_.write_line_record(cut_and_strip(piece, options_.max_length, blank));
  } while (!text.empty() || (piece.size() == MAX_CHUNK_LENGTH && !line_goes_on));
}

/// Options -t and -w: the text as one unit, tabs expanded, cut at the
/// maximum length, wrapped, or written whole as it is expanded.
// Out of line: inlined, it made the loop of the other modes too large for
// GCC to inline their steps (see docs/design.md).
[[gnu::noinline]] void ConversionRun::write_laid_out(std::string_view text,
                                                     BlankText blank) noexcept {
  const std::string_view shown = without_trailing_blanks(text, options_.tab_size);
  if (shown.empty() && blank == BlankText::EMPTIED) {
    output_stream_.write_line_record({});
    return;
  }
  // A text of blanks only keeps them, as a blank chunk keeps its spaces; it
  // is cut, never wrapped.
  std::string_view unit = shown.empty() ? text : shown;
  const std::uint8_t max_length = options_.max_length;
  bool expands = options_.tab_size != 0 && unit.find('\t') != std::string_view::npos;
  if (expands) {
    // Most lines expand to a few hundred characters: expanded once, they are
    // written as a line without tabs. A longer one is expanded as it goes.
    TabExpansion expansion(unit, options_.tab_size);
    std::size_t used = 0;
    while (used < expanded_.size() && !expansion.done()) {
      const std::string_view run = expansion.next(expanded_.size() - used);
      std::memcpy(expanded_.data() + used, run.data(), run.size());
      used += run.size();
    }
    if (expansion.done()) {
      unit = {expanded_.data(), used};
      expands = false;
    }
  }
  if (options_.wrap && cuts(max_length) && !shown.empty() &&
      (expands || unit.size() > max_length)) {
    WordWrap wrap(unit, expands ? options_.tab_size : 0, max_length);
    for (WrappedRecord record; wrap.next(record);) {
      output_stream_.write_indented_record(record.indent, record.text);
    }
  } else if (!expands) {
    // Most lines: written where they lie.
    output_stream_.write_line_record(cut_and_strip(unit, max_length, blank));
  } else if (!cuts(max_length)) {
    for (TabExpansion expansion(unit, options_.tab_size); !expansion.done();) {
      output_stream_.add_to_record(expansion.next(std::string_view::npos));
    }
    output_stream_.end_record();
  } else {
    TabExpansion expansion(unit, options_.tab_size);
    std::size_t used = 0;
    while (used < max_length && !expansion.done()) {
      const std::string_view run = expansion.next(max_length - used);
      std::memcpy(cut_buffer_.data() + used, run.data(), run.size());
      used += run.size();
    }
    output_stream_.write_line_record(
        strip_trailing_spaces({cut_buffer_.data(), used}, blank));
  }
}

std::unique_ptr<ConversionRun> allocate_run(const ConversionOptions& options) noexcept {
  return std::unique_ptr<ConversionRun>(new (std::nothrow) ConversionRun(options));
}

} // namespace vadrimel
