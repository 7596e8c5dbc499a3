#ifndef VADRIMEL_DRIVER_PLATFORM_H_
#define VADRIMEL_DRIVER_PLATFORM_H_

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// What the program needs of the system it runs on. One file implements it
/// for POSIX systems (platform_posix.cpp), one for Windows
/// (platform_windows.cpp). File names are bytes on POSIX systems and UTF-8
/// on Windows.

namespace vadrimel {

/// Sets the process up for the program: standard output takes bytes as
/// given, so that messages end in LF on every system; a write that fails
/// (a closed pipe, a file-size limit) is reported by the write, not by a
/// signal that ends the process.
void prepare_process();

/// The name in the form in which the system opens it; empty for a name that
/// no file can have.
std::optional<std::filesystem::path> native_path(const std::string& name);

/// The name as the system resolves it: on Windows made absolute, device names
/// such as NUL recognised and trailing dots and spaces dropped; elsewhere the
/// name itself. Empty when it cannot be resolved.
std::optional<std::filesystem::path> full_path(const std::string& name);

/// The characters that end a folder's name in a path.
extern const std::string_view FOLDER_SEPARATORS;

/// The files that a listing's name stands for. On Windows, whose shells pass
/// patterns on as typed, a last part that holds * or ? is matched against the
/// folder's files (not its folders), in the order of their names; empty when
/// none matches. Elsewhere the shell has done that: the name itself.
std::vector<std::string> listings_named(const std::string& name);

/// Opens a file in binary mode: for reading, or created (emptied) for writing.
std::FILE* open_file(const std::filesystem::path& path, bool for_writing);

/// True when the two paths are of one existing regular file, or of one block
/// device, by whatever name.
bool same_file(const std::filesystem::path& first, const std::filesystem::path& second);

/// Writes a message (UTF-8 text) to `messages`, as bytes to a file or a pipe;
/// on a Windows console as UTF-16, so that any name shows as it is.
void write_message(std::FILE* messages, std::string_view text);

#ifdef _WIN32
/// The command line, which Windows hands over as UTF-16, as UTF-8. A unit
/// that is not Unicode (an unpaired surrogate) becomes the byte 0xFF, which
/// is never UTF-8: such a name shows as U+FFFD and opens no file at all.
std::vector<std::string> utf8_arguments(int count, wchar_t** arguments);
#endif

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_PLATFORM_H_
