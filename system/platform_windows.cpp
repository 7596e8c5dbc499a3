// The files and their names on Windows; the process and its console are in
// platform_windows_console.cpp.

// First: it brings windows.h, which shlwapi.h needs before it.
#include "system/windows_handle.h"

#include <io.h>
#include <shlwapi.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <system_error>

#include "system/platform.h"
#include "system/windows_text.h"

namespace vadrimel {

namespace {

namespace fs = std::filesystem;

constexpr std::wstring_view EXTENDED_PREFIX = L"\\\\?\\";
constexpr std::wstring_view EXTENDED_UNC_PREFIX = L"\\\\?\\UNC\\";
constexpr std::wstring_view DEVICE_PREFIX = L"\\\\.\\";
constexpr std::wstring_view UNC_PREFIX = L"\\\\";
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

bool leads_to_special_file(const fs::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return false;
  }
  // A device (NUL, CON, COM1) or a pipe is no file on a disk.
  const OpenHandle file = open_for_attributes(path);
  return file.valid() && GetFileType(file.handle) != FILE_TYPE_DISK;
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

} // namespace vadrimel
