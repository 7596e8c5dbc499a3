#include "report/linker_map.h"

#include <array>

#include "listing/hex_digits.h"

namespace vadrimel {

namespace {

constexpr std::string_view CREATED = "Linker Map File - Created ";
constexpr std::string_view SECTION_TABLE = "Section Info";
constexpr std::string_view SYMBOL_TABLE = "Symbols - Sorted by Address";
constexpr std::string_view USAGE = " program addresses used";

/// Hands out the lines of a text, without their line ends.
class Lines {
public:
  explicit Lines(std::string_view text) : rest_(text) {}

  bool next(std::string_view& line) {
    if (rest_.empty()) {
      return false;
    }
    const std::size_t end = rest_.find('\n');
    line = rest_.substr(0, end);
    rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
    if (line.ends_with('\r')) {
      line.remove_suffix(1);
    }
    return true;
  }

private:
  std::string_view rest_;
};

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(" \t") + 1 - first);
}

/// Takes the last word off `text`: the run of non-spaces at its end.
std::string_view take_last_word(std::string_view& text) {
  text = trimmed(text);
  const std::size_t space = text.find_last_of(' ');
  const std::string_view word =
      space == std::string_view::npos ? text : text.substr(space + 1);
  text = space == std::string_view::npos ? std::string_view{} : text.substr(0, space);
  return word;
}

/// Takes the first word off `text`.
std::string_view take_first_word(std::string_view& text) {
  text = trimmed(text);
  const std::size_t space = text.find(' ');
  const std::string_view word = text.substr(0, space);
  text = space == std::string_view::npos ? std::string_view{} : text.substr(space);
  return word;
}

std::optional<std::uint64_t> address_of(std::string_view word) {
  if (!word.starts_with("0x")) {
    return std::nullopt;
  }
  return hex_number(word.substr(2));
}

std::optional<bool> location_of(std::string_view word) {
  if (word == "program") {
    return true;
  }
  if (word == "data") {
    return false;
  }
  return std::nullopt;
}

/// Moves past a table's header line and its line of dashes.
bool skip_table_header(Lines& lines) {
  std::string_view line;
  while (lines.next(line)) {
    if (trimmed(line).starts_with("---")) {
      return true;
    }
  }
  return false;
}

/// A section row, split from the right: a long name pushes the row to the
/// left, and names hold no spaces.
std::optional<MapSection> section_of(std::string_view row) {
  const std::string_view size = take_last_word(row);
  const std::string_view location = take_last_word(row);
  const std::string_view address = take_last_word(row);
  const std::string_view type = take_last_word(row);
  const std::string_view name = trimmed(row);
  const auto size_value = address_of(size);
  const auto address_value = address_of(address);
  const auto program = location_of(location);
  if (name.empty() || type.empty() || !size_value || !address_value || !program) {
    return std::nullopt;
  }
  return MapSection{std::string(name), std::string(type), *address_value, *program,
                    *size_value};
}

/// A symbol row: name, address, location, storage, then the file, which may
/// hold spaces or be missing.
std::optional<MapSymbol> symbol_of(std::string_view row) {
  const std::string_view name = take_first_word(row);
  const auto address = address_of(take_first_word(row));
  const auto program = location_of(take_first_word(row));
  const std::string_view storage = take_first_word(row);
  if (name.empty() || !address || !program || storage.empty()) {
    return std::nullopt;
  }
  return MapSymbol{std::string(name), *address, *program, std::string(trimmed(row))};
}

/// "N out of M program addresses used, ...".
void read_usage(std::string_view line, LinkerMap& map) {
  const std::size_t end = line.find(USAGE);
  std::string_view counts = trimmed(line.substr(0, end));
  const std::size_t out_of = counts.find(" out of ");
  if (out_of == std::string_view::npos) {
    return;
  }
  const auto number = [](std::string_view digits) {
    std::uint64_t value = 0;
    for (const char digit : digits) {
      if (digit < '0' || digit > '9') {
        return std::uint64_t{0};
      }
      value = value * 10 + static_cast<std::uint64_t>(digit - '0');
    }
    return value;
  };
  map.program_used = number(counts.substr(0, out_of));
  map.program_size = number(counts.substr(out_of + 8));
}

/// The section rows, up to an empty line; false when the table has no
/// header.
bool read_sections(Lines& lines, LinkerMap& map) {
  if (!skip_table_header(lines)) {
    return false;
  }
  std::string_view line;
  while (lines.next(line) && !trimmed(line).empty()) {
    if (std::optional<MapSection> section = section_of(line)) {
      map.sections.push_back(std::move(*section));
    }
  }
  return true;
}

/// The symbol rows, up to an empty line or the end.
void read_symbols(Lines& lines, LinkerMap& map) {
  skip_table_header(lines);
  std::string_view line;
  while (lines.next(line) && !trimmed(line).empty()) {
    if (std::optional<MapSymbol> symbol = symbol_of(line)) {
      map.symbols.push_back(std::move(*symbol));
    }
  }
}

} // namespace

std::optional<LinkerMap> read_linker_map(std::string_view text) {
  LinkerMap map;
  bool has_sections = false;
  Lines lines(text);
  std::string_view line;
  while (lines.next(line)) {
    const std::string_view title = trimmed(line);
    if (line.starts_with(CREATED)) {
      map.created = trimmed(line.substr(CREATED.size()));
    } else if (title == SECTION_TABLE && !has_sections) {
      has_sections = read_sections(lines, map);
    } else if (title.find(USAGE) != std::string_view::npos) {
      read_usage(title, map);
    } else if (title == SYMBOL_TABLE && map.symbols.empty()) {
      read_symbols(lines, map);
    }
  }
  if (!has_sections) {
    return std::nullopt;
  }
  return map;
}

} // namespace vadrimel
