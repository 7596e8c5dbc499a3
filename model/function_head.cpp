#include "model/function_head.h"

#include <array>

namespace vadrimel {

namespace {

constexpr std::array<std::string_view, 10> KEYWORDS = {
    "if", "while", "for", "switch", "return", "sizeof", "do", "else", "case", "goto"};

bool is_letter(char character) {
  return (character >= 'a' && character <= 'z') ||
         (character >= 'A' && character <= 'Z') || character == '_';
}

bool is_name_character(char character) {
  return is_letter(character) || (character >= '0' && character <= '9');
}

} // namespace

std::optional<std::string_view> function_head(std::string_view text) {
  const std::size_t paren = text.find('(');
  if (paren == std::string_view::npos || text.find(';') != std::string_view::npos ||
      text.substr(0, paren).find('=') != std::string_view::npos) {
    return std::nullopt;
  }
  // C18's own library writes "printf (": blanks may stand between.
  std::size_t end = paren;
  while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '\t')) {
    --end;
  }
  std::size_t start = end;
  while (start > 0 && is_name_character(text[start - 1])) {
    --start;
  }
  const std::string_view name = text.substr(start, end - start);
  if (name.empty() || !is_letter(name.front())) {
    return std::nullopt;
  }
  for (const std::string_view keyword : KEYWORDS) {
    if (name == keyword) {
      return std::nullopt;
    }
  }
  return name;
}

} // namespace vadrimel
