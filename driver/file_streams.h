#ifndef VADRIMEL_DRIVER_FILE_STREAMS_H_
#define VADRIMEL_DRIVER_FILE_STREAMS_H_

#include <cstdio>
#include <string>
#include <string_view>

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

/// True when both names are of one existing regular file or one block device,
/// by whatever spelling, letter case (where the system ignores it) or link.
/// Other devices and anything that does not exist yet are never the same.
bool names_same_file(const std::string& input_name, const std::string& output_name);

/// True when `name` is of an existing file, not a directory, whose name ends
/// in ".lst" in any letter case.
bool names_existing_listing(const std::string& name);

/// The output that -b makes of a listing: its name with the last extension
/// replaced by ".txt" (a.lst and A.LST give a.txt and A.txt, x gives x.txt).
std::string output_name_for(std::string_view listing);

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_FILE_STREAMS_H_
