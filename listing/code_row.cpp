#include "listing/code_row.h"

#include "listing/columns.h"
#include "listing/hex_digits.h"
#include "listing/scan.h"

namespace vadrimel {

namespace {

constexpr std::string_view CONVERTER_LINE = "MP2COD ";
constexpr std::string_view COLUMN_HEADER = "Address  Value    Disassembly";
constexpr std::string_view COLUMN_RULE = "-------  -------  ----";

std::string_view trimmed(std::string_view text) noexcept {
  const std::size_t first = text.find_first_not_of(SPACE);
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(SPACE) + 1 - first);
}

} // namespace

std::optional<CodeRow> read_code_row(std::string_view line) noexcept {
  if (!starts_with_address_and_value(line)) {
    return std::nullopt;
  }
  CodeRow row;
  // The columns were tested: the views lie inside the line.
  row.address = hex_digits_value({line.data(), ADDRESS_DIGITS});
  row.value = static_cast<std::uint16_t>(
      hex_digits_value({line.data() + VALUE_COLUMN, VALUE_DIGITS}));
  row.line = line;
  return row;
}

std::string_view CodeRow::disassembly() const noexcept {
  if (line.size() <= INSTRUCTION_COLUMN) {
    return {};
  }
  return trimmed(line.substr(INSTRUCTION_COLUMN, SOURCE_COLUMN - INSTRUCTION_COLUMN));
}

std::string_view source_text(std::string_view line) noexcept {
  const std::size_t end = scan::after_last_non_space(line);
  if (end <= SOURCE_COLUMN) {
    return {};
  }
  line = line.substr(SOURCE_COLUMN, end - SOURCE_COLUMN);
  while (!line.empty() && (line.front() == SPACE || line.front() == '\t')) {
    line.remove_prefix(1);
  }
  return line;
}

bool is_column_header(std::string_view line) noexcept {
  return line.starts_with(COLUMN_HEADER) || line.starts_with(COLUMN_RULE);
}

bool is_listing_header(std::string_view line) noexcept {
  return line.starts_with(CONVERTER_LINE) || line.starts_with(COLUMN_HEADER);
}

} // namespace vadrimel
