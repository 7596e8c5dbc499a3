#ifndef VADRIMEL_MODEL_READ_BUILD_H_
#define VADRIMEL_MODEL_READ_BUILD_H_

#include <optional>
#include <string>

#include "listing/line_source.h"
#include "map/linker_map.h"
#include "model/build.h"
#include "system/byte_stream.h"
#include "system/messages.h"

namespace vadrimel {

/// Reads the build of `listing` into `build`, once, for every mode: its map
/// (the one `map_name` names, from -M, else the one beside the listing),
/// then the listing's table with `lines` (whole lines) as the build's needs
/// say. Empty when it could be read; else the failure: a map named that
/// cannot be read, a listing that cannot be opened or read or is no linker
/// listing. A map beside the listing that is no map, and a map made at
/// another time, are notes of the build.
std::optional<Failure> read_build(const std::string& listing, const char* map_name,
                                  LineSource& lines, Build& build);

/// The map of a build, its memory worked out.
MapFile map_file_of(std::string path, LinkerMap map);

/// Reads the listing's table from `source` into `build`, whose map is set;
/// false when its lines are not a linker listing's. `read_failed()` of
/// `lines` tells a source that could not be read.
bool read_listing_table(ByteSource& source, LineSource& lines, Build& build);

} // namespace vadrimel

#endif // VADRIMEL_MODEL_READ_BUILD_H_
