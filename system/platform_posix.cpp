#include <fcntl.h>
#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <system_error>

#include "system/platform.h"

namespace vadrimel {

namespace fs = std::filesystem;

namespace {

std::optional<FileIdentity> identity_from(const struct stat& status) {
  // A block device may have several nodes; the device number tells it.
  if (S_ISBLK(status.st_mode)) {
    return FileIdentity{.block_device = true, .volume = status.st_rdev};
  }
  if (S_ISREG(status.st_mode)) {
    return FileIdentity{.volume = status.st_dev, .index_low = status.st_ino};
  }
  return std::nullopt;
}

} // namespace

void prepare_process() {
  static_cast<void>(std::signal(SIGPIPE, SIG_IGN));
  static_cast<void>(std::signal(SIGXFSZ, SIG_IGN));
}

// A name is bytes, used exactly as given.
std::optional<fs::path> native_path(const std::string& name) {
  return fs::path(name);
}

std::optional<fs::path> full_path(const std::string& name) {
  return fs::path(name);
}

const std::string_view FOLDER_SEPARATORS = "/";

std::vector<std::string> listings_named(const std::string& name) {
  return {name};
}

std::vector<std::string> files_in_folder(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  fs::directory_iterator entries(folder.empty() ? fs::path(".") : fs::path(folder),
                                 error);
  for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
    if (!entries->is_directory(error)) {
      names.push_back(entries->path().filename().native());
    }
  }
  return names;
}

std::FILE* open_file(const fs::path& path, bool for_writing) {
  return std::fopen(path.c_str(), for_writing ? "wb" : "rb");
}

std::optional<FileIdentity> identity_of(const fs::path& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 ? identity_from(status) : std::nullopt;
}

bool leads_to_special_file(const fs::path& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode) &&
         !S_ISDIR(status.st_mode);
}

std::optional<FileIdentity> identity_of(std::FILE* stream) {
  struct stat status {};
  return fstat(fileno(stream), &status) == 0 ? identity_from(status) : std::nullopt;
}

bool leads_to_directory(const fs::path& path) {
  std::error_code error;
  return fs::is_directory(path, error) && !error;
}

std::optional<fs::path> final_name(const fs::path& path) {
  // realpath rather than std::filesystem::canonical, which resolves the name
  // a part at a time and touched 68 KiB more memory than the whole
  // conversion otherwise does.
  std::array<char, PATH_MAX> resolved{};
  if (realpath(path.c_str(), resolved.data()) != nullptr) {
    fs::path target(resolved.data());
    if (leads_to_directory(target)) {
      return std::nullopt;
    }
    return target;
  }
  if (errno != ENAMETOOLONG) {
    return std::nullopt;
  }
  // In a folder too deep for an absolute name, the links are followed by
  // hand, each target taken from its link's folder, so that names stay as
  // short as the ones given.
  constexpr int MOST_LINKS = 40;
  fs::path name = path;
  std::error_code error;
  for (int link = 0; link < MOST_LINKS && fs::is_symlink(name, error); ++link) {
    const fs::path target = fs::read_symlink(name, error);
    if (error) {
      return std::nullopt;
    }
    name = target.is_absolute() ? target : name.parent_path() / target;
  }
  if (!identity_of(name) && !fs::exists(name, error)) {
    return std::nullopt;
  }
  if (leads_to_directory(name)) {
    return std::nullopt;
  }
  return name;
}

bool stream_is_open(std::FILE* stream) {
  return fcntl(fileno(stream), F_GETFD) != -1;
}

bool names_alike(const std::string& first, const std::string& second) {
  return fs::path(first).lexically_normal() == fs::path(second).lexically_normal();
}

bool reader_has_left() {
  return errno == EPIPE;
}

std::unique_ptr<Console> console_window_of_its_own() {
  return nullptr;
}

bool is_help_request(std::string_view /*argument*/) {
  return false;
}

std::string manual_reference() {
  return "man vadrimel";
}

std::string_view resolved_name(std::string_view name) {
  return name;
}

void write_message(std::FILE* messages, std::string_view text) {
  static_cast<void>(std::fwrite(text.data(), 1, text.size(), messages));
}

} // namespace vadrimel
