#include "forms/json/utf8_text.h"

namespace vadrimel {

std::size_t utf8_length(std::string_view text) {
  if (text.empty()) {
    return 0;
  }
  const auto byte = [&text](std::size_t index) {
    return static_cast<unsigned char>(text[index]);
  };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead < 0x80) {
    return 1;
  }
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    low = lead == 0xE0 ? 0xA0 : 0x80;
    high = lead == 0xED ? 0x9F : 0xBF;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    low = lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) {
    return 0;
  }
  for (std::size_t index = 2; index < length; ++index) {
    if (byte(index) < 0x80 || byte(index) > 0xBF) {
      return 0;
    }
  }
  return length;
}

std::string as_valid_utf8(std::string_view text) {
  std::string valid;
  while (!text.empty()) {
    const std::size_t length = utf8_length(text);
    if (length != 0) {
      valid.append(text.substr(0, length));
      text.remove_prefix(length);
      continue;
    }
    const auto byte = static_cast<unsigned char>(text.front());
    valid += static_cast<char>(0xC0U | (byte >> 6U));
    valid += static_cast<char>(0x80U | (byte & 0x3FU));
    text.remove_prefix(1);
  }
  return valid;
}

} // namespace vadrimel
