#ifndef VADRIMEL_DRIVER_FILE_STREAMS_H_
#define VADRIMEL_DRIVER_FILE_STREAMS_H_

#include <cstdio>
#include <string>
#include <string_view>

#include "listing/byte_stream.h"

namespace vadrimel {

/// The one place that knows how files are opened and compared on this
/// platform. Files are always opened in binary mode: no newline translation.

/// The input listing, read in large blocks without the C library's own
/// buffering (the reader buffers).
class FileSource final : public ByteSource {
public:
  FileSource() = default;
  ~FileSource() override;

  /// False when the file cannot be opened for reading, or is a directory.
  /// Names are UTF-8 on Windows and bytes elsewhere.
  bool open(const std::string& name);
  std::size_t read(char* buffer, std::size_t capacity) override;
  [[nodiscard]] bool failed() const override;

private:
  std::FILE* file_ = nullptr;
};

/// The output file, created (or emptied) on open.
class FileSink final : public ByteSink {
public:
  FileSink() = default;
  ~FileSink() override;

  bool create(const std::string& name);
  bool write(const char* bytes, std::size_t size) override;
  bool close() override;

private:
  std::FILE* file_ = nullptr;
};

/// Makes standard output write bytes as given, so that messages end in LF on
/// every system, as they do on Linux, and scripts see the same bytes.
void use_binary_standard_output();

/// Writes a message (UTF-8 text) to `messages` as bytes; on a Windows console
/// as UTF-16, so that any name shows as it is.
void write_message(std::FILE* messages, std::string_view text);

/// True when both names are of one existing regular file, by whatever spelling,
/// letter case (where the system ignores it) or link. Devices and anything
/// that does not exist yet are never the same.
bool names_same_regular_file(const std::string& input_name,
                             const std::string& output_name);

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_FILE_STREAMS_H_
