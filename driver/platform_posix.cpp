#include <sys/stat.h>

#include <csignal>

#include "driver/platform.h"

namespace vadrimel {

namespace fs = std::filesystem;

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

std::FILE* open_file(const fs::path& path, bool for_writing) {
  return std::fopen(path.c_str(), for_writing ? "wb" : "rb");
}

bool same_file(const fs::path& first, const fs::path& second) {
  struct stat first_status {};
  struct stat second_status {};
  if (stat(first.c_str(), &first_status) != 0 ||
      stat(second.c_str(), &second_status) != 0) {
    return false;
  }
  // A block device may have several nodes; the device number tells it.
  if (S_ISBLK(first_status.st_mode) && S_ISBLK(second_status.st_mode)) {
    return first_status.st_rdev == second_status.st_rdev;
  }
  return S_ISREG(first_status.st_mode) && S_ISREG(second_status.st_mode) &&
         first_status.st_dev == second_status.st_dev &&
         first_status.st_ino == second_status.st_ino;
}

void write_message(std::FILE* messages, std::string_view text) {
  static_cast<void>(std::fwrite(text.data(), 1, text.size(), messages));
}

} // namespace vadrimel
