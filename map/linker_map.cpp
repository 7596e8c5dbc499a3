#include "map/linker_map.h"

#include <algorithm>
#include <limits>
#include <map>

#include "map/map_rows.h"

namespace vadrimel {

namespace {

constexpr std::string_view CREATED = "Linker Map File - Created ";
constexpr std::string_view SECTION_TABLE = "Section Info";
constexpr std::string_view NAME_TABLE = "Symbols - Sorted by Name";
constexpr std::string_view SYMBOL_TABLE = "Symbols - Sorted by Address";
constexpr std::string_view USAGE = " program addresses used";
/// The first two sections of one memory that overlap, by address; empty
/// when none do.
std::string overlapping(const std::vector<MapSection>& sections) {
  std::vector<const MapSection*> counted;
  for (const MapSection& section : sections) {
    if (section.size != 0) {
      counted.push_back(&section);
    }
  }
  std::stable_sort(counted.begin(), counted.end(),
                   [](const MapSection* left, const MapSection* right) {
                     return left->program != right->program
                                ? left->program
                                : left->address < right->address;
                   });
  for (std::size_t index = 1; index < counted.size(); ++index) {
    const MapSection& before = *counted[index - 1];
    const MapSection& after = *counted[index];
    if (before.program == after.program && before.address + before.size > after.address) {
      return "sections " + before.name + " and " + after.name + " overlap";
    }
  }
  return {};
}

} // namespace

void LinkerMapReader::damaged(const std::string& what) {
  if (damage_.empty()) {
    damage_ = what;
  }
}

void LinkerMapReader::take_long_line() {
  ++line_number_;
  damaged("line " + std::to_string(line_number_) + " is longer than " +
          std::to_string(MOST_LINE_BYTES) + " bytes");
}

void LinkerMapReader::take_row(std::string_view line) {
  if (place_ == Place::SECTIONS) {
    if (std::optional<MapSection> section = section_of(line)) {
      map_.sections.push_back(std::move(*section));
    } else {
      damaged("line " + std::to_string(line_number_) +
              ": a section row that cannot be read");
    }
    return;
  }
  const std::optional<SymbolRow> row = symbol_row_of(line);
  if (!row) {
    damaged("line " + std::to_string(line_number_) +
            ": a symbol row that cannot be read");
    return;
  }
  if (row->file != last_file_) {
    last_file_ =
        row->file.empty() ? std::string_view{} : *map_.files.emplace(row->file).first;
  }
  map_.symbols.push_back(
      {std::string(row->name), row->address, row->program, last_file_});
}

void LinkerMapReader::take_usage(std::string_view title) {
  ++usage_lines_;
  const std::string_view counts = trimmed_blanks(title.substr(0, title.find(USAGE)));
  const std::size_t out_of = counts.find(" out of ");
  map_.program_used = count_of(counts.substr(0, out_of));
  map_.program_size = out_of == std::string_view::npos
                          ? std::nullopt
                          : count_of(counts.substr(out_of + 8));
  if (!map_.program_used || !map_.program_size ||
      *map_.program_used > *map_.program_size) {
    damaged("its usage line (\"" + std::string(counts) + "\") cannot be read");
  }
  place_ = Place::BETWEEN_TABLES;
}

bool LinkerMapReader::take_table_line(std::string_view line, std::string_view title) {
  switch (place_) {
  case Place::SECTION_HEADER:
  case Place::NAME_HEADER:
  case Place::SYMBOL_HEADER:
    if (title.starts_with("---")) {
      has_sections_ = has_sections_ || place_ == Place::SECTION_HEADER;
      place_ = place_ == Place::SECTION_HEADER ? Place::SECTIONS
               : place_ == Place::NAME_HEADER  ? Place::NAMES
                                               : Place::SYMBOLS;
    }
    return true;
  case Place::SECTIONS:
  case Place::SYMBOLS:
  case Place::NAMES:
    if (title.empty()) {
      symbols_ended_ = symbols_ended_ || place_ == Place::SYMBOLS;
      place_ = place_ == Place::SECTIONS ? Place::USAGE : Place::BETWEEN_TABLES;
    } else if (place_ != Place::NAMES) {
      // The table by name says again what the one by address says.
      take_row(line);
    }
    return true;
  case Place::USAGE:
  case Place::BETWEEN_TABLES:
    return false;
  }
  return false;
}

void LinkerMapReader::take_line(std::string_view line) {
  ++line_number_;
  if (line.ends_with('\r')) {
    line.remove_suffix(1);
  }
  const std::string_view title = trimmed_blanks(line);
  if (take_table_line(line, title)) {
    return;
  }
  if (title.find(USAGE) != std::string_view::npos) {
    take_usage(title);
  } else if (line.starts_with(CREATED)) {
    map_.created = trimmed_blanks(line.substr(CREATED.size()));
  } else if (title == SECTION_TABLE && !has_sections_) {
    place_ = Place::SECTION_HEADER;
  } else if (title == NAME_TABLE) {
    place_ = Place::NAME_HEADER;
  } else if (title == SYMBOL_TABLE && !has_symbols_) {
    has_symbols_ = true;
    place_ = Place::SYMBOL_HEADER;
  }
}

MapReading LinkerMapReader::finish() {
  MapReading reading;
  if (!has_sections_) {
    return reading;
  }
  // A cut says what is wrong first: the row it cuts short cannot be read.
  if (place_ == Place::SECTIONS) {
    damage_ = "it is cut in its section table";
  } else if (!has_symbols_) {
    damage_ = "it is cut before its symbol table";
  } else if (!symbols_ended_) {
    damage_ = "it is cut in its symbol table";
  } else if (usage_lines_ > 1) {
    damaged("it has " + std::to_string(usage_lines_) + " usage lines");
  } else if (map_.sections.empty()) {
    damaged("its section table is empty");
  }
  std::map<std::string_view, std::size_t> names;
  std::uint64_t program_bytes = 0;
  for (const MapSection& section : map_.sections) {
    if (++names[section.name] == 2) {
      damaged("section " + section.name + " is listed twice");
    }
    program_bytes += section.program ? section.size : 0;
  }
  if (const std::string overlap = overlapping(map_.sections); !overlap.empty()) {
    damaged(overlap);
  }
  if (usage_lines_ == 0) {
    reading.left_out = "the map has no usage line, the part's size is not known";
  } else if (map_.program_used && *map_.program_used != program_bytes) {
    damaged("its program sections add up to " + std::to_string(program_bytes) +
            " bytes, its usage line says " + std::to_string(*map_.program_used));
  }
  if (!damage_.empty()) {
    reading.left_out.clear();
  }
  reading.damage = damage_;
  reading.map = std::move(map_);
  return reading;
}

MapReading read_linker_map(std::string_view text) {
  LinkerMapReader reader;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    if (line.size() > LinkerMapReader::MOST_LINE_BYTES) {
      reader.take_long_line();
    } else {
      reader.take_line(line);
    }
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return reader.finish();
}

} // namespace vadrimel
