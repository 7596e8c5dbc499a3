#include "report/map_file.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "driver/file_streams.h"
#include "driver/messages.h"
#include "driver/platform.h"
#include "report/build_time.h"

namespace vadrimel {

namespace {

constexpr std::int64_t MOST_SECONDS_APART = 60;

bool ends_in(std::string_view name, std::string_view ending) {
  if (name.size() < ending.size()) {
    return false;
  }
  name.remove_prefix(name.size() - ending.size());
  for (std::size_t index = 0; index < ending.size(); ++index) {
    const char letter = name[index];
    const char lower =
        letter >= 'A' && letter <= 'Z' ? static_cast<char>(letter - 'A' + 'a') : letter;
    if (lower != ending[index]) {
      return false;
    }
  }
  return true;
}

/// Reads the map named line by line through a fixed buffer; a line longer
/// than the buffer is read as several. Empty when the file cannot be read or
/// holds no section table.
std::optional<MapFile> map_file_of(const std::string& path) {
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
  if (file.failed() || !map) {
    return std::nullopt;
  }
  BuildMemory memory = memory_of(*map);
  return MapFile{path, std::move(*map), std::move(memory)};
}

} // namespace

std::optional<std::string> map_beside(const std::string& listing) {
  const std::size_t name_start = listing.find_last_of(FOLDER_SEPARATORS) + 1;
  const std::string folder = listing.substr(0, name_start);
  const std::string_view name = std::string_view(listing).substr(name_start);
  const std::size_t dot = name.rfind('.');
  const std::string_view stem =
      dot == std::string_view::npos ? name : name.substr(0, dot);
  std::optional<std::string> same_name;
  std::optional<std::string> only_map;
  std::size_t maps = 0;
  bool other_listing = false;
  for (const std::string& entry : files_in_folder(folder)) {
    if (ends_in(entry, ".map")) {
      ++maps;
      only_map = entry;
      if (entry.size() == stem.size() + 4 && entry.starts_with(stem)) {
        same_name = entry;
      }
    } else if (ends_in(entry, ".lst") && entry != name) {
      other_listing = true;
    }
  }
  if (same_name) {
    return folder + *same_name;
  }
  if (maps == 1 && !other_listing) {
    return folder + *only_map;
  }
  return std::nullopt;
}

int find_map(const std::string& listing, const char* named, std::optional<MapFile>& map,
             std::FILE* messages) {
  if (named != nullptr) {
    map = map_file_of(named);
    return map ? EXIT_SUCCESS : report_fatal(messages, "can't read map", named);
  }
  const std::optional<std::string> beside = map_beside(listing);
  if (beside) {
    map = map_file_of(*beside);
    if (!map) {
      write_message(messages, "Note: no section table in the map, reported without it:");
      write_message(messages, *beside);
      write_message(messages, "\n");
    }
  }
  return EXIT_SUCCESS;
}

void warn_if_stale(const MapFile& map, const ListingTable& listing, std::FILE* messages) {
  const std::optional<std::int64_t> made = seconds_of_date(map.map.created);
  const std::optional<std::int64_t> listed = seconds_of_date(listing.generated());
  if (!made || !listed) {
    return;
  }
  const std::int64_t apart = *made > *listed ? *made - *listed : *listed - *made;
  if (apart > MOST_SECONDS_APART) {
    write_message(messages, "Note: the map was not made with the listing (" +
                                std::to_string(apart) +
                                " seconds apart), it may be of another build:");
    write_message(messages, map.path);
    write_message(messages, "\n");
  }
}

} // namespace vadrimel
