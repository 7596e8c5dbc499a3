#include "map/read_map_file.h"

#include <array>
#include <cstring>
#include <string_view>

#include "system/file_streams.h"

namespace vadrimel {

std::optional<MapReading> read_map_file(const std::string& path) {
  FileSource file;
  if (!file.open(path)) {
    return std::nullopt;
  }
  LinkerMapReader reader;
  std::array<char, LinkerMapReader::MOST_LINE_BYTES + 1> buffer{};
  std::size_t held = 0;
  // Within a line too long to hold, its bytes are passed over to its end.
  bool passing_over = false;
  for (std::size_t got = 0;
       (got = file.read(buffer.data() + held, buffer.size() - held)) != 0;) {
    held += got;
    std::string_view lines(buffer.data(), held);
    for (std::size_t end = lines.find('\n'); end != std::string_view::npos;
         end = lines.find('\n')) {
      if (passing_over) {
        passing_over = false;
      } else {
        reader.take_line(lines.substr(0, end));
      }
      lines.remove_prefix(end + 1);
    }
    if (lines.size() == buffer.size()) {
      if (!passing_over) {
        reader.take_long_line();
      }
      passing_over = true;
      lines = {};
    }
    if (!lines.empty()) {
      std::memmove(buffer.data(), lines.data(), lines.size());
    }
    held = lines.size();
  }
  // What follows the last line feed is a line cut short; nothing is no line.
  if (held != 0 && !passing_over) {
    reader.take_line({buffer.data(), held});
  }
  if (file.failed()) {
    return std::nullopt;
  }
  return reader.finish();
}

} // namespace vadrimel
