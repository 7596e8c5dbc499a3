#include "listing/tab_expansion.h"

#include <algorithm>
#include <cstring>

#include "listing/columns.h"
#include "listing/scan.h"

namespace vadrimel {

namespace {

constexpr char TAB = '\t';
/// Where the spaces of a tab are handed out from.
constexpr std::string_view SPACES =
    "                                                                "
    "                                                                ";

/// The column of the tab stop after `column`.
std::size_t next_tab_stop(std::size_t column, std::size_t tab_size) noexcept {
  if (column < SOURCE_COLUMN) {
    return std::min((column / tab_size + 1) * tab_size, SOURCE_COLUMN);
  }
  return SOURCE_COLUMN + ((column - SOURCE_COLUMN) / tab_size + 1) * tab_size;
}

} // namespace

std::string_view without_trailing_blanks(std::string_view text,
                                         std::uint8_t tab_size) noexcept {
  std::size_t kept = scan::after_last_non_space(text);
  while (tab_size != 0 && kept != 0 && text[kept - 1] == TAB) {
    kept = scan::after_last_non_space(text.substr(0, kept - 1));
  }
  return text.substr(0, kept);
}

std::string_view TabExpansion::next(std::size_t most) noexcept {
  if (pending_spaces_ == 0 && tab_size_ != 0 && !rest_.empty() && rest_[0] == TAB) {
    rest_.remove_prefix(1);
    pending_spaces_ = next_tab_stop(column_, tab_size_) - column_;
  }
  std::string_view run;
  if (pending_spaces_ != 0) {
    run = SPACES.substr(0, std::min({pending_spaces_, most, SPACES.size()}));
    pending_spaces_ -= run.size();
  } else {
    const std::size_t tab = tab_size_ != 0 ? rest_.find(TAB) : std::string_view::npos;
    run = rest_.substr(0, std::min(tab, most));
    rest_.remove_prefix(run.size());
  }
  column_ += run.size();
  return run;
}

std::size_t TabExpansion::fill(std::span<char> buffer) noexcept {
  std::size_t used = 0;
  while (used < buffer.size() && !done()) {
    const std::string_view run = next(buffer.size() - used);
    std::memcpy(buffer.data() + used, run.data(), run.size());
    used += run.size();
  }
  return used;
}

} // namespace vadrimel
