#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shlwapi.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "driver/platform.h"

namespace vadrimel {

namespace {

namespace fs = std::filesystem;

constexpr std::wstring_view EXTENDED_PREFIX = L"\\\\?\\";
constexpr std::wstring_view EXTENDED_UNC_PREFIX = L"\\\\?\\UNC\\";
constexpr std::wstring_view DEVICE_PREFIX = L"\\\\.\\";
constexpr std::wstring_view UNC_PREFIX = L"\\\\";
constexpr char NOT_UTF8 = '\xFF';

int length_of(std::size_t size) {
  return static_cast<int>(size);
}

/// UTF-8 as UTF-16, by the system. With MB_ERR_INVALID_CHARS, empty when the
/// text is not UTF-8; without, each byte that is not shows as U+FFFD.
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

/// Valid UTF-16 as UTF-8, by the system.
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

bool unpaired_surrogate_at(std::wstring_view text, std::size_t at) {
  if (IS_HIGH_SURROGATE(text[at])) {
    return at + 1 == text.size() || !IS_LOW_SURROGATE(text[at + 1]);
  }
  if (IS_LOW_SURROGATE(text[at])) {
    return at == 0 || !IS_HIGH_SURROGATE(text[at - 1]);
  }
  return false;
}

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

/// The name made absolute by Windows itself: it knows each drive's current
/// directory, device names such as NUL, and drops trailing dots and spaces.
std::optional<std::wstring> absolute_form(const std::wstring& name) {
  // A buffer that fits most paths first, then one of the size asked for. wine
  // mishandles a drive-relative name when asked for the size alone (it
  // crashes) or given a buffer of 64 KiB or more.
  std::wstring full(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD length = GetFullPathNameW(name.c_str(), static_cast<DWORD>(full.size()),
                                          full.data(), nullptr);
    if (length == 0) {
      return std::nullopt;
    }
    const bool fits = length < full.size();
    full.resize(length);
    if (fits) {
      return full;
    }
  }
  return std::nullopt;
}

/// The form in which Windows opens a name of any length: as given when short;
/// else its absolute form, behind `\\?\` when still too long for the
/// ordinary functions, which lifts the limit even where the system's
/// long-path setting is off. Windows does no more of its own name handling
/// on a `\\?\` path, so that form is made only from a resolved one.
std::optional<std::wstring> openable_form(const std::wstring& name) {
  if (name.starts_with(EXTENDED_PREFIX) || name.starts_with(DEVICE_PREFIX)) {
    return name;
  }
  const std::optional<std::wstring> full = absolute_form(name);
  if (!full || full->size() < MAX_PATH || full->starts_with(DEVICE_PREFIX)) {
    return name.size() < MAX_PATH || !full ? name : *full;
  }
  if (full->starts_with(UNC_PREFIX)) {
    return std::wstring(EXTENDED_UNC_PREFIX) + full->substr(UNC_PREFIX.size());
  }
  return std::wstring(EXTENDED_PREFIX) + *full;
}

/// The UTF-16 units of the character that `text` starts with.
std::size_t character_size(std::wstring_view text) {
  return text.size() >= 2 && IS_HIGH_SURROGATE(text[0]) && IS_LOW_SURROGATE(text[1]) ? 2
                                                                                     : 1;
}

/// True when `name` matches `pattern` as Windows documents patterns for long
/// names: '*' any run of characters, '?' exactly one, and every other
/// character itself in any letter case. Our own matcher rather than
/// PathMatchSpecW, which follows MS-DOS: it takes ';' in a pattern to part
/// several patterns, though ';' may stand in a name.
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

/// A handle that is closed when it goes.
struct OpenHandle {
  HANDLE handle;
  explicit OpenHandle(HANDLE opened) : handle(opened) {}
  OpenHandle(const OpenHandle&) = delete;
  OpenHandle& operator=(const OpenHandle&) = delete;
  ~OpenHandle() {
    if (valid()) {
      CloseHandle(handle);
    }
  }
  [[nodiscard]] bool valid() const { return handle != INVALID_HANDLE_VALUE; }
};

/// Opens whatever `path` leads to, links followed, for its attributes only:
/// every share mode, so that no other program's use of it stands in the way,
/// and folders too.
OpenHandle open_for_attributes(const fs::path& path) {
  return OpenHandle(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                nullptr));
}

/// Windows' own identity of a file: its volume's serial number and its index
/// on the volume, the same whatever name, drive letter, share, link or
/// letter case reached it. The 128-bit form where the file system has one,
/// else the 64-bit one. Only files on a disk have one; a pipe, a console or
/// NUL has none.
std::optional<FileIdentity> identity_from(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION information;
  if (GetFileType(file) != FILE_TYPE_DISK ||
      GetFileInformationByHandle(file, &information) == 0 ||
      (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return std::nullopt;
  }
  FILE_ID_INFO id_information;
  if (GetFileInformationByHandleEx(file, FileIdInfo, &id_information,
                                   sizeof id_information) != 0) {
    std::uint64_t high = 0;
    std::uint64_t low = 0;
    static_assert(sizeof id_information.FileId.Identifier == sizeof high + sizeof low);
    std::memcpy(&low, id_information.FileId.Identifier, sizeof low);
    std::memcpy(&high, id_information.FileId.Identifier + sizeof low, sizeof high);
    return FileIdentity{.volume = id_information.VolumeSerialNumber,
                        .index_high = high,
                        .index_low = low};
  }
  return FileIdentity{.volume = information.dwVolumeSerialNumber,
                      .index_high = information.nFileIndexHigh,
                      .index_low = information.nFileIndexLow};
}

} // namespace

void prepare_process() {
  static_cast<void>(_setmode(_fileno(stdin), _O_BINARY));
  static_cast<void>(_setmode(_fileno(stdout), _O_BINARY));
  static_cast<void>(_setmode(_fileno(stderr), _O_BINARY));
}

std::optional<fs::path> native_path(const std::string& name) {
  const std::optional<std::wstring> wide = to_utf16(name, MB_ERR_INVALID_CHARS);
  if (!wide) {
    return std::nullopt;
  }
  const std::optional<std::wstring> openable = openable_form(*wide);
  return openable ? std::optional<fs::path>(*openable) : std::nullopt;
}

std::optional<fs::path> full_path(const std::string& name) {
  const std::optional<std::wstring> wide = to_utf16(name, MB_ERR_INVALID_CHARS);
  const std::optional<std::wstring> full = wide ? absolute_form(*wide) : std::nullopt;
  return full ? std::optional<fs::path>(*full) : std::nullopt;
}

const std::string_view FOLDER_SEPARATORS = "\\/:";

std::vector<std::string> listings_named(const std::string& name_as_given) {
  // Matched as dir matches it: the dots and spaces that end the last part
  // are dropped (*.lst. lists in.lst).
  const std::string name(resolved_name(name_as_given));
  const std::size_t last_part = name.find_last_of(FOLDER_SEPARATORS) + 1;
  const std::optional<fs::path> pattern = native_path(name);
  const std::optional<std::wstring> wide_part =
      to_utf16(std::string_view(name).substr(last_part), MB_ERR_INVALID_CHARS);
  if (name.find_first_of("*?", last_part) == std::string::npos || !pattern ||
      !wide_part) {
    return {name_as_given};
  }
  std::vector<std::wstring> found;
  WIN32_FIND_DATAW data;
  HANDLE const search = FindFirstFileW(pattern->c_str(), &data);
  for (bool more = search != INVALID_HANDLE_VALUE; more;
       more = FindNextFileW(search, &data) != 0) {
    // FindFirstFileW also matches a file by its short name: foo.lstx, whose
    // short name is FOO~1.LST, for *.lst.
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
        matches_pattern(*wide_part, data.cFileName)) {
      found.emplace_back(data.cFileName);
    }
  }
  if (search != INVALID_HANDLE_VALUE) {
    FindClose(search);
  }
  // In the order Explorer shows them: 9 before 10, a before B.
  std::sort(found.begin(), found.end(),
            [](const std::wstring& first, const std::wstring& second) {
              return StrCmpLogicalW(first.c_str(), second.c_str()) < 0;
            });
  std::vector<std::string> listings;
  for (const std::wstring& file : found) {
    listings.push_back(name.substr(0, last_part) + utf8_argument(file));
  }
  return listings;
}

std::vector<std::string> files_in_folder(const std::string& folder) {
  std::vector<std::string> names;
  const std::optional<fs::path> pattern = native_path(folder + "*");
  if (!pattern) {
    return names;
  }
  WIN32_FIND_DATAW data;
  HANDLE const search = FindFirstFileW(pattern->c_str(), &data);
  for (bool more = search != INVALID_HANDLE_VALUE; more;
       more = FindNextFileW(search, &data) != 0) {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      names.push_back(utf8_argument(data.cFileName));
    }
  }
  if (search != INVALID_HANDLE_VALUE) {
    FindClose(search);
  }
  return names;
}

std::FILE* open_file(const fs::path& path, bool for_writing) {
  return _wfopen(path.c_str(), for_writing ? L"wb" : L"rb");
}

std::optional<FileIdentity> identity_of(const fs::path& path) {
  const OpenHandle file = open_for_attributes(path);
  return file.valid() ? identity_from(file.handle) : std::nullopt;
}

std::optional<FileIdentity> identity_of(std::FILE* stream) {
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  return handle != INVALID_HANDLE_VALUE ? identity_from(handle) : std::nullopt;
}

bool leads_to_directory(const fs::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<fs::path> final_name(const fs::path& path) {
  const OpenHandle file = open_for_attributes(path);
  BY_HANDLE_FILE_INFORMATION information;
  if (!file.valid() || GetFileType(file.handle) != FILE_TYPE_DISK ||
      GetFileInformationByHandle(file.handle, &information) == 0 ||
      (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return std::nullopt;
  }
  std::wstring name(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD length = GetFinalPathNameByHandleW(
        file.handle, name.data(), static_cast<DWORD>(name.size()), FILE_NAME_NORMALIZED);
    if (length == 0) {
      return std::nullopt;
    }
    const bool fits = length < name.size();
    name.resize(fits ? length : length + 1);
    if (fits) {
      return fs::path(name);
    }
  }
  return std::nullopt;
}

bool stream_is_open(std::FILE* stream) {
  const int descriptor = _fileno(stream);
  if (descriptor < 0) {
    return false;
  }
  const intptr_t handle = _get_osfhandle(descriptor);
  // -2: a standard stream with no handle behind it.
  return handle != -1 && handle != -2;
}

bool names_alike(const std::string& first, const std::string& second) {
  const std::optional<fs::path> first_full = full_path(first);
  const std::optional<fs::path> second_full = full_path(second);
  if (!first_full || !second_full) {
    return first == second;
  }
  const std::wstring& one = first_full->native();
  const std::wstring& other = second_full->native();
  return CompareStringOrdinal(one.data(), static_cast<int>(one.size()), other.data(),
                              static_cast<int>(other.size()), TRUE) == CSTR_EQUAL;
}

bool reader_has_left() {
  const DWORD error = GetLastError();
  return errno == EPIPE || error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE ||
         error == ERROR_PIPE_NOT_CONNECTED;
}

void write_message(std::FILE* messages, std::string_view text) {
  const std::wstring wide = to_utf16(text, 0).value_or(std::wstring());
  HANDLE const handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(messages)));
  DWORD mode = 0;
  if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0) {
    // A console shows UTF-16 as it is, whatever its code page.
    static_cast<void>(std::fflush(messages));
    DWORD written = 0;
    static_cast<void>(WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()),
                                    &written, nullptr));
    return;
  }
  const std::string bytes = to_utf8(wide);
  static_cast<void>(std::fwrite(bytes.data(), 1, bytes.size(), messages));
}

namespace {

/// The console window that Explorer opened for the program alone.
class WindowsConsole final : public Console {
public:
  WindowsConsole()
      : output_(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                            nullptr)),
        start_(cursor()) {}

  [[nodiscard]] bool has_window() const override { return GetConsoleWindow() != nullptr; }
  [[nodiscard]] bool input_is_console() const override {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
  }
  [[nodiscard]] bool printed_since_start() const override {
    const COORD now = cursor();
    return now.X != start_.X || now.Y != start_.Y;
  }
  void say(std::string_view text) override {
    const std::wstring wide = to_utf16(text, 0).value_or(std::wstring());
    DWORD written = 0;
    static_cast<void>(WriteConsoleW(output_.handle, wide.data(),
                                    static_cast<DWORD>(wide.size()), &written, nullptr));
  }
  void wait_for_key() override {
    HANDLE const input = GetStdHandle(STD_INPUT_HANDLE);
    static_cast<void>(FlushConsoleInputBuffer(input));
    INPUT_RECORD record;
    DWORD read = 0;
    while (ReadConsoleInputW(input, &record, 1, &read) != 0 && read == 1) {
      if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown != 0) {
        return;
      }
    }
  }

private:
  [[nodiscard]] COORD cursor() const {
    CONSOLE_SCREEN_BUFFER_INFO information;
    if (GetConsoleScreenBufferInfo(output_.handle, &information) == 0) {
      return {0, 0};
    }
    return information.dwCursorPosition;
  }

  OpenHandle output_;
  COORD start_;
};

} // namespace

std::unique_ptr<Console> console_window_of_its_own() {
  // Two processes share the console of a cmd window or a build tool; a
  // console window of the program's own has the program alone.
  std::array<DWORD, 2> processes{};
  if (GetConsoleProcessList(processes.data(), static_cast<DWORD>(processes.size())) !=
      1) {
    return nullptr;
  }
  return std::make_unique<WindowsConsole>();
}

bool is_help_request(std::string_view argument) {
  return argument == "/?";
}

std::string manual_reference() {
  std::wstring program(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    const DWORD length =
        GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size()));
    if (length != 0 && length < program.size()) {
      program.resize(length);
      // The program stands in bin; the manual in the folder above it.
      const fs::path manual =
          fs::path(program).parent_path().parent_path() / L"vadrimel.html";
      if (GetFileAttributesW(manual.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return to_utf8(manual.native());
      }
      break;
    }
    program.resize(program.size() * 4);
  }
  // Copied out of its folder, the program names the manual where the zip
  // holds it.
  return "vadrimel.html, beside the folder bin in the zip vadrimel came in";
}

std::string_view resolved_name(std::string_view name) {
  // Windows drops them from a name's last part as it resolves it.
  const std::size_t last_part = name.find_last_of(FOLDER_SEPARATORS) + 1;
  const std::size_t end = name.find_last_not_of(". ");
  const std::string_view part = name.substr(last_part);
  if (part == "." || part == ".." || end == std::string_view::npos || end < last_part) {
    return name;
  }
  return name.substr(0, end + 1);
}

std::vector<std::string> utf8_arguments(int count, wchar_t** arguments) {
  std::vector<std::string> utf8;
  for (int index = 0; index < count; ++index) {
    utf8.push_back(utf8_argument(arguments[index]));
  }
  return utf8;
}

} // namespace vadrimel
