#ifndef VADRIMEL_SYSTEM_FILE_STREAMS_H_
#define VADRIMEL_SYSTEM_FILE_STREAMS_H_

#include <cstdio>
#include <optional>
#include <string>

#include "system/byte_stream.h"
#include "system/platform.h"

namespace vadrimel {

/// Files as the conversion reads and writes them: always in binary mode, so
/// no newline translation. Names are bytes on POSIX systems and UTF-8 on
/// Windows.

/// The input listing, read in large blocks without the C library's own
/// buffering (the reader buffers).
class FileSource final : public ByteSource {
public:
  FileSource() = default;
  ~FileSource() override;

  /// False when the file cannot be opened for reading, or is a directory.
  bool open(const std::string& name);
  /// Reads an open stream (standard input), which stays open afterwards.
  void open_stream(std::FILE* stream);
  std::size_t read(char* buffer, std::size_t capacity) override;
  [[nodiscard]] bool failed() const override;
  /// The file read; empty when it is no regular file or block device.
  [[nodiscard]] std::optional<FileIdentity> identity() const;

private:
  std::FILE* file_ = nullptr;
  bool owned_ = true;
};

/// The output file, created (or emptied) on open.
class FileSink final : public ByteSink {
public:
  FileSink() = default;
  ~FileSink() override;

  bool create(const std::string& name);
  /// Writes to an open stream (standard output), which `close` only flushes,
  /// so that one conversion after another can go there.
  void open_stream(std::FILE* stream);
  bool write(const char* bytes, std::size_t size) override;
  bool close() override;
  /// The file written; empty when it is no regular file or block device.
  [[nodiscard]] std::optional<FileIdentity> identity() const;
  /// True when a write failed because the reader of a pipe has gone.
  [[nodiscard]] bool reader_left() const { return reader_left_; }

private:
  std::FILE* file_ = nullptr;
  bool owned_ = true;
  bool reader_left_ = false;
};

} // namespace vadrimel

#endif // VADRIMEL_SYSTEM_FILE_STREAMS_H_
