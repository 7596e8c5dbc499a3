#ifndef VADRIMEL_DRIVER_FILE_STREAMS_H_
#define VADRIMEL_DRIVER_FILE_STREAMS_H_

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/platform.h"
#include "listing/byte_stream.h"

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

/// True when both names are of one existing regular file or one block device,
/// by whatever spelling, letter case (where the system ignores it) or link.
/// Other devices and anything that does not exist yet are never the same.
bool names_same_file(const std::string& input_name, const std::string& output_name);

/// True when `name` leads to an existing regular file or block device.
bool names_existing_file(const std::string& name);

/// True when `name` is of an existing file, not a directory, whose name ends
/// in ".lst" in any letter case, or that is reached through a link whose name
/// does.
bool names_existing_listing(const std::string& name);

/// The output that -b makes of a listing: its name, as the system resolves
/// it, with the last extension replaced by ".txt" (a.lst and A.LST give
/// a.txt and A.txt, x gives x.txt, and on Windows in.lst. gives in.txt).
std::string output_name_for(std::string_view listing_as_given);

/// The files that one -b command names as listings and has written as
/// outputs, by identity, and the names it was given: none of them may become
/// an output.
class FilesOfRun {
public:
  /// Remembers `name`, and the file it leads to when it exists.
  void add(const std::string& name);
  /// Remembers the file `sink` writes.
  void add(const FileSink& sink);
  /// True when `name` leads to one of the files remembered, or is one of
  /// the names.
  [[nodiscard]] bool holds(const std::string& name) const;

private:
  std::vector<FileIdentity> identities_;
  std::vector<std::string> names_;
};

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_FILE_STREAMS_H_
