#ifndef VADRIMEL_LISTING_TAB_EXPANSION_H_
#define VADRIMEL_LISTING_TAB_EXPANSION_H_

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace vadrimel {

/// The text without what would show as blank at its end: spaces, and with a
/// tab size (option -t) tabs, which become spaces.
std::string_view without_trailing_blanks(std::string_view text,
                                         std::uint8_t tab_size) noexcept;

/// Option -t: a line's text with every tab turned into the spaces up to the
/// next tab stop, handed out a run at a time, so that a line of any length is
/// expanded as it is written and never held whole. Tab stops stand at the
/// multiples of the tab size below the source column and at the source column
/// plus its multiples from there on, counted from the text's first
/// character. A tab size of 0 leaves tabs as they are.
class TabExpansion {
public:
  TabExpansion(std::string_view text, std::uint8_t tab_size) noexcept
      : rest_(text), tab_size_(tab_size) {}

  /// True once the whole text has been handed out.
  [[nodiscard]] bool done() const noexcept {
    return rest_.empty() && pending_spaces_ == 0;
  }

  /// The next run of the expanded text, at most `most` characters (at least
  /// one, unless `done()` or `most` is 0): a part of the text, or spaces.
  /// Valid as long as the text is.
  std::string_view next(std::size_t most) noexcept;

  /// Hands out runs into `buffer` until it is full or the text is done;
  /// returns how many characters it holds.
  std::size_t fill(std::span<char> buffer) noexcept;

private:
  std::string_view rest_;
  std::uint8_t tab_size_;
  /// The column of the next character, in the expanded text.
  std::size_t column_ = 0;
  /// Spaces of the last tab not handed out yet.
  std::size_t pending_spaces_ = 0;
};

} // namespace vadrimel

#endif // VADRIMEL_LISTING_TAB_EXPANSION_H_
