#ifndef VADRIMEL_DRIVER_FILE_NAMES_H_
#define VADRIMEL_DRIVER_FILE_NAMES_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vadrimel {

/// File names are UTF-8 inside the program. Windows hands them over, and
/// takes them back, as UTF-16; these conversions are that edge. They are pure,
/// so they are tested on every system.

/// The UTF-16 form of a UTF-8 text; empty when the text is not valid UTF-8
/// (overlong forms, encoded surrogates and values past U+10FFFF included), so
/// that such a name can never open some other file.
std::optional<std::u16string> utf8_to_utf16(std::string_view text);

/// As `utf8_to_utf16`, with U+FFFD for each byte that is not part of a valid
/// sequence (and one for each encoded surrogate): for showing a name, never
/// for opening it.
std::u16string utf8_to_utf16_replacing(std::string_view text);

/// The UTF-8 form of a UTF-16 text. An unpaired surrogate, which Windows
/// allows in a name, keeps its own three-byte form: not valid UTF-8, so the
/// name comes back out as "can't open" rather than as a different file.
std::string utf16_to_utf8(std::u16string_view text);

/// The longest path Windows' ordinary file functions take, with its
/// terminating zero.
inline constexpr std::size_t WINDOWS_MAX_PATH = 260;

/// The form in which Windows opens `path` whatever its length: the path as
/// given when it and its absolute form are short; otherwise its absolute form
/// (made from `current_directory` when relative, `/` turned to `\`, `.` and
/// `..` resolved), behind the `\\?\` prefix when still too long, which
/// lifts the limit even where the system's long-path setting is off.
std::u16string extended_length_path(std::u16string_view path,
                                    std::u16string_view current_directory);

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_FILE_NAMES_H_
