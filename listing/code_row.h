#ifndef VADRIMEL_LISTING_CODE_ROW_H_
#define VADRIMEL_LISTING_CODE_ROW_H_

#include <cstdint>
#include <optional>
#include <string_view>

#include "listing/columns.h"
#include "listing/hex_digits.h"

namespace vadrimel {

/// True when `line` starts with the address and value columns: six lower-case
/// hex digits, three spaces, four lower-case hex digits, then a space or the
/// end of the line. Inline: every line of -d and of the reports is tested.
inline bool starts_with_address_and_value(std::string_view line) noexcept {
  return line.size() >= COLUMNS_END &&
         (line.size() == COLUMNS_END || line[COLUMNS_END] == SPACE) &&
         all_lower_case_hex({line.data(), ADDRESS_DIGITS}) &&
         line[ADDRESS_DIGITS] == SPACE && line[ADDRESS_DIGITS + 1] == SPACE &&
         line[ADDRESS_DIGITS + 2] == SPACE &&
         all_lower_case_hex({line.data() + VALUE_COLUMN, VALUE_DIGITS});
}

/// One program word of the listing's table, as a line whose source path has
/// been taken off gives it.
struct CodeRow {
  /// The byte address of the word.
  std::uint64_t address = 0;
  /// The word itself, from the value column.
  std::uint16_t value = 0;
  /// The whole line, valid while the line is.
  std::string_view line;

  /// The disassembly column, trimmed ("CALL      0x8d8e,0x0"); empty for the
  /// second word of an instruction. Read when asked: no report needs it.
  [[nodiscard]] std::string_view disassembly() const noexcept;
};

/// The program word of a line that starts with the address and value
/// columns; empty for any other line.
std::optional<CodeRow> read_code_row(std::string_view line) noexcept;

/// The source text of a line whose path has been taken off: from the source
/// column, without trailing spaces and leading spaces and tabs.
std::string_view source_text(std::string_view line) noexcept;

/// True for the listing's column header and the rule under it ("Address
/// Value    Disassembly ...", "-------  -------  ..."), which -w leaves whole.
bool is_column_header(std::string_view line) noexcept;

/// True for the lines that only a linker listing starts with: its first line
/// ("MP2COD ...") and its column header ("Address  Value    Disassembly ...").
bool is_listing_header(std::string_view line) noexcept;

} // namespace vadrimel

#endif // VADRIMEL_LISTING_CODE_ROW_H_
