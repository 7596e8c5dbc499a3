#ifndef VADRIMEL_SYSTEM_PLATFORM_H_
#define VADRIMEL_SYSTEM_PLATFORM_H_

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// What the program needs of the system it runs on. One file implements it
/// for POSIX systems (platform_posix.cpp), one for Windows
/// (platform_windows.cpp). File names are bytes on POSIX systems and UTF-8
/// on Windows.

namespace vadrimel {

/// Sets the process up for the program: the standard streams carry bytes
/// as they are, so that messages end in LF on every system and a
/// conversion to or from them is the same as to or from a file; a write that fails
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

/// The names of the files (not the folders) in a folder, given as a name
/// that is empty (the working directory) or ends in a folder separator; in
/// no particular order, empty when the folder cannot be read.
std::vector<std::string> files_in_folder(const std::string& folder);

/// Opens a file in binary mode: for reading, or created (emptied) for writing.
std::FILE* open_file(const std::filesystem::path& path, bool for_writing);

/// Which regular file or block device a name or an open stream leads to:
/// two are equal exactly when they are one file (or one device), by
/// whatever name, link or letter case.
struct FileIdentity {
  bool block_device = false;
  std::uint64_t volume = 0;
  std::uint64_t index_high = 0;
  std::uint64_t index_low = 0;
  bool operator==(const FileIdentity&) const = default;
};

/// The identity of the regular file or block device that `path` leads to,
/// links followed; empty for anything else (a directory, another device)
/// and for a name that leads nowhere.
std::optional<FileIdentity> identity_of(const std::filesystem::path& path);
/// The same for an open stream.
std::optional<FileIdentity> identity_of(std::FILE* stream);

/// True when `path` names an existing directory.
bool leads_to_directory(const std::filesystem::path& path);

/// True when `path` leads to something that exists and is neither a regular
/// file nor a directory: a pipe, a device, a socket. Told without opening
/// it, since opening a pipe that has no writer waits for one.
bool leads_to_special_file(const std::filesystem::path& path);

/// The name of the existing file (not a directory) that `path` leads to,
/// links followed, as the system resolves it; empty when there is none.
std::optional<std::filesystem::path> final_name(const std::filesystem::path& path);

/// True when `stream` is connected to a file, a pipe or a device: not so for
/// a standard stream that the program was started with closed.
bool stream_is_open(std::FILE* stream);

/// True when two names, neither of which need exist, name one file as the
/// names read: the same after `.` and `..` are resolved, on Windows made
/// absolute and in any letter case.
bool names_alike(const std::string& first, const std::string& second);

/// True when the last failed write failed because the reading end of a pipe
/// has gone.
bool reader_has_left();

/// The console window a program started from Explorer gets of its own,
/// which closes the moment the program ends.
class Console {
public:
  Console() = default;
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;
  virtual ~Console() = default;

  /// True when the console has a window on the screen (not so for a program
  /// started by a service or the task scheduler, or without a window).
  [[nodiscard]] virtual bool has_window() const = 0;
  /// True when standard input is this console, so that a key can be read.
  [[nodiscard]] virtual bool input_is_console() const = 0;
  /// True when anything has been written to the window since the program
  /// started.
  [[nodiscard]] virtual bool printed_since_start() const = 0;
  virtual void say(std::string_view text) = 0;
  virtual void wait_for_key() = 0;

protected:
  Console(Console&&) = default;
  Console& operator=(Console&&) = default;
};

/// The console window of the program's own, where there is one: on Windows
/// when no other program shares it (Explorer opened it for the program, and
/// closes it when the program ends). Made when the program starts.
std::unique_ptr<Console> console_window_of_its_own();

/// True when `argument`, given alone, asks for help: "/?" on Windows; never
/// elsewhere.
bool is_help_request(std::string_view argument);

/// Where the help sends its reader for more: "man vadrimel", or on Windows the
/// manual that comes with the program, vadrimel.html beside its folder bin
/// where it lies there, otherwise where the zip holds it.
std::string manual_reference();

/// The name as the system resolves its last part: on Windows without the
/// dots and spaces that end it (in.lst. is in.lst); elsewhere the name itself.
std::string_view resolved_name(std::string_view name);

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

#endif // VADRIMEL_SYSTEM_PLATFORM_H_
