#ifndef VADRIMEL_REPORT_MAP_FILE_H_
#define VADRIMEL_REPORT_MAP_FILE_H_

#include <cstdio>
#include <optional>
#include <string>

#include "listing/listing_table.h"
#include "report/build_memory.h"
#include "report/linker_map.h"

namespace vadrimel {

/// The map of a build, as a report uses it.
struct MapFile {
  /// The path as it was opened.
  std::string path;
  LinkerMap map;
  BuildMemory memory;
};

/// The map beside a listing: the listing's name with its extension replaced
/// by ".map" in any letter case, else, when the listing's folder holds no
/// other listing (".lst"), the only ".map" file there. Empty when there is
/// none.
std::optional<std::string> map_beside(const std::string& listing);

/// The map of `listing`: the one `named` (option -M) when it is not null,
/// else the one beside the listing. A map named that cannot be read or holds
/// no section table is a failure, with its message: `map` is then empty and
/// the status 1. One found beside that holds none gets a line on `messages`,
/// and the report goes on without it.
int find_map(const std::string& listing, const char* named, std::optional<MapFile>& map,
             std::FILE* messages);

/// A line on `messages` when the map and the listing were made more than a
/// minute apart: the map may be of another build.
void warn_if_stale(const MapFile& map, const ListingTable& listing, std::FILE* messages);

} // namespace vadrimel

#endif // VADRIMEL_REPORT_MAP_FILE_H_
