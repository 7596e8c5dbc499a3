#ifndef VADRIMEL_MAP_READ_MAP_FILE_H_
#define VADRIMEL_MAP_READ_MAP_FILE_H_

#include <optional>
#include <string>

#include "map/linker_map.h"

namespace vadrimel {

/// Reads the map file named, line by line through a fixed buffer. Empty
/// when the file cannot be opened or read. The caller makes sure it is a
/// regular file: a pipe with no writer, or /dev/zero, would never end.
std::optional<MapReading> read_map_file(const std::string& path);

} // namespace vadrimel

#endif // VADRIMEL_MAP_READ_MAP_FILE_H_
