#ifndef VADRIMEL_MAP_LINKER_MAP_H_
#define VADRIMEL_MAP_LINKER_MAP_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
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
  /// The defining file, one of the map's `files`; empty for the compiler's
  /// and the assembler's labels.
  std::string_view file;
};

/// What the reports take from an MPLINK map file (the linker's .map). Moves,
/// but is not copied: its symbols' files are views of its own `files`.
struct LinkerMap {
  LinkerMap() = default;
  LinkerMap(const LinkerMap&) = delete;
  LinkerMap& operator=(const LinkerMap&) = delete;
  LinkerMap(LinkerMap&&) = default;
  LinkerMap& operator=(LinkerMap&&) = default;
  ~LinkerMap() = default;

  std::vector<MapSection> sections;
  /// In the order of the table, which is by address.
  std::vector<MapSymbol> symbols;
  /// "N out of M program addresses used": N and M, in bytes; empty when the
  /// map has no such line.
  std::optional<std::uint64_t> program_used;
  std::optional<std::uint64_t> program_size;
  /// The date of "Linker Map File - Created <date>"; empty when none.
  std::string created;
  /// The files the symbols name, each once.
  std::set<std::string, std::less<>> files;
};

/// A map as read: the map, or what is wrong with it.
struct MapReading {
  /// Empty when the text holds no section table: it is no map.
  std::optional<LinkerMap> map;
  /// What shows the map cut or contradicting itself ("its symbol table is
  /// cut", "section .code_a.o twice"); empty for a whole map. A damaged map
  /// is not reported on.
  std::string damage;
  /// What a whole map leaves out, for a note ("the map has no usage line,
  /// the part's size is not known"); empty when it leaves nothing out.
  std::string left_out;
};

/// Reads a map file line by line, so that memory grows with its sections
/// and symbols alone, and tells whether its tables end as an MPLINK map's
/// do: the section table and the symbol tables with a blank line, the
/// sections followed by the usage line.
class LinkerMapReader {
public:
  /// The most bytes a line of a map may hold; a longer one is damage.
  static constexpr std::size_t MOST_LINE_BYTES = std::size_t{1} << 15U;

  /// The next line, without its line end (a CR before it may stay). The
  /// text after the last line feed, if any, is a line too: one cut short.
  void take_line(std::string_view line);
  /// Notes a line of more than MOST_LINE_BYTES: the map is damaged.
  void take_long_line();
  /// The map read, once every line has been taken.
  MapReading finish();

private:
  enum class Place {
    BETWEEN_TABLES,
    SECTION_HEADER,
    SECTIONS,
    USAGE,
    NAME_HEADER,
    NAMES,
    SYMBOL_HEADER,
    SYMBOLS
  };

  /// A line of a table or its header; false for a line between tables.
  bool take_table_line(std::string_view line, std::string_view title);
  void take_row(std::string_view line);
  void take_usage(std::string_view title);
  void damaged(const std::string& what);

  LinkerMap map_;
  Place place_ = Place::BETWEEN_TABLES;
  std::size_t line_number_ = 0;
  bool has_sections_ = false;
  bool has_symbols_ = false;
  bool symbols_ended_ = false;
  std::size_t usage_lines_ = 0;
  std::string damage_;
  /// The file of the symbol before, which most symbols share.
  std::string_view last_file_;
};

/// Reads the text of a map file, lines ending in LF or CR LF.
MapReading read_linker_map(std::string_view text);

} // namespace vadrimel

#endif // VADRIMEL_MAP_LINKER_MAP_H_
