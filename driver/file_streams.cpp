#include "driver/file_streams.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace vadrimel {

namespace {

namespace fs = std::filesystem;

bool is_regular_file(const std::string& path) {
  std::error_code error;
  return fs::is_regular_file(fs::status(path, error)) && !error;
}

bool is_directory(const std::string& path) {
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

bool FileSource::open(const std::string& path) {
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) {
    return false;
  }
  // Opening a directory succeeds on some systems; reading it does not.
  if (is_directory(path)) {
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

bool FileSink::create(const std::string& path) {
  file_ = std::fopen(path.c_str(), "wb");
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

bool names_same_regular_file(const std::string& input_path,
                             const std::string& output_path) {
  if (!is_regular_file(input_path) || !is_regular_file(output_path)) {
    return false;
  }
  std::error_code error;
  return fs::equivalent(input_path, output_path, error) && !error;
}

} // namespace vadrimel
