#ifndef VADRIMEL_SYSTEM_WINDOWS_TEXT_H_
#define VADRIMEL_SYSTEM_WINDOWS_TEXT_H_

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

/// Text as Windows' own functions take it, for the Windows platform files.

namespace vadrimel {

/// UTF-8 as UTF-16, by the system. With MB_ERR_INVALID_CHARS, empty when the
/// text is not UTF-8; without, each byte that is not shows as U+FFFD.
std::optional<std::wstring> to_utf16(std::string_view text, DWORD flags);

/// Valid UTF-16 as UTF-8, by the system.
std::string to_utf8(std::wstring_view text);

/// A command-line argument as UTF-8: a unit that is not Unicode (an unpaired
/// surrogate) becomes the byte 0xFF, which is never UTF-8.
std::string utf8_argument(std::wstring_view argument);

/// True when `name` matches `pattern` as Windows documents patterns for long
/// names: '*' any run of characters, '?' exactly one, and every other
/// character itself in any letter case. Our own matcher rather than
/// PathMatchSpecW, which follows MS-DOS: it takes ';' in a pattern to part
/// several patterns, though ';' may stand in a name.
bool matches_pattern(std::wstring_view pattern, std::wstring_view name);

} // namespace vadrimel

#endif // VADRIMEL_SYSTEM_WINDOWS_TEXT_H_
