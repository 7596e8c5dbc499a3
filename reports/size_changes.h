#ifndef VADRIMEL_REPORTS_SIZE_CHANGES_H_
#define VADRIMEL_REPORTS_SIZE_CHANGES_H_

#include <cstdint>
#include <string>
#include <vector>

#include "reports/build_sizes.h"

namespace vadrimel {

/// The size of one thing in two builds; 0 in a build that lacks it.
struct SizeChange {
  std::uint64_t old_bytes = 0;
  std::uint64_t new_bytes = 0;
  std::string name;
  /// A function's or block's file (the new build's path, the old one's for
  /// one of the old build alone); empty for a file's row.
  std::string file;
  /// A block's kind.
  MemoryKind kind = MemoryKind::CODE;

  [[nodiscard]] std::uint64_t magnitude() const {
    return new_bytes > old_bytes ? new_bytes - old_bytes : old_bytes - new_bytes;
  }
  [[nodiscard]] std::int64_t change() const {
    return static_cast<std::int64_t>(new_bytes - old_bytes);
  }
};

/// Two builds compared: every file and function of either, largest change
/// by magnitude first, then by name.
struct SizeChanges {
  /// False when the builds know no size of a file alike (a map alone against
  /// a listing without one): `files` is then empty.
  bool files_compared = true;
  std::vector<SizeChange> files;
  std::vector<SizeChange> functions;
  /// Every block of program memory, whatever its kind, by the file the map
  /// gives it: the rows of a file add up to its change.
  std::vector<SizeChange> blocks;
};

/// Files match by full path, then by name where the name is left exactly
/// once in each build (a build folder that moved). Functions match by name
/// and the name of their file, blocks by name and the name of the map's
/// file; the blocks of procedural abstraction and the strings (__pa_ and
/// __string_ and digits, renumbered in every build) count as one "__pa_*"
/// and one "__string_*" per file. With a map for one build alone, the files are compared
/// as the listings tell them, and no function is.
SizeChanges changes_of(const BuildSizes& old_build, const BuildSizes& new_build);

} // namespace vadrimel

#endif // VADRIMEL_REPORTS_SIZE_CHANGES_H_
