#ifndef VADRIMEL_REPORTS_BUILD_SIZES_H_
#define VADRIMEL_REPORTS_BUILD_SIZES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/build.h"
#include "model/build_memory.h"
#include "model/code_places.h"

namespace vadrimel {

/// What a source file (or a "(section NAME)" block) owns of a build. Like
/// every text of the sizes, a view of the build's own: the sizes live no
/// longer than the build.
struct FileSize {
  std::string_view file;
  /// Program memory bytes, of which `code` are code.
  std::uint64_t flash = 0;
  std::uint64_t code = 0;
  /// Data memory bytes.
  std::uint64_t ram = 0;
};

/// A block of a code section, and the source line it starts on.
struct FunctionSize {
  std::string_view name;
  std::uint64_t address = 0;
  std::uint64_t bytes = 0;
  /// The source file of the line the listing gives its first word, else the
  /// block's file.
  std::string_view file;
  /// That line's number; empty when the listing has no code word there.
  std::optional<std::uint64_t> line;
  MemoryKind kind = MemoryKind::CODE;
  /// The block's own file, as the map gives it.
  std::string_view owner;
};

/// Everything the size report tells of one build.
struct BuildSizes {
  std::string listing;
  /// The build is its map alone: no listing tells its files' code and lines.
  bool map_alone = false;
  /// The build's map; null without one.
  const MapFile* map = nullptr;
  /// The bytes of code the listing holds.
  std::uint64_t listing_bytes = 0;
  /// Most flash first, then most RAM, then by name; without a map, the
  /// listing's files, most code first.
  std::vector<FileSize> files;
  /// The listing's files, most code first, as `files` is without a map.
  std::vector<FileSize> listing_files;
  /// Most bytes first, then by name, then by address; empty without a map.
  std::vector<FunctionSize> functions;
  /// The source lines with the most code.
  std::vector<CodePlaces::Row> lines;
  /// Every block of the map, in its order, placed as the functions are.
  std::vector<FunctionSize> blocks;
};

/// The sizes of a build read with the places of its blocks and its top lines.
BuildSizes sizes_of(const Build& build);

/// The sizes as its listing alone tells them: the map's figures left out.
BuildSizes listing_alone(const BuildSizes& sizes);

} // namespace vadrimel

#endif // VADRIMEL_REPORTS_BUILD_SIZES_H_
