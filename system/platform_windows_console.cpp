// The process, its console and its messages on Windows; the files are in
// platform_windows.cpp.

#include <fcntl.h>
#include <io.h>

#include <array>
#include <cerrno>
#include <filesystem>

#include "system/platform.h"
#include "system/windows_handle.h"
#include "system/windows_text.h"

namespace vadrimel {

namespace fs = std::filesystem;

void prepare_process() {
  static_cast<void>(_setmode(_fileno(stdin), _O_BINARY));
  static_cast<void>(_setmode(_fileno(stdout), _O_BINARY));
  static_cast<void>(_setmode(_fileno(stderr), _O_BINARY));
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

std::vector<std::string> utf8_arguments(int count, wchar_t** arguments) {
  std::vector<std::string> utf8;
  for (int index = 0; index < count; ++index) {
    utf8.push_back(utf8_argument(arguments[index]));
  }
  return utf8;
}

} // namespace vadrimel
