#include "map/map_rows.h"

#include <algorithm>

#include "listing/hex_digits.h"
#include "system/decimal_number.h"

namespace vadrimel {

namespace {

bool is_blank(char character) {
  return character == ' ' || character == '\t';
}

/// Takes the first word off `text`, and the blanks before it.
std::string_view take_first_word(std::string_view& text) {
  while (!text.empty() && is_blank(text.front())) {
    text.remove_prefix(1);
  }
  std::size_t end = 0;
  while (end < text.size() && !is_blank(text[end])) {
    ++end;
  }
  const std::string_view word = text.substr(0, end);
  text.remove_prefix(end);
  return word;
}

/// Takes the last word off `text`, and the blanks after it.
std::string_view take_last_word(std::string_view& text) {
  while (!text.empty() && is_blank(text.back())) {
    text.remove_suffix(1);
  }
  std::size_t start = text.size();
  while (start > 0 && !is_blank(text[start - 1])) {
    --start;
  }
  const std::string_view word = text.substr(start);
  text.remove_suffix(word.size());
  return word;
}

std::optional<std::uint64_t> address_of(std::string_view word) {
  if (!word.starts_with("0x")) {
    return std::nullopt;
  }
  const std::optional<std::uint64_t> value = hex_number(word.substr(2));
  return value && *value <= MOST_ADDRESS ? value : std::nullopt;
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

} // namespace

std::string_view trimmed_blanks(std::string_view text) {
  while (!text.empty() && is_blank(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && is_blank(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

std::optional<MapSection> section_of(std::string_view row) {
  const std::string_view size = take_last_word(row);
  const std::string_view location = take_last_word(row);
  const std::string_view address = take_last_word(row);
  const std::string_view type = take_last_word(row);
  const std::string_view name = trimmed_blanks(row);
  const auto size_value = address_of(size);
  const auto address_value = address_of(address);
  const auto program = location_of(location);
  // A type is a word of the linker's own (code, romdata, udata, idata).
  const bool type_readable = std::none_of(type.begin(), type.end(), [](char byte) {
    return static_cast<unsigned char>(byte) < 0x20 || byte == 0x7f;
  });
  if (name.empty() || type.empty() || !type_readable || !size_value || !address_value ||
      !program || *address_value + *size_value > MOST_ADDRESS) {
    return std::nullopt;
  }
  return MapSection{std::string(name), std::string(type), *address_value, *program,
                    *size_value};
}

std::optional<std::uint64_t> count_of(std::string_view digits) {
  const std::optional<std::uint64_t> value = decimal_number(digits, 10);
  return value && *value <= MOST_ADDRESS ? value : std::nullopt;
}

std::optional<SymbolRow> symbol_row_of(std::string_view row) {
  const std::string_view name = take_first_word(row);
  const auto address = address_of(take_first_word(row));
  const auto program = location_of(take_first_word(row));
  const std::string_view storage = take_first_word(row);
  if (name.empty() || !address || !program ||
      (storage != "extern" && storage != "static")) {
    return std::nullopt;
  }
  return SymbolRow{name, *address, *program, trimmed_blanks(row)};
}

} // namespace vadrimel
