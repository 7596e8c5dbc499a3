#ifndef VADRIMEL_FORMS_JSON_UTF8_TEXT_H_
#define VADRIMEL_FORMS_JSON_UTF8_TEXT_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace vadrimel {

/// How many bytes the valid UTF-8 sequence at the start of `text` takes; 0
/// when it starts with no valid sequence (or is empty).
std::size_t utf8_length(std::string_view text);

/// `text` as valid UTF-8, as JSON and Markdown are read: valid UTF-8 as it
/// is, and a byte that is not part of valid UTF-8 (a Windows-1252 letter) as
/// the code point of that byte.
std::string as_valid_utf8(std::string_view text);

} // namespace vadrimel

#endif // VADRIMEL_FORMS_JSON_UTF8_TEXT_H_
