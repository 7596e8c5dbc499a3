#include "driver/file_streams.h"

#include <filesystem>
#include <optional>
#include <system_error>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "driver/file_names.h"
#endif

namespace vadrimel {

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32

/// The name as Windows takes it: UTF-16, in its long form when it is too long
/// for the ordinary one. Empty for a name that is not valid UTF-8.
std::optional<fs::path> native_path(const std::string& name) {
  const std::optional<std::u16string> wide = utf8_to_utf16(name);
  if (!wide) {
    return std::nullopt;
  }
  std::error_code error;
  const std::wstring current = fs::current_path(error).wstring();
  const std::u16string path =
      extended_length_path(*wide, std::u16string(current.begin(), current.end()));
  return fs::path(std::wstring(path.begin(), path.end()));
}

std::FILE* open_file(const fs::path& path, bool for_writing) {
  return _wfopen(path.c_str(), for_writing ? L"wb" : L"rb");
}

#else

/// On POSIX systems a name is bytes, used exactly as given.
std::optional<fs::path> native_path(const std::string& name) {
  return fs::path(name);
}

std::FILE* open_file(const fs::path& path, bool for_writing) {
  return std::fopen(path.c_str(), for_writing ? "wb" : "rb");
}

#endif

bool names_regular_file(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(fs::status(path, error)) && !error;
}

bool names_directory(const fs::path& path) {
  std::error_code error;
  return fs::is_directory(fs::status(path, error)) && !error;
}

} // namespace

FileSource::~FileSource() {
  if (file_ != nullptr) {
    // Nothing was written to it, so a failed close loses nothing.
    static_cast<void>(std::fclose(file_));
  }
}

bool FileSource::open(const std::string& name) {
  const std::optional<fs::path> path = native_path(name);
  file_ = path ? open_file(*path, false) : nullptr;
  if (file_ == nullptr) {
    return false;
  }
  // Opening a directory succeeds on some systems; reading it does not.
  if (names_directory(*path)) {
    return false;
  }
  // Our own buffer is large; a second copy through the stream's buffer would
  // only cost time.
  static_cast<void>(std::setvbuf(file_, nullptr, _IONBF, 0));
  return true;
}

std::size_t FileSource::read(char* buffer, std::size_t capacity) {
  return std::fread(buffer, 1, capacity, file_);
}

bool FileSource::failed() const {
  return std::ferror(file_) != 0;
}

FileSink::~FileSink() {
  if (file_ != nullptr) {
    static_cast<void>(std::fclose(file_));
  }
}

bool FileSink::create(const std::string& name) {
  const std::optional<fs::path> path = native_path(name);
  file_ = path ? open_file(*path, true) : nullptr;
  if (file_ == nullptr) {
    return false;
  }
  static_cast<void>(std::setvbuf(file_, nullptr, _IONBF, 0));
  return true;
}

bool FileSink::write(const char* bytes, std::size_t size) {
  return std::fwrite(bytes, 1, size, file_) == size;
}

bool FileSink::close() {
  if (file_ == nullptr) {
    return false;
  }
  std::FILE* const file = file_;
  file_ = nullptr;
  const bool flushed = std::fflush(file) == 0;
  const bool closed = std::fclose(file) == 0;
  return flushed && closed;
}

void use_binary_standard_output() {
#ifdef _WIN32
  static_cast<void>(_setmode(_fileno(stdout), _O_BINARY));
#endif
}

void write_message(std::FILE* messages, std::string_view text) {
#ifdef _WIN32
  // A name that is not valid Unicode is shown with U+FFFD where it is not.
  const std::u16string wide = utf8_to_utf16_replacing(text);
  HANDLE const handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(messages)));
  DWORD mode = 0;
  if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0) {
    // A console shows UTF-16 as it is, whatever its code page.
    static_cast<void>(std::fflush(messages));
    const std::wstring shown(wide.begin(), wide.end());
    DWORD written = 0;
    static_cast<void>(WriteConsoleW(handle, shown.data(),
                                    static_cast<DWORD>(shown.size()), &written, nullptr));
    return;
  }
  const std::string bytes = utf16_to_utf8(wide);
#else
  const std::string_view bytes = text;
#endif
  static_cast<void>(std::fwrite(bytes.data(), 1, bytes.size(), messages));
}

bool names_same_regular_file(const std::string& input_name,
                             const std::string& output_name) {
  const std::optional<fs::path> input_path = native_path(input_name);
  const std::optional<fs::path> output_path = native_path(output_name);
  if (!input_path || !output_path || !names_regular_file(*input_path) ||
      !names_regular_file(*output_path)) {
    return false;
  }
  std::error_code error;
  return fs::equivalent(*input_path, *output_path, error) && !error;
}

} // namespace vadrimel
