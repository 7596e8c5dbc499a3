#include "listing/line_cleanup.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace vadrimel {

namespace {

constexpr char SPACE = ' ';
constexpr std::size_t NONE = std::string_view::npos;

// Listing lines are padded with long runs of spaces, so the backward scans
// look at eight bytes at a time.
using Word = std::uint64_t;
constexpr std::size_t WORD_SIZE = sizeof(Word);
constexpr Word ONES = 0x0101010101010101U;
constexpr Word LOW_BITS = 0x7F7F7F7F7F7F7F7FU;
constexpr Word HIGH_BITS = ~LOW_BITS;

/// A word of eight copies of `byte`.
constexpr Word repeated(char byte) noexcept {
  return ONES * static_cast<unsigned char>(byte);
}

Word load_word(const char* bytes) noexcept {
  Word word = 0;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

/// The top bit of each byte set exactly where `word` has the byte that
/// `pattern` repeats (no carry reaches a neighbouring byte, so no byte is
/// flagged by mistake).
Word matching_bytes(Word word, Word pattern) noexcept {
  const Word zero_where_equal = word ^ pattern;
  return ~(((zero_where_equal & LOW_BITS) + LOW_BITS) | zero_where_equal | LOW_BITS);
}

/// True when any byte of the word is the byte `pattern` repeats: a zero byte
/// of word ^ pattern makes the subtraction borrow into its top bit.
bool holds_byte(Word word, Word pattern) noexcept {
  const Word zero_where_equal = word ^ pattern;
  return ((zero_where_equal - ONES) & ~zero_where_equal & HIGH_BITS) != 0;
}

/// Offset, in memory order, of the first byte flagged in `flags`; WORD_SIZE
/// when none is.
std::size_t first_flagged_byte(Word flags) noexcept {
  if constexpr (std::endian::native == std::endian::little) {
    return static_cast<std::size_t>(std::countr_zero(flags)) / 8;
  } else {
    return static_cast<std::size_t>(std::countl_zero(flags)) / 8;
  }
}

/// The bytes of `word` before offset `count`, in memory order; the others 0.
Word first_bytes(Word word, std::size_t count) noexcept {
  if (count >= WORD_SIZE) {
    return word;
  }
  if constexpr (std::endian::native == std::endian::little) {
    return word & ((Word{1} << (8 * count)) - 1);
  } else {
    return count == 0 ? 0 : word & ~(~Word{0} >> (8 * count));
  }
}

/// Offset, in memory order, of the last byte flagged in a non-zero `flags`.
std::size_t last_flagged_byte(Word flags) noexcept {
  if constexpr (std::endian::native == std::endian::little) {
    return WORD_SIZE - 1 - static_cast<std::size_t>(std::countl_zero(flags)) / 8;
  } else {
    return WORD_SIZE - 1 - static_cast<std::size_t>(std::countr_zero(flags)) / 8;
  }
}

/// One past the last byte of the text that is (`WANT_EQUAL`) or is not
/// `byte`; 0 when there is none. Whole words that cannot hold it are passed
/// over with a cheap test; only the word that holds it is looked into. A
/// template, so that each search is compiled for its own test: one function
/// testing at run time took 20 % more instructions per line.
template <bool WANT_EQUAL>
std::size_t find_last(std::string_view text, char byte) noexcept {
  constexpr bool want_equal = WANT_EQUAL;
  const Word pattern = repeated(byte);
  std::size_t end = text.size();
  for (; end >= WORD_SIZE; end -= WORD_SIZE) {
    const Word word = load_word(text.data() + end - WORD_SIZE);
    if (want_equal ? word != pattern && !holds_byte(word, pattern) : word == pattern) {
      continue;
    }
    const Word equal = matching_bytes(word, pattern);
    return end - WORD_SIZE + last_flagged_byte(want_equal ? equal : ~equal & HIGH_BITS) +
           1;
  }
  for (; end > 0; --end) {
    if ((text[end - 1] == byte) == want_equal) {
      return end;
    }
  }
  return 0;
}

std::size_t after_last_space(std::string_view text) noexcept {
  return find_last<true>(text, SPACE);
}

std::size_t after_last_non_space(std::string_view text) noexcept {
  return find_last<false>(text, SPACE);
}

bool is_upper_case_letter(char character) noexcept {
  return character >= 'A' && character <= 'Z';
}

bool looks_like_source_path(std::string_view text) noexcept {
  return text.size() >= 2 && is_upper_case_letter(text[0]) && text[1] == ':';
}

/// Where the last space followed by a drive letter, a colon and a separator
/// stands, at `from` or after; NONE when there is none. Colons are rare in a
/// listing line, so the search goes from colon to colon.
std::size_t find_last_drive_start(std::string_view line, std::size_t from) noexcept {
  for (std::size_t colon = line.rfind(':'); colon != NONE && colon >= from + 2;
       colon = line.rfind(':', colon - 1)) {
    const bool separator_follows =
        colon + 1 < line.size() && (line[colon + 1] == '\\' || line[colon + 1] == '/');
    if (separator_follows && is_upper_case_letter(line[colon - 1]) &&
        line[colon - 2] == SPACE) {
      return colon - 2;
    }
  }
  return NONE;
}

/// Where the space in front of a path that holds spaces stands; NONE when
/// there is none. Padding is never part of such a path: it may not end in a
/// space nor hold two in a row, so only what follows the last two spaces in
/// a row needs searching.
std::size_t find_path_with_spaces(std::string_view line) noexcept {
  if (line.empty() || line.back() == SPACE) {
    return NONE;
  }
  const std::size_t padding = line.rfind("  ");
  return find_last_drive_start(line, padding == NONE ? 0 : padding + 1);
}

LineParts split_at(std::string_view line, std::size_t space) noexcept {
  return {.text = line.substr(0, space), .path = line.substr(space + 1)};
}

constexpr std::string_view GENERATED_HEADER = "Listing File Generated:";
constexpr std::string_view COLUMN_GAP = "   ";
constexpr std::size_t ADDRESS_DIGITS = 6;
constexpr std::size_t VALUE_START = ADDRESS_DIGITS + COLUMN_GAP.size();
constexpr std::size_t VALUE_DIGITS = 4;
/// The address, the gap and the value.
constexpr std::size_t COLUMNS_END = VALUE_START + VALUE_DIGITS;
constexpr std::size_t INSTRUCTION_COLUMN = 18;
constexpr std::string_view HEX_PREFIX = "0x";
/// The instructions whose operand is a code address, which moves whenever
/// code before its target grows or shrinks.
constexpr std::array<std::string_view, 12> BRANCHES = {
    "BC", "BN", "BNC", "BNN", "BNOV", "BNZ", "BOV", "BRA", "BZ", "CALL", "GOTO", "RCALL"};

bool is_hex_digit(char character) noexcept {
  return (character >= '0' && character <= '9') ||
         (character >= 'a' && character <= 'f') || (character >= 'A' && character <= 'F');
}

/// The top bit of each byte of `word` set where the byte is `byte` or above;
/// for bytes below 0x80, and `byte` from 1 to 0x80.
Word at_least(Word word, unsigned char byte) noexcept {
  return ((word & LOW_BITS) + ONES * (0x80U - byte)) & HIGH_BITS;
}

/// The top bit of each byte of `word` set where the byte is a lower-case hex
/// digit.
Word lower_case_hex_digits(Word word) noexcept {
  const Word digits = at_least(word, '0') & ~at_least(word, '9' + 1);
  const Word letters = at_least(word, 'a') & ~at_least(word, 'f' + 1);
  return (digits | letters) & ~word & HIGH_BITS;
}

/// The top bit of each byte set where `flags` names one, in memory order.
constexpr Word flagged(std::string_view flags) noexcept {
  std::array<unsigned char, WORD_SIZE> bytes{};
  for (std::size_t at = 0; at < WORD_SIZE; ++at) {
    bytes[at] = flags[at] == 'x' ? 0x80 : 0;
  }
  return std::bit_cast<Word>(bytes);
}

/// The address and value columns, "aaaaaa   vvvv", seen as the words of
/// bytes 0 to 7 and 5 to 12: where each must hold a hex digit or a space.
constexpr std::size_t SECOND_WORD = COLUMNS_END - WORD_SIZE;
constexpr Word HEX_IN_FIRST = flagged("xxxxxx..");
constexpr Word GAP_IN_FIRST = flagged("......xx");
constexpr Word HEX_IN_SECOND = flagged("x...xxxx");
constexpr Word GAP_IN_SECOND = flagged(".xxx....");

bool starts_with_address_and_value(std::string_view text) noexcept {
  if (text.size() < COLUMNS_END ||
      (text.size() > COLUMNS_END && text[COLUMNS_END] != SPACE)) {
    return false;
  }
  // Eight bytes at a time, with no branch on the digits, which vary from line
  // to line: a test of each byte's range was mispredicted so often that it
  // took most of the time of -d.
  const Word first = load_word(text.data());
  const Word second = load_word(text.data() + SECOND_WORD);
  const Word space = repeated(SPACE);
  const Word found = (lower_case_hex_digits(first) & HEX_IN_FIRST) |
                     (matching_bytes(first, space) & GAP_IN_FIRST);
  const Word found_second = (lower_case_hex_digits(second) & HEX_IN_SECOND) |
                            (matching_bytes(second, space) & GAP_IN_SECOND);
  return found == (HEX_IN_FIRST | GAP_IN_FIRST) &&
         found_second == (HEX_IN_SECOND | GAP_IN_SECOND);
}

/// A word of WORD_SIZE bytes: `text` and spaces after it.
constexpr Word padded_word(std::string_view text) noexcept {
  std::array<char, WORD_SIZE> bytes{};
  for (std::size_t at = 0; at < WORD_SIZE; ++at) {
    bytes[at] = at < text.size() ? text[at] : SPACE;
  }
  return std::bit_cast<Word>(bytes);
}

/// The branches, each as the word an instruction is compared with, in a
/// table of their own hash: one comparison tells a branch. (Comparing letter
/// by letter, or with each branch in turn, made -d cost a third more than -p,
/// much of it in mispredicted jumps.)
constexpr unsigned BRANCH_SLOT_BITS = 5;
constexpr std::size_t branch_slot(Word word, Word multiplier) noexcept {
  return static_cast<std::size_t>((word * multiplier) >> (64 - BRANCH_SLOT_BITS));
}
/// An odd multiplier that gives every branch a slot of its own.
constexpr Word BRANCH_MULTIPLIER = [] {
  for (Word multiplier = 0x9E3779B97F4A7C15U;; multiplier += 0x6A09E667F3BCC908U) {
    std::uint64_t taken = 0;
    bool apart = true;
    for (const std::string_view branch : BRANCHES) {
      const std::uint64_t slot = std::uint64_t{1}
                                 << branch_slot(padded_word(branch), multiplier);
      apart = apart && (taken & slot) == 0;
      taken |= slot;
    }
    if (apart) {
      return multiplier;
    }
  }
}();
/// Each branch's word in its slot; the other slots hold 0, which no
/// instruction's word is, since it holds spaces.
constexpr std::array<Word, std::size_t{1} << BRANCH_SLOT_BITS> BRANCH_TABLE = [] {
  std::array<Word, std::size_t{1} << BRANCH_SLOT_BITS> table{};
  for (const std::string_view branch : BRANCHES) {
    table[branch_slot(padded_word(branch), BRANCH_MULTIPLIER)] = padded_word(branch);
  }
  return table;
}();

/// The branch or call at INSTRUCTION_COLUMN; empty when there is none. The
/// instruction is taken as a word of its first WORD_SIZE bytes, with spaces
/// from its end on.
std::string_view branch_at_instruction_column(std::string_view line) noexcept {
  if (line.size() <= INSTRUCTION_COLUMN || line[INSTRUCTION_COLUMN - 1] != SPACE) {
    return {};
  }
  const std::string_view start = line.substr(INSTRUCTION_COLUMN);
  const Word word =
      start.size() >= WORD_SIZE ? load_word(start.data()) : padded_word(start);
  const Word space = repeated(SPACE);
  const std::size_t length = first_flagged_byte(matching_bytes(word, space));
  const Word instruction =
      first_bytes(word, length) | (space & ~first_bytes(~Word{0}, length));
  const bool found =
      BRANCH_TABLE[branch_slot(instruction, BRANCH_MULTIPLIER)] == instruction;
  return found ? start.substr(0, length) : std::string_view();
}

/// The hex digits of the target of a branch or a call at INSTRUCTION_COLUMN
/// (8de6 in "CALL      0x8de6,0x0"); empty when the line has none.
std::string_view branch_target_digits(std::string_view line) noexcept {
  const std::string_view instruction = branch_at_instruction_column(line);
  if (instruction.empty()) {
    return {};
  }
  const std::size_t operand =
      line.find_first_not_of(SPACE, INSTRUCTION_COLUMN + instruction.size());
  if (operand == NONE || line.substr(operand, HEX_PREFIX.size()) != HEX_PREFIX) {
    return {};
  }
  const std::string_view digits = line.substr(operand + HEX_PREFIX.size());
  return digits.substr(
      0,
      static_cast<std::size_t>(
          std::find_if_not(digits.begin(), digits.end(), is_hex_digit) - digits.begin()));
}

} // namespace

bool SourcePath::replace_if_different(std::string_view path) noexcept {
  if (path == current_source_path()) {
    return false;
  }
  std::memcpy(text_.data(), path.data(), path.size());
  length_ = path.size();
  return true;
}

LineParts split_off_source_path(std::string_view line, PathSearch search) noexcept {
  const std::size_t after_space = after_last_space(line);
  if (after_space != 0 && looks_like_source_path(line.substr(after_space))) {
    return split_at(line, after_space - 1);
  }
  const std::size_t path_space =
      search == PathSearch::WHOLE_LINE ? find_path_with_spaces(line) : NONE;
  if (path_space != NONE) {
    return split_at(line, path_space);
  }
  return {.text = line, .path = {}};
}

std::string_view strip_trailing_spaces(std::string_view text,
                                       PathSearch search) noexcept {
  const std::size_t kept = after_last_non_space(text);
  if (kept == 0) {
    return search == PathSearch::PER_CHUNK ? text : text.substr(0, 0);
  }
  return text.substr(0, kept);
}

std::string_view clean_piece(std::string_view piece, std::uint8_t max_length,
                             PathSearch search) noexcept {
  // Stripping, cutting and stripping again gives the same text as cutting
  // and stripping once: the first strip only removes spaces that either lie
  // beyond the cut or would be removed by the second.
  const bool cuts = max_length > LONGEST_LENGTH_THAT_DOES_NOT_CUT;
  return strip_trailing_spaces(cuts ? piece.substr(0, max_length) : piece, search);
}

} // namespace vadrimel

namespace vadrimel {

LineText mask_build_noise(LineText text) noexcept {
  const std::string_view line = view_of(text);
  if (!line.empty() && line[0] == GENERATED_HEADER[0] &&
      line.starts_with(GENERATED_HEADER)) {
    return text.first(GENERATED_HEADER.size());
  }
  if (starts_with_address_and_value(line)) {
    std::fill_n(text.begin(), COLUMNS_END, SPACE);
    const std::string_view digits =
        branch_target_digits(line.substr(0, MAX_CHUNK_LENGTH));
    if (!digits.empty()) {
      std::fill_n(text.begin() + (digits.data() - line.data()), digits.size(), '?');
    }
  }
  return text;
}

namespace {

/// The first multiple of `tab_size` above `offset`. Tab stops a power of two
/// apart, 8 above all, need no division, which took a fifth of the time of
/// expanding tabs. An offset is at most MAX_HELD_LINE_LENGTH tabs of 255
/// columns, so 32 bits hold it, and their division is the faster one.
std::uint32_t next_multiple(std::uint32_t offset, std::uint32_t tab_size) noexcept {
  static_assert(std::size_t{MAX_HELD_LINE_LENGTH} * 255 < std::uint32_t{0xFFFFFFFF});
  if ((tab_size & (tab_size - 1)) == 0) {
    return (offset | (tab_size - 1)) + 1;
  }
  return (offset / tab_size + 1) * tab_size;
}

/// The column of the tab stop after `column`.
std::size_t next_tab_stop(std::size_t column, std::uint8_t tab_size) noexcept {
  constexpr auto SOURCE = static_cast<std::uint32_t>(SOURCE_COLUMN);
  const auto at = static_cast<std::uint32_t>(column);
  if (at < SOURCE) {
    return std::min(next_multiple(at, tab_size), SOURCE);
  }
  return SOURCE + next_multiple(at - SOURCE, tab_size);
}

void store_word(char* bytes, Word word) noexcept {
  std::memcpy(bytes, &word, sizeof word);
}

// The runs between tabs and the spaces of a tab are short: copied as a word
// or two where there is room for them, they cost a few stores, where a call
// to memcpy or memset made -t take a third longer.

/// Copies the first `size` bytes of `from` to `to`, which has `room` bytes;
/// bytes beyond `size` may be written too, within `room`.
void copy_run(char* to, std::size_t room, std::string_view from,
              std::size_t size) noexcept {
  if (size <= 2 * WORD_SIZE && room >= 2 * WORD_SIZE && from.size() >= 2 * WORD_SIZE) {
    store_word(to, load_word(from.data()));
    store_word(to + WORD_SIZE, load_word(from.data() + WORD_SIZE));
    return;
  }
  std::memcpy(to, from.data(), size);
}

/// Writes `count` spaces to `to`, which has `room` bytes; spaces beyond
/// `count` may be written too, within `room`.
void fill_spaces(char* to, std::size_t room, std::size_t count) noexcept {
  if (count <= WORD_SIZE && room >= WORD_SIZE) {
    store_word(to, repeated(SPACE));
    return;
  }
  std::memset(to, SPACE, count);
}

} // namespace

std::string_view
LinePieces::next_expanded_piece(std::array<char, MAX_CHUNK_LENGTH>& expanded) noexcept {
  // A line's text ends in padding, which the strip would take off again.
  // Taken off first, it need be neither searched for tabs nor expanded, and
  // it goes into the pieces only where it changes their records: without
  // that, -t took half as long again.
  if (!trailing_spaces_kept_ && !trailing_spaces_taken_) {
    const std::size_t kept = after_last_non_space(rest_);
    trailing_spaces_ = rest_.size() - kept;
    rest_ = rest_.substr(0, kept);
    trailing_spaces_taken_ = true;
  }
  const std::string_view piece = rest_.substr(0, MAX_CHUNK_LENGTH);
  std::size_t tab = piece.find('\t');
  // Most pieces hold no tab: they are shown where they lie, without the
  // trailing spaces when these would end within the piece, short of filling
  // it.
  const bool text_ends_here = piece.size() == rest_.size();
  if (pending_spaces_ == 0 && tab == NONE &&
      (!text_ends_here || piece.size() + trailing_spaces_ < MAX_CHUNK_LENGTH)) {
    trailing_spaces_ = text_ends_here ? 0 : trailing_spaces_;
    rest_.remove_prefix(piece.size());
    column_ += piece.size();
    return piece;
  }
  // The runs between tabs are copied whole, on copies of the members, since
  // stores through `out` may alias them. (Copying eight bytes at a time and
  // looking for tabs in each word took 20 % more time.)
  char* const out = expanded.data();
  std::string_view rest = rest_;
  std::size_t column = column_;
  std::size_t pending_spaces = pending_spaces_;
  std::size_t used = 0;
  for (;;) {
    const std::size_t spaces = std::min(pending_spaces, expanded.size() - used);
    fill_spaces(out + used, expanded.size() - used, spaces);
    used += spaces;
    pending_spaces -= spaces;
    const std::size_t room = expanded.size() - used;
    if (rest.empty() && pending_spaces == 0 && trailing_spaces_ != 0) {
      // Trailing spaces that end within this piece, short of filling it,
      // would only be stripped off it again.
      pending_spaces = trailing_spaces_ < room ? 0 : trailing_spaces_;
      column += pending_spaces;
      trailing_spaces_ = 0;
      continue;
    }
    if (room == 0 || (rest.empty() && pending_spaces == 0)) {
      break;
    }
    // The text up to the tab, or as much of it as fits.
    const std::size_t run = std::min({tab, rest.size(), room});
    copy_run(out + used, expanded.size() - used, rest, run);
    used += run;
    column += run;
    rest.remove_prefix(run);
    if (run == room) {
      break;
    }
    if (rest.empty()) {
      continue;
    }
    rest.remove_prefix(1);
    pending_spaces = next_tab_stop(column, tab_size_) - column;
    column += pending_spaces;
    tab = rest.substr(0, room - run).find('\t');
  }
  rest_ = rest;
  column_ = column;
  pending_spaces_ = pending_spaces;
  return {expanded.data(), used};
}

Wrapping wrapping_for(std::uint8_t max_length) noexcept {
  constexpr std::size_t NARROWEST_INDENTED = SOURCE_COLUMN + 8;
  if (max_length < NARROWEST_INDENTED) {
    return {.indent = 0, .width = max_length};
  }
  return {.indent = SOURCE_COLUMN, .width = max_length - SOURCE_COLUMN};
}

std::string_view wrapped_rest(std::string_view piece, std::uint8_t max_length) noexcept {
  if (max_length <= LONGEST_LENGTH_THAT_DOES_NOT_CUT || piece.size() <= max_length) {
    return {};
  }
  return strip_trailing_spaces(piece.substr(max_length), PathSearch::WHOLE_LINE);
}

std::string_view take_continuation(std::string_view& rest, std::size_t width) noexcept {
  const std::string_view continuation = rest.substr(0, width);
  rest.remove_prefix(continuation.size());
  return strip_trailing_spaces(continuation, PathSearch::WHOLE_LINE);
}

} // namespace vadrimel
