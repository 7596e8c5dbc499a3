#ifndef VADRIMEL_REPORT_BUILD_SIZES_H_
#define VADRIMEL_REPORT_BUILD_SIZES_H_

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "listing/line_source.h"
#include "report/code_places.h"
#include "report/map_file.h"

namespace vadrimel {

/// What a source file (or a "(section NAME)" block) owns of a build.
struct FileSize {
  std::string file;
  /// Program memory bytes, of which `code` are code.
  std::uint64_t flash = 0;
  std::uint64_t code = 0;
  /// Data memory bytes.
  std::uint64_t ram = 0;
};

/// A block of a code section, and the source line it starts on.
struct FunctionSize {
  std::string name;
  std::uint64_t address = 0;
  std::uint64_t bytes = 0;
  /// The source file of the line the listing gives its first word, else the
  /// block's file.
  std::string file;
  /// That line's number; empty when the listing has no code word there.
  std::optional<std::uint64_t> line;
  MemoryKind kind = MemoryKind::CODE;
  /// The block's own file, as the map gives it.
  std::string owner;
};

/// Everything the size report tells of one build.
struct BuildSizes {
  std::string listing;
  std::optional<MapFile> map;
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

/// Reads the listing named, and its map as `find_map` finds it (`map_name`
/// from -M, or null), into `sizes`, keeping the `top_lines` source lines with
/// the most code. Returns the exit status; on failure the message has been
/// written.
int read_build_sizes(const std::string& listing, const char* map_name,
                     std::size_t top_lines, LineSource& lines, BuildSizes& sizes,
                     std::FILE* messages);

/// Two builds are compared with their maps only when both have one: with a
/// map for one alone, a line on `messages` says which has none, and both are
/// compared as their listings alone.
void compare_maps_of_both_or_none(BuildSizes& old_build, BuildSizes& new_build,
                                  std::FILE* messages);

} // namespace vadrimel

#endif // VADRIMEL_REPORT_BUILD_SIZES_H_
