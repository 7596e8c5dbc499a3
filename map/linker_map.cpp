#include "map/linker_map.h"

#include <array>

#include "listing/hex_digits.h"

namespace vadrimel {

namespace {

constexpr std::string_view CREATED = "Linker Map File - Created ";
constexpr std::string_view SECTION_TABLE = "Section Info";
constexpr std::string_view SYMBOL_TABLE = "Symbols - Sorted by Address";
constexpr std::string_view USAGE = " program addresses used";

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

} // namespace

void LinkerMapReader::take_line(std::string_view line) {
  if (line.ends_with('\r')) {
    line.remove_suffix(1);
  }
  const std::string_view title = trimmed(line);
  switch (place_) {
  case Place::SECTION_HEADER:
  case Place::SYMBOL_HEADER:
    if (title.starts_with("---")) {
      has_sections_ = has_sections_ || place_ == Place::SECTION_HEADER;
      place_ = place_ == Place::SECTION_HEADER ? Place::SECTIONS : Place::SYMBOLS;
    }
    return;
  case Place::SECTIONS:
  case Place::SYMBOLS:
    if (title.empty()) {
      place_ = Place::BETWEEN_TABLES;
    } else if (place_ == Place::SECTIONS) {
      if (std::optional<MapSection> section = section_of(line)) {
        map_.sections.push_back(std::move(*section));
      }
    } else if (std::optional<MapSymbol> symbol = symbol_of(line)) {
      map_.symbols.push_back(std::move(*symbol));
    }
    return;
  case Place::BETWEEN_TABLES:
    break;
  }
  if (line.starts_with(CREATED)) {
    map_.created = trimmed(line.substr(CREATED.size()));
  } else if (title == SECTION_TABLE && !has_sections_) {
    place_ = Place::SECTION_HEADER;
  } else if (title.find(USAGE) != std::string_view::npos) {
    read_usage(title, map_);
  } else if (title == SYMBOL_TABLE && !has_symbols_) {
    has_symbols_ = true;
    place_ = Place::SYMBOL_HEADER;
  }
}

std::optional<LinkerMap> LinkerMapReader::finish() {
  if (!has_sections_) {
    return std::nullopt;
  }
  return std::move(map_);
}

std::optional<LinkerMap> read_linker_map(std::string_view text) {
  LinkerMapReader reader;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    reader.take_line(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return reader.finish();
}

} // namespace vadrimel
