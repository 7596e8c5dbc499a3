#ifndef VADRIMEL_MAP_LINKER_MAP_H_
#define VADRIMEL_MAP_LINKER_MAP_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vadrimel {

/// A row of the map's "Section Info" table.
struct MapSection {
  std::string name;
  /// code, romdata, udata or idata.
  std::string type;
  std::uint64_t address = 0;
  /// In program memory, else in data memory.
  bool program = false;
  std::uint64_t size = 0;
};

/// A row of the map's "Symbols - Sorted by Address" table.
struct MapSymbol {
  std::string name;
  std::uint64_t address = 0;
  bool program = false;
  /// The defining file; empty for the compiler's and the assembler's labels.
  std::string file;
};

/// What the reports take from an MPLINK map file (the linker's .map).
struct LinkerMap {
  std::vector<MapSection> sections;
  /// In the order of the table, which is by address.
  std::vector<MapSymbol> symbols;
  /// "N out of M program addresses used": N and M, in bytes.
  std::uint64_t program_used = 0;
  std::uint64_t program_size = 0;
  /// The date of "Linker Map File - Created <date>"; empty when none.
  std::string created;
};

/// Reads a map file line by line, so that memory grows with its sections
/// and symbols alone.
class LinkerMapReader {
public:
  /// The next line, without its line end (a CR before it may stay).
  void take_line(std::string_view line);
  /// The map read; empty when it held no "Section Info" table.
  std::optional<LinkerMap> finish();

private:
  enum class Place { BETWEEN_TABLES, SECTION_HEADER, SECTIONS, SYMBOL_HEADER, SYMBOLS };

  LinkerMap map_;
  Place place_ = Place::BETWEEN_TABLES;
  bool has_sections_ = false;
  bool has_symbols_ = false;
};

/// Reads the text of a map file, lines ending in LF or CR LF; empty when it
/// holds no "Section Info" table.
std::optional<LinkerMap> read_linker_map(std::string_view text);

} // namespace vadrimel

#endif // VADRIMEL_MAP_LINKER_MAP_H_
