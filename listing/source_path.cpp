#include "listing/source_path.h"

#include <cstring>

#include "listing/columns.h"

namespace vadrimel {

namespace {

constexpr std::size_t NONE = std::string_view::npos;

bool is_upper_case_letter(char character) noexcept {
  return character >= 'A' && character <= 'Z';
}

bool starts_with_drive(std::string_view text) noexcept {
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

/// Where the space in front of a drive path that holds spaces stands; NONE
/// when there is none. Padding is never part of such a path: it may not end
/// in a space nor hold two in a row, so only what follows the last two
/// spaces in a row needs searching.
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

} // namespace

bool SourcePath::replace_if_different(std::string_view path) noexcept {
  if (path == current()) {
    return false;
  }
  std::memcpy(text_.data(), path.data(), path.size());
  length_ = path.size();
  return true;
}

LineParts split_off_source_path(std::string_view line, PathRules rules,
                                std::string_view /*current*/) noexcept {
  const std::size_t space = line.rfind(SPACE);
  if (space != NONE && starts_with_drive(line.substr(space + 1))) {
    return split_at(line, space);
  }
  if (rules == PathRules::LAST_SPACE) {
    return {.text = line, .path = {}};
  }
  const std::size_t path_space = find_path_with_spaces(line);
  if (path_space != NONE) {
    return split_at(line, path_space);
  }
  return {.text = line, .path = {}};
}

} // namespace vadrimel
