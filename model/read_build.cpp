#include "model/read_build.h"

#include <array>
#include <cstdint>
#include <utility>

#include "listing/code_row.h"
#include "map/map_beside.h"
#include "map/read_map_file.h"
#include "model/build_time.h"
#include "system/file_names.h"
#include "system/file_streams.h"

namespace vadrimel {

namespace {

constexpr std::int64_t MOST_SECONDS_APART = 60;

/// A note when the map and the listing were made more than a minute apart:
/// the map may be of another build.
void note_if_stale(Build& build) {
  const std::optional<std::int64_t> made = seconds_of_date(build.map->map.created);
  const std::optional<std::int64_t> listed = seconds_of_date(build.table().generated());
  if (!made || !listed) {
    return;
  }
  const std::int64_t apart = *made > *listed ? *made - *listed : *listed - *made;
  if (apart > MOST_SECONDS_APART) {
    build.notes.push_back(
        "Note: the map was not made with the listing (" + std::to_string(apart) +
        " seconds apart), it may be of another build:" + build.map->path + "\n");
  }
}

/// The map at `path`, named by -M or found beside the listing.
std::optional<Failure> read_map(const std::string& path, bool named, Build& build) {
  // A pipe with no writer, or /dev/zero, would never end: never opened.
  if (names_special_file(path)) {
    return Failure{"not a regular file", path};
  }
  std::optional<MapReading> reading = read_map_file(path);
  if (!reading || !reading->map) {
    if (named) {
      return Failure{"can't read map", path};
    }
    build.notes.push_back(
        "Note: no section table in the map, reported without it:" + path + "\n");
    return std::nullopt;
  }
  if (!reading->damage.empty()) {
    return Failure{"the map is cut or damaged", path + ": " + reading->damage};
  }
  if (!reading->left_out.empty()) {
    build.notes.push_back("Note: " + reading->left_out + ":" + path + "\n");
  }
  build.map = map_file_of(path, std::move(*reading->map));
  return std::nullopt;
}

/// The map named, or the one beside the listing.
std::optional<Failure> find_map(const char* named, Build& build) {
  if (named != nullptr) {
    return read_map(named, true, build);
  }
  const MapsBeside beside = maps_beside(build.listing);
  if (!beside.several.empty()) {
    // A folder of many builds' maps: the first few named, the rest counted.
    constexpr std::size_t NAMED = 3;
    std::string maps;
    for (std::size_t index = 0; index < beside.several.size() && index < NAMED; ++index) {
      maps += (maps.empty() ? "" : ", ") + beside.several[index];
    }
    if (beside.several.size() > NAMED) {
      maps += " and " + std::to_string(beside.several.size() - NAMED) + " more";
    }
    build.notes.push_back(
        "Note: " + std::to_string(beside.several.size()) +
        " maps lie beside the listing and none has its name (" + maps +
        "), reported without them; choose one with -M<map>:" + build.listing + "\n");
  }
  return beside.map ? read_map(*beside.map, false, build) : std::nullopt;
}

/// True when the file's text begins as an MPLINK map's does: its "MPLINK
/// ..., LINKER" line, or its section table before any line of a listing.
bool begins_as_map(const std::string& path) {
  FileSource file;
  std::array<char, 4096> start{};
  if (!file.open(path)) {
    return false;
  }
  std::string_view text(start.data(), file.read(start.data(), start.size()));
  if (text.starts_with("MPLINK ")) {
    return true;
  }
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    while (!line.empty() &&
           (line.front() == ' ' || line.back() == ' ' || line.back() == '\r')) {
      line = line.front() == ' ' ? line.substr(1) : line.substr(0, line.size() - 1);
    }
    if (line == "Section Info") {
      return true;
    }
    if (is_listing_header(text) || starts_with_address_and_value(text)) {
      return false;
    }
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return false;
}

} // namespace

MapFile map_file_of(std::string path, LinkerMap map) {
  BuildMemory memory = memory_of(map);
  return MapFile{std::move(path), std::move(map), std::move(memory)};
}

bool read_listing_table(ByteSource& source, LineSource& lines, Build& build) {
  ListingTable& table = build.table();
  lines.read(source, [&table](const ListingLine& line) {
    table.take_line(line);
    return true;
  });
  table.finish();
  return table.is_listing();
}

std::optional<Failure> read_build(const std::string& listing, const char* map_name,
                                  LineSource& lines, Build& build) {
  build.listing = listing;
  if (names_special_file(listing)) {
    return Failure{"not a regular file", listing};
  }
  // A map named where a listing goes is the build: most builds keep it alone.
  if (begins_as_map(listing)) {
    if (map_name != nullptr) {
      return Failure{"a map named as the build takes no -M", map_name};
    }
    build.map_alone = true;
    std::optional<Failure> failure = read_map(listing, true, build);
    build.ask_places();
    return failure;
  }
  if (std::optional<Failure> failure = find_map(map_name, build)) {
    return failure;
  }
  build.ask_places();
  FileSource file;
  if (!file.open(listing)) {
    return Failure{"can't open file", listing};
  }
  const bool is_listing = read_listing_table(file, lines, build);
  if (lines.read_failed()) {
    return Failure{"can't read file", listing};
  }
  // A report of anything else would be a confident answer about nothing.
  if (!is_listing) {
    return Failure{"not a linker listing", listing};
  }
  if (build.map) {
    note_if_stale(build);
  }
  return std::nullopt;
}

} // namespace vadrimel
