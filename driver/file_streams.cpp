#include "driver/file_streams.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "driver/platform.h"

namespace vadrimel {

namespace {

namespace fs = std::filesystem;

bool names_directory(const fs::path& path) {
  std::error_code error;
  return fs::is_directory(path, error) && !error;
}

bool ends_in_lst(const fs::path& path) {
  constexpr std::string_view LISTING_ENDING = ".lst";
  const fs::path::string_type name = path.filename().native();
  if (name.size() < LISTING_ENDING.size()) {
    return false;
  }
  const std::size_t start = name.size() - LISTING_ENDING.size();
  for (std::size_t index = 0; index < LISTING_ENDING.size(); ++index) {
    const auto letter = name[start + index];
    const auto lower = letter >= 'A' && letter <= 'Z' ? letter - 'A' + 'a' : letter;
    if (lower != LISTING_ENDING[index]) {
      return false;
    }
  }
  return true;
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

bool names_same_file(const std::string& input_name, const std::string& output_name) {
  const std::optional<fs::path> input_path = native_path(input_name);
  const std::optional<fs::path> output_path = native_path(output_name);
  return input_path && output_path && same_file(*input_path, *output_path);
}

bool names_existing_listing(const std::string& name) {
  // The name as the system resolves it: on Windows "a.lst." is a.lst.
  const std::optional<fs::path> full = full_path(name);
  const std::optional<fs::path> path = native_path(name);
  std::error_code error;
  return full && path && ends_in_lst(*full) && fs::exists(*path, error) &&
         !names_directory(*path);
}

std::string output_name_for(std::string_view listing) {
  const std::size_t name_start = listing.find_last_of(FOLDER_SEPARATORS) + 1;
  const std::string_view name = listing.substr(name_start);
  // As std::filesystem has it: a leading dot starts a name, not an extension.
  const std::size_t dot = name.rfind('.');
  const bool has_extension = dot != std::string_view::npos && dot != 0 && name != "..";
  return std::string(
             listing.substr(0, name_start + (has_extension ? dot : name.size()))) +
         ".txt";
}

} // namespace vadrimel
