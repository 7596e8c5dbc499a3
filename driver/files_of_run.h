#ifndef VADRIMEL_DRIVER_FILES_OF_RUN_H_
#define VADRIMEL_DRIVER_FILES_OF_RUN_H_

#include <string>
#include <vector>

#include "system/file_streams.h"
#include "system/platform.h"

namespace vadrimel {

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

#endif // VADRIMEL_DRIVER_FILES_OF_RUN_H_
