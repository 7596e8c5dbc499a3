#ifndef VADRIMEL_MAP_MAP_ROWS_H_
#define VADRIMEL_MAP_MAP_ROWS_H_

#include <cstdint>
#include <optional>
#include <string_view>

#include "map/linker_map.h"

namespace vadrimel {

/// The most an address and a size of a map may reach together: far above
/// any PIC18's memory, and far below what a sum of them could overflow.
inline constexpr std::uint64_t MOST_ADDRESS = std::uint64_t{1} << 32U;

/// `text` without the spaces and tabs around it. A loop of its own: rows are
/// padded with runs of spaces, and find_first_not_of with a set looks each
/// character up in the set by a call.
std::string_view trimmed_blanks(std::string_view text);

/// A row of the section table, split from the right (a long name pushes the
/// row to the left, and names hold no spaces); empty when it cannot be read
/// or reaches past MOST_ADDRESS.
std::optional<MapSection> section_of(std::string_view row);

/// A row of a symbol table, as it stands in the map.
struct SymbolRow {
  std::string_view name;
  std::uint64_t address = 0;
  bool program = false;
  /// Empty for a label.
  std::string_view file;
};

/// A symbol row: name, address, location, storage, then the file, which may
/// hold spaces or be missing; empty when it cannot be read.
std::optional<SymbolRow> symbol_row_of(std::string_view row);

/// A count of the usage line: decimal digits, no more than MOST_ADDRESS;
/// empty for anything else.
std::optional<std::uint64_t> count_of(std::string_view digits);

} // namespace vadrimel

#endif // VADRIMEL_MAP_MAP_ROWS_H_
