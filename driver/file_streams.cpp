#include "driver/file_streams.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "driver/platform.h"

namespace vadrimel {

namespace {

namespace fs = std::filesystem;

std::optional<FileIdentity> identity_of_name(const std::string& name) {
  const std::optional<fs::path> path = native_path(name);
  return path ? identity_of(*path) : std::nullopt;
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
  if (file_ != nullptr && owned_) {
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
  if (leads_to_directory(*path)) {
    return false;
  }
  // Our own buffer is large; a second copy through the stream's buffer would
  // only cost time.
  static_cast<void>(std::setvbuf(file_, nullptr, _IONBF, 0));
  return true;
}

void FileSource::open_stream(std::FILE* stream) {
  file_ = stream;
  owned_ = false;
  static_cast<void>(std::setvbuf(file_, nullptr, _IONBF, 0));
}

std::size_t FileSource::read(char* buffer, std::size_t capacity) {
  return std::fread(buffer, 1, capacity, file_);
}

bool FileSource::failed() const {
  return std::ferror(file_) != 0;
}

std::optional<FileIdentity> FileSource::identity() const {
  return identity_of(file_);
}

FileSink::~FileSink() {
  if (file_ != nullptr && owned_) {
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

void FileSink::open_stream(std::FILE* stream) {
  file_ = stream;
  owned_ = false;
  static_cast<void>(std::setvbuf(file_, nullptr, _IONBF, 0));
}

bool FileSink::write(const char* bytes, std::size_t size) {
  if (std::fwrite(bytes, 1, size, file_) == size) {
    return true;
  }
  reader_left_ = reader_has_left();
  return false;
}

bool FileSink::close() {
  if (file_ == nullptr) {
    return false;
  }
  if (!owned_) {
    return std::fflush(file_) == 0;
  }
  std::FILE* const file = file_;
  file_ = nullptr;
  const bool flushed = std::fflush(file) == 0;
  const bool closed = std::fclose(file) == 0;
  return flushed && closed;
}

std::optional<FileIdentity> FileSink::identity() const {
  return file_ != nullptr ? identity_of(file_) : std::nullopt;
}

bool names_same_file(const std::string& input_name, const std::string& output_name) {
  const std::optional<FileIdentity> input = identity_of_name(input_name);
  return input && input == identity_of_name(output_name);
}

bool names_existing_file(const std::string& name) {
  return identity_of_name(name).has_value();
}

bool names_existing_listing(const std::string& name) {
  const std::optional<fs::path> path = native_path(name);
  const std::optional<fs::path> target = path ? final_name(*path) : std::nullopt;
  if (!target) {
    return false;
  }
  // The name as the system resolves it (on Windows "a.lst." is a.lst), and
  // the name of the file it leads to.
  const std::optional<fs::path> full = full_path(name);
  return ends_in_lst(*target) || (full && ends_in_lst(*full));
}

std::string output_name_for(std::string_view listing_as_given) {
  const std::string_view listing = resolved_name(listing_as_given);
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

namespace vadrimel {

void FilesOfRun::add(const std::string& name) {
  names_.push_back(name);
  if (const std::optional<FileIdentity> identity = identity_of_name(name)) {
    identities_.push_back(*identity);
  }
}

void FilesOfRun::add(const FileSink& sink) {
  if (const std::optional<FileIdentity> identity = sink.identity()) {
    identities_.push_back(*identity);
  }
}

bool FilesOfRun::holds(const std::string& name) const {
  const std::optional<FileIdentity> identity = identity_of_name(name);
  if (identity &&
      std::find(identities_.begin(), identities_.end(), *identity) != identities_.end()) {
    return true;
  }
  // A name given that no file has yet would be created by one conversion
  // and read by another.
  return std::any_of(names_.begin(), names_.end(), [&name](const std::string& given) {
    return names_alike(given, name);
  });
}

} // namespace vadrimel
