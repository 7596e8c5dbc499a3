#include "listing/source_path.h"

#include <cstring>

#include "listing/columns.h"
#include "listing/scan.h"

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

/// Where the space in front of `current` stands, when the line ends in a
/// space and that path; NONE otherwise.
std::size_t find_current_path(std::string_view line, std::string_view current) noexcept {
  if (current.empty() || line.size() <= current.size() || !line.ends_with(current) ||
      line[line.size() - current.size() - 1] != SPACE) {
    return NONE;
  }
  return line.size() - current.size() - 1;
}

/// True when the line holds a path in the File column that no drive letter
/// starts (source\squareroot.s): the column's two spaces before it, and a text
/// from the column to the end with no two spaces in a row and no space at its
/// end that holds a backslash, a slash or a dot. The header's own "File" and
/// its rule of dashes hold none of the three.
bool holds_path_in_file_column(std::string_view line) noexcept {
  if (line.size() <= FILE_COLUMN || line[FILE_COLUMN - 2] != SPACE ||
      line[FILE_COLUMN - 1] != SPACE || line[FILE_COLUMN] == SPACE ||
      line.back() == SPACE) {
    return false;
  }
  const std::string_view path = line.substr(FILE_COLUMN);
  return path.find("  ") == NONE && path.find_first_of("\\/.") != NONE;
}

LineParts split_at(std::string_view line, std::size_t space) noexcept {
  return {.text = scan::first(line, space),
          .path = {line.data() + space + 1, line.size() - space - 1}};
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
                                std::string_view current) noexcept {
  const std::size_t after_space = scan::after_last_space(line);
  if (after_space != 0 &&
      starts_with_drive({line.data() + after_space, line.size() - after_space})) {
    return split_at(line, after_space - 1);
  }
  if (rules == PathRules::LAST_SPACE) {
    return {.text = line, .path = {}};
  }
  std::size_t path_space = find_path_with_spaces(line);
  if (path_space == NONE) {
    path_space = find_current_path(line, current);
  }
  if (path_space == NONE && holds_path_in_file_column(line)) {
    path_space = FILE_COLUMN - 1;
  }
  if (path_space != NONE) {
    return split_at(line, path_space);
  }
  return {.text = line, .path = {}};
}

} // namespace vadrimel
