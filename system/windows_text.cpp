#include "system/windows_text.h"

namespace vadrimel {

namespace {

constexpr char NOT_UTF8 = '\xFF';

int length_of(std::size_t size) {
  return static_cast<int>(size);
}

} // namespace

std::optional<std::wstring> to_utf16(std::string_view text, DWORD flags) {
  if (text.empty()) {
    return std::wstring();
  }
  const int size = MultiByteToWideChar(CP_UTF8, flags, text.data(),
                                       length_of(text.size()), nullptr, 0);
  if (size == 0) {
    return std::nullopt;
  }
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, flags, text.data(), length_of(text.size()), wide.data(),
                      size);
  return wide;
}

std::string to_utf8(std::wstring_view text) {
  if (text.empty()) {
    return {};
  }
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), length_of(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), length_of(text.size()), utf8.data(), size,
                      nullptr, nullptr);
  return utf8;
}

namespace {

bool unpaired_surrogate_at(std::wstring_view text, std::size_t at) {
  if (IS_HIGH_SURROGATE(text[at])) {
    return at + 1 == text.size() || !IS_LOW_SURROGATE(text[at + 1]);
  }
  if (IS_LOW_SURROGATE(text[at])) {
    return at == 0 || !IS_HIGH_SURROGATE(text[at - 1]);
  }
  return false;
}

} // namespace

std::string utf8_argument(std::wstring_view argument) {
  std::string utf8;
  std::size_t start = 0;
  for (std::size_t at = 0; at < argument.size(); ++at) {
    if (unpaired_surrogate_at(argument, at)) {
      utf8 += to_utf8(argument.substr(start, at - start)) + NOT_UTF8;
      start = at + 1;
    }
  }
  return utf8 + to_utf8(argument.substr(start));
}

namespace {

/// The UTF-16 units of the character that `text` starts with.
std::size_t character_size(std::wstring_view text) {
  return text.size() >= 2 && IS_HIGH_SURROGATE(text[0]) && IS_LOW_SURROGATE(text[1]) ? 2
                                                                                     : 1;
}

} // namespace

bool matches_pattern(std::wstring_view pattern, std::wstring_view name) {
  constexpr std::size_t NO_STAR = std::wstring_view::npos;
  std::size_t at_pattern = 0;
  std::size_t at_name = 0;
  // Where to go on after the last '*' if what follows it fails to match.
  std::size_t after_star = NO_STAR;
  std::size_t star_name = 0;
  while (at_name < name.size()) {
    const std::size_t name_size = character_size(name.substr(at_name));
    if (at_pattern < pattern.size() && pattern[at_pattern] == L'*') {
      after_star = ++at_pattern;
      star_name = at_name;
      continue;
    }
    if (at_pattern < pattern.size()) {
      const std::size_t pattern_size = character_size(pattern.substr(at_pattern));
      const bool same =
          pattern[at_pattern] == L'?' ||
          CompareStringOrdinal(pattern.data() + at_pattern,
                               static_cast<int>(pattern_size), name.data() + at_name,
                               static_cast<int>(name_size), TRUE) == CSTR_EQUAL;
      if (same) {
        at_pattern += pattern[at_pattern] == L'?' ? 1 : pattern_size;
        at_name += name_size;
        continue;
      }
    }
    if (after_star == NO_STAR) {
      return false;
    }
    star_name += character_size(name.substr(star_name));
    at_pattern = after_star;
    at_name = star_name;
  }
  while (at_pattern < pattern.size() && pattern[at_pattern] == L'*') {
    ++at_pattern;
  }
  return at_pattern == pattern.size();
}

} // namespace vadrimel
