#include "driver/conversion_run.h"

#include <new>
#include <span>

#include "listing/code_row.h"

namespace vadrimel {

ConversionResult ConversionRun::convert(ByteSource& source, ByteSink& sink) noexcept {
  output_stream_.start(sink, options_.record_end);
  in_string_statement_ = false;
  line_source_.read(source, [this](ListingLine& line) {
    rewrite_line(line);
    return !output_stream_.failed();
  });
  const bool written = output_stream_.finish();
  return {.read_failed = line_source_.read_failed(), .write_failed = !written};
}

/// The steps of one line, in order: the source path record when the line's
/// path is new, the masks, then the line records of what is left.
// Out of line: inlined into the reading of lines, it made that too large for
// GCC to inline the writing of a record (see docs/design.md).
[[gnu::noinline]] void ConversionRun::rewrite_line(ListingLine& line) noexcept {
  LineText text = line.text;
  if (!options_.mask_build_noise) {
    if (line.new_path) {
      output_stream_.write_source_path_record({}, line.path);
    }
  } else {
    if (line.new_path) {
      const std::size_t kept = elided_path_start(line.path);
      output_stream_.write_source_path_record(kept == 0 ? "" : "...",
                                              line.path.substr(kept));
    }
    if (line.starts_line) {
      // A line with a path is a source line, and the code after it is its own.
      if (!line.path.empty()) {
        in_string_statement_ = holds_string_literal(view_of(text));
      }
      text = mask_build_noise(text, in_string_statement_);
    }
  }
  if (options_.tab_size != 0 || options_.wrap) {
    write_laid_out(view_of(text), line.blank);
  } else {
    write_pieces(view_of(text), line.blank, line.goes_on);
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
    const std::size_t used = expansion.fill(expanded_);
    if (expansion.done()) {
      unit = {expanded_.data(), used};
      expands = false;
    }
  }
  // The column header and its rule are cut, not wrapped: a continuation of
  // them would read as a line of the listing.
  if (options_.wrap && cuts(max_length) && !shown.empty() &&
      (expands || unit.size() > max_length) && !is_column_header(unit)) {
    WordWrap wrap(unit, expands ? options_.tab_size : 0, max_length);
    for (WrappedRecord record; wrap.next(record);) {
      output_stream_.write_indented_record(record.indent, record.text, record.marked);
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
    const std::size_t used = expansion.fill(std::span(cut_buffer_).first(max_length));
    output_stream_.write_line_record(
        strip_trailing_spaces({cut_buffer_.data(), used}, blank));
  }
}

std::unique_ptr<ConversionRun> allocate_run(const ConversionOptions& options) noexcept {
  return std::unique_ptr<ConversionRun>(new (std::nothrow) ConversionRun(options));
}

} // namespace vadrimel
