#ifndef VADRIMEL_LISTING_LINE_CLEANUP_H_
#define VADRIMEL_LISTING_LINE_CLEANUP_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "listing/line_reader.h"

namespace vadrimel {

/// Lengths up to this value mean "do not cut".
inline constexpr std::uint8_t LONGEST_LENGTH_THAT_DOES_NOT_CUT = 31;

/// How a line is read: what it is, where its source path may stand and what
/// becomes of padding.
enum class PathSearch {
  /// A line is one chunk of at most MAX_CHUNK_LENGTH characters; its path
  /// follows its last space, and a piece of spaces only keeps its spaces.
  PER_CHUNK,
  /// A line is everything up to its line feed (option -p); its path may hold
  /// spaces, and padding becomes empty. A line of more than MAX_HELD_CHUNKS
  /// chunks is read chunk by chunk, as PER_CHUNK.
  WHOLE_LINE,
};

/// The path of the last source path record written. Empty when a conversion
/// starts and never emptied during it, so it carries over from line to line.
class SourcePath {
public:
  [[nodiscard]] std::string_view current_source_path() const noexcept {
    return {text_.data(), length_};
  }

  /// Remembers `path` and returns true when it differs from the current one.
  bool replace_if_different(std::string_view path) noexcept;
  /// Back to no path, as at the start of a run.
  void forget() noexcept { length_ = 0; }

private:
  // Paths found on a whole line may be as long as the line. Left
  // uninitialised: only the first `length_` bytes are ever read.
  std::array<char, MAX_HELD_LINE_LENGTH> text_;
  std::size_t length_ = 0;
};

/// A line cut in two at the space in front of its source path; `path` is
/// empty when the line has none (and `text` is then the whole line).
struct LineParts {
  std::string_view text;
  std::string_view path;
};

/// Finds the source path on a line: the text after its last space when that
/// starts with an upper-case letter and a colon. With WHOLE_LINE, failing
/// that, the text after the last space that is followed by an upper-case
/// letter, a colon and a backslash or slash, as long as that text holds no two
/// spaces in a row and does not end in a space (padding is never part of a
/// path).
LineParts split_off_source_path(std::string_view line, PathSearch search) noexcept;

/// The text without the spaces (code 32 only) at its end. A text of nothing
/// but spaces keeps them with PER_CHUNK and becomes empty with WHOLE_LINE.
std::string_view strip_trailing_spaces(std::string_view text, PathSearch search) noexcept;

/// One piece of a line's text as its line record shows it: cut to
/// `max_length` characters when that is above
/// LONGEST_LENGTH_THAT_DOES_NOT_CUT, then stripped of trailing spaces.
std::string_view clean_piece(std::string_view piece, std::uint8_t max_length,
                             PathSearch search) noexcept;

/// Where the source text of a listing line starts: the column of the header's
/// "Source".
inline constexpr std::size_t SOURCE_COLUMN = 43;

/// Option -d: masks, in place, what changes from one build to the next
/// although the source did not. The header's "Listing File Generated:" loses
/// the date and time after it: the text returned is shorter. A line that
/// starts with the address and value columns (six and four lower-case hex
/// digits, three spaces apart, then a space or the end) has them written as
/// spaces, and when its instruction at byte 18 is a branch or a call whose
/// operand starts with 0x and hex digits, those digits are written as '?';
/// the line keeps its length. Only the text's first MAX_CHUNK_LENGTH
/// characters are looked at.
LineText mask_build_noise(LineText text) noexcept;

/// A line's text as the pieces of at most MAX_CHUNK_LENGTH characters that
/// its line records come from. With a tab size, every tab becomes the spaces
/// up to the next tab stop as the pieces are made (option -t), so that a line
/// of any length is expanded piece by piece, never held whole. Tab stops
/// stand at the multiples of the tab size below SOURCE_COLUMN and at
/// SOURCE_COLUMN plus its multiples from there on, counted from the text's
/// first character.
class LinePieces {
public:
  /// `tab_size` 0 leaves tabs as they are. `search` tells what becomes of
  /// spaces at the end of a piece: with WHOLE_LINE they are all stripped,
  /// so that the spaces at the end of a line need not be expanded.
  LinePieces(std::string_view text, std::uint8_t tab_size, PathSearch search) noexcept
      : rest_(text), tab_size_(tab_size),
        trailing_spaces_kept_(search == PathSearch::PER_CHUNK) {}

  /// True once every character has gone into a piece.
  [[nodiscard]] bool done() const noexcept {
    return rest_.empty() && pending_spaces_ == 0 && trailing_spaces_ == 0;
  }

  /// The next piece: a view of the text, or, where tabs were expanded, of
  /// `expanded`. Empty once `done()`.
  std::string_view next_piece(std::array<char, MAX_CHUNK_LENGTH>& expanded) noexcept {
    // Without -t, pieces are cut where they lie.
    if (tab_size_ == 0) {
      const std::string_view piece = rest_.substr(0, MAX_CHUNK_LENGTH);
      rest_.remove_prefix(piece.size());
      return piece;
    }
    return next_expanded_piece(expanded);
  }

private:
  std::string_view
  next_expanded_piece(std::array<char, MAX_CHUNK_LENGTH>& expanded) noexcept;

  /// What is left of the text.
  std::string_view rest_;
  std::uint8_t tab_size_;
  /// The column of the next character, in the expanded text.
  std::size_t column_ = 0;
  /// Spaces of a tab that did not fit the last piece.
  std::size_t pending_spaces_ = 0;
  bool trailing_spaces_kept_;
  /// The spaces at the end of the text, once taken off `rest_`: they go into
  /// pieces only where they change what the pieces' records hold.
  std::size_t trailing_spaces_ = 0;
  bool trailing_spaces_taken_ = false;
};

/// Option -w: how a piece longer than `max_length` is wrapped instead of cut.
/// The first line record holds the first `max_length` characters, as the
/// cut does; each further one `width` characters after `indent` spaces.
struct Wrapping {
  std::size_t indent;
  std::size_t width;
};

/// The wrapping for `max_length`: continuations indented to SOURCE_COLUMN,
/// unless that leaves fewer than 8 characters for them; then not indented.
Wrapping wrapping_for(std::uint8_t max_length) noexcept;

/// What -w writes in continuation records: the part of `piece` after its
/// first `max_length` characters, without the spaces at its end. Empty when
/// `max_length` does not cut, or nothing but spaces lies beyond it.
std::string_view wrapped_rest(std::string_view piece, std::uint8_t max_length) noexcept;

/// Takes the next continuation of a wrapped piece off `rest`: its next
/// `width` characters, stripped of trailing spaces. Empty when they are
/// spaces only: such a continuation is not written.
std::string_view take_continuation(std::string_view& rest, std::size_t width) noexcept;

} // namespace vadrimel

#endif // VADRIMEL_LISTING_LINE_CLEANUP_H_
