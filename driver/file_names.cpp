#include "driver/file_names.h"

#include <algorithm>
#include <vector>

namespace vadrimel {

namespace {

constexpr char16_t REPLACEMENT_CHARACTER = 0xFFFD;
constexpr char32_t FIRST_SURROGATE = 0xD800;
constexpr char32_t FIRST_LOW_SURROGATE = 0xDC00;
constexpr char32_t LAST_SURROGATE = 0xDFFF;
constexpr char32_t LAST_CODE_POINT = 0x10FFFF;
constexpr std::u16string_view EXTENDED_PREFIX = u"\\\\?\\";
constexpr std::u16string_view EXTENDED_UNC_PREFIX = u"\\\\?\\UNC\\";

struct Decoded {
  char32_t code_point;
  std::size_t size;
};

/// The sequence's length and the bits its lead byte carries; size 0 for a
/// byte that cannot lead one.
Decoded read_lead_byte(unsigned char lead) {
  if (lead < 0x80) {
    return {lead, 1};
  }
  if (lead >= 0xC2 && lead <= 0xDF) {
    return {lead & 0x1FU, 2};
  }
  if ((lead & 0xF0U) == 0xE0) {
    return {lead & 0x0FU, 3};
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    return {lead & 0x07U, 4};
  }
  return {0, 0};
}

/// The code point that `text` (not empty) starts with; nothing when it does
/// not start with a valid sequence.
std::optional<Decoded> decode_one(std::string_view text) {
  constexpr char32_t SMALLEST[] = {0, 0, 0x80, 0x800, 0x10000};
  Decoded decoded = read_lead_byte(static_cast<unsigned char>(text[0]));
  if (decoded.size == 0 || text.size() < decoded.size) {
    return std::nullopt;
  }
  for (std::size_t index = 1; index < decoded.size; ++index) {
    const auto byte = static_cast<unsigned char>(text[index]);
    if ((byte & 0xC0U) != 0x80) {
      return std::nullopt;
    }
    decoded.code_point = (decoded.code_point << 6U) | (byte & 0x3FU);
  }
  const char32_t code_point = decoded.code_point;
  if (code_point < SMALLEST[decoded.size] || code_point > LAST_CODE_POINT ||
      (code_point >= FIRST_SURROGATE && code_point <= LAST_SURROGATE)) {
    return std::nullopt;
  }
  return decoded;
}

/// How many bytes one U+FFFD stands for where `text` does not start with a
/// valid sequence: three for an encoded surrogate (the form an unpaired one
/// takes in a name), so that it shows as one character; else one.
std::size_t invalid_sequence_size(std::string_view text) {
  const bool encoded_surrogate = text.size() >= 3 && text[0] == '\xED' &&
                                 (static_cast<unsigned char>(text[1]) & 0xE0U) == 0xA0 &&
                                 (static_cast<unsigned char>(text[2]) & 0xC0U) == 0x80;
  return encoded_surrogate ? 3 : 1;
}

void append_utf16(std::u16string& text, char32_t code_point) {
  if (code_point < 0x10000) {
    text += static_cast<char16_t>(code_point);
    return;
  }
  const char32_t offset = code_point - 0x10000;
  text += static_cast<char16_t>(FIRST_SURROGATE + (offset >> 10U));
  text += static_cast<char16_t>(FIRST_LOW_SURROGATE + (offset & 0x3FFU));
}

void append_utf8(std::string& text, char32_t code_point) {
  if (code_point < 0x80) {
    text += static_cast<char>(code_point);
  } else if (code_point < 0x800) {
    text += static_cast<char>(0xC0U | (code_point >> 6U));
    text += static_cast<char>(0x80U | (code_point & 0x3FU));
  } else if (code_point < 0x10000) {
    text += static_cast<char>(0xE0U | (code_point >> 12U));
    text += static_cast<char>(0x80U | ((code_point >> 6U) & 0x3FU));
    text += static_cast<char>(0x80U | (code_point & 0x3FU));
  } else {
    text += static_cast<char>(0xF0U | (code_point >> 18U));
    text += static_cast<char>(0x80U | ((code_point >> 12U) & 0x3FU));
    text += static_cast<char>(0x80U | ((code_point >> 6U) & 0x3FU));
    text += static_cast<char>(0x80U | (code_point & 0x3FU));
  }
}

bool is_high_surrogate(char32_t unit) {
  return unit >= FIRST_SURROGATE && unit < FIRST_LOW_SURROGATE;
}

bool is_low_surrogate(char32_t unit) {
  return unit >= FIRST_LOW_SURROGATE && unit <= LAST_SURROGATE;
}

bool is_drive_letter(char16_t unit) {
  return (unit >= u'A' && unit <= u'Z') || (unit >= u'a' && unit <= u'z');
}

char16_t upper_case(char16_t unit) {
  return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - u'a' + u'A') : unit;
}

/// Windows takes either separator; the `\\?\` form takes only `\`, and an
/// already extended path comes back to its plain form, to be judged anew.
std::u16string plain_form(std::u16string_view path) {
  std::u16string plain(path);
  for (char16_t& unit : plain) {
    unit = unit == u'/' ? u'\\' : unit;
  }
  if (plain.starts_with(EXTENDED_UNC_PREFIX)) {
    return u"\\\\" + plain.substr(EXTENDED_UNC_PREFIX.size());
  }
  return plain.starts_with(EXTENDED_PREFIX) ? plain.substr(EXTENDED_PREFIX.size())
                                            : plain;
}

/// The length of an absolute path's root: 2 for `C:\...`, that of
/// `\\server\share` for a network path; 0 for a path that is not absolute.
std::size_t root_length(std::u16string_view path) {
  if (path.size() >= 3 && is_drive_letter(path[0]) && path[1] == u':' &&
      path[2] == u'\\') {
    return 2;
  }
  if (!path.starts_with(u"\\\\")) {
    return 0;
  }
  const std::size_t server_end = path.find(u'\\', 2);
  const std::size_t share_end = server_end == std::u16string_view::npos
                                    ? server_end
                                    : path.find(u'\\', server_end + 1);
  return share_end == std::u16string_view::npos ? path.size() : share_end;
}

/// `path` made absolute the way Windows does: against the current directory,
/// or the root of its drive for `\x`, or that drive's root for `D:x` on
/// another drive.
std::u16string absolute_path(const std::u16string& path,
                             const std::u16string& current_directory) {
  if (root_length(path) != 0) {
    return path;
  }
  if (path.size() >= 2 && is_drive_letter(path[0]) && path[1] == u':') {
    const bool on_current_drive =
        current_directory.size() >= 2 &&
        upper_case(current_directory[0]) == upper_case(path[0]) &&
        current_directory[1] == u':';
    return (on_current_drive ? current_directory : path.substr(0, 2)) + u'\\' +
           path.substr(2);
  }
  if (path.starts_with(u'\\')) {
    return current_directory.substr(0, root_length(current_directory)) + path;
  }
  return current_directory + u'\\' + path;
}

/// The absolute path with empty and `.` names dropped and each `..` taking
/// away the name before it, never the root.
std::u16string resolve_dots(std::u16string_view absolute) {
  const std::size_t root = root_length(absolute);
  std::vector<std::u16string_view> names;
  std::u16string_view rest = absolute.substr(root);
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find(u'\\'), rest.size());
    const std::u16string_view name = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    if (name == u"..") {
      if (!names.empty()) {
        names.pop_back();
      }
    } else if (!name.empty() && name != u".") {
      names.push_back(name);
    }
  }
  std::u16string resolved(absolute.substr(0, root));
  for (const std::u16string_view name : names) {
    resolved.append(1, u'\\').append(name);
  }
  return names.empty() ? resolved + u'\\' : resolved;
}

} // namespace

std::optional<std::u16string> utf8_to_utf16(std::string_view text) {
  std::u16string converted;
  while (!text.empty()) {
    const std::optional<Decoded> decoded = decode_one(text);
    if (!decoded) {
      return std::nullopt;
    }
    append_utf16(converted, decoded->code_point);
    text.remove_prefix(decoded->size);
  }
  return converted;
}

std::u16string utf8_to_utf16_replacing(std::string_view text) {
  std::u16string converted;
  while (!text.empty()) {
    const std::optional<Decoded> decoded = decode_one(text);
    append_utf16(converted, decoded ? decoded->code_point : REPLACEMENT_CHARACTER);
    text.remove_prefix(decoded ? decoded->size : invalid_sequence_size(text));
  }
  return converted;
}

std::string utf16_to_utf8(std::u16string_view text) {
  std::string converted;
  for (std::size_t index = 0; index < text.size(); ++index) {
    const char32_t unit = text[index];
    if (is_high_surrogate(unit) && index + 1 < text.size() &&
        is_low_surrogate(text[index + 1])) {
      const char32_t low = text[++index];
      append_utf8(converted, 0x10000 + ((unit - FIRST_SURROGATE) << 10U) +
                                 (low - FIRST_LOW_SURROGATE));
    } else {
      append_utf8(converted, unit);
    }
  }
  return converted;
}

std::u16string extended_length_path(std::u16string_view path,
                                    std::u16string_view current_directory) {
  const std::u16string full =
      resolve_dots(absolute_path(plain_form(path), plain_form(current_directory)));
  if (full.size() < WINDOWS_MAX_PATH) {
    return path.size() < WINDOWS_MAX_PATH ? std::u16string(path) : full;
  }
  if (full.starts_with(u"\\\\")) {
    return std::u16string(EXTENDED_UNC_PREFIX) + full.substr(2);
  }
  return std::u16string(EXTENDED_PREFIX) + full;
}

} // namespace vadrimel
