#ifndef VADRIMEL_MAP_READ_MAP_FILE_H_
#define VADRIMEL_MAP_READ_MAP_FILE_H_

#include <optional>
#include <string>

#include "map/linker_map.h"

namespace vadrimel {

/// Reads the map file named, line by line through a fixed buffer (a line
/// longer than the buffer is read as several). Empty when the file cannot be
/// opened or read, or holds no section table.
std::optional<LinkerMap> read_map_file(const std::string& path);

} // namespace vadrimel

#endif // VADRIMEL_MAP_READ_MAP_FILE_H_
