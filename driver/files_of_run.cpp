#include "driver/files_of_run.h"

#include <algorithm>
#include <optional>

#include "system/file_names.h"

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
