#include "map/read_map_file.h"

#include <array>
#include <cstring>
#include <string_view>

#include "system/file_streams.h"

namespace vadrimel {

std::optional<LinkerMap> read_map_file(const std::string& path) {
  FileSource file;
  if (!file.open(path)) {
    return std::nullopt;
  }
  LinkerMapReader reader;
  std::array<char, 1 << 15> buffer{};
  std::size_t held = 0;
  for (std::size_t got = 0;
       (got = file.read(buffer.data() + held, buffer.size() - held)) != 0;) {
    held += got;
    std::string_view lines(buffer.data(), held);
    for (std::size_t end = lines.find('\n'); end != std::string_view::npos;
         end = lines.find('\n')) {
      reader.take_line(lines.substr(0, end));
      lines.remove_prefix(end + 1);
    }
    if (lines.size() == buffer.size()) {
      reader.take_line(lines);
      lines = {};
    }
    std::memmove(buffer.data(), lines.data(), lines.size());
    held = lines.size();
  }
  reader.take_line({buffer.data(), held});
  std::optional<LinkerMap> map = reader.finish();
  if (file.failed()) {
    return std::nullopt;
  }
  return map;
}

} // namespace vadrimel
