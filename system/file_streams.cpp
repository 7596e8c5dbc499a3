#include "system/file_streams.h"

#include <filesystem>
#include <optional>

#include "system/platform.h"

namespace vadrimel {

namespace fs = std::filesystem;

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

} // namespace vadrimel
