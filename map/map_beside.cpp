#include "map/map_beside.h"

#include <algorithm>
#include <string_view>

#include "system/platform.h"

namespace vadrimel {

namespace {

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

} // namespace

MapsBeside maps_beside(const std::string& listing) {
  const std::size_t name_start = listing.find_last_of(FOLDER_SEPARATORS) + 1;
  const std::string folder = listing.substr(0, name_start);
  const std::string_view name = std::string_view(listing).substr(name_start);
  const std::size_t dot = name.rfind('.');
  const std::string_view stem =
      dot == std::string_view::npos ? name : name.substr(0, dot);
  std::optional<std::string> same_name;
  std::vector<std::string> maps;
  bool other_listing = false;
  for (const std::string& entry : files_in_folder(folder)) {
    if (ends_in(entry, ".map")) {
      maps.push_back(folder + entry);
      if (entry.size() == stem.size() + 4 && entry.starts_with(stem)) {
        same_name = entry;
      }
    } else if (ends_in(entry, ".lst") && entry != name) {
      other_listing = true;
    }
  }
  if (same_name) {
    return {folder + *same_name, {}};
  }
  if (maps.size() == 1 && !other_listing) {
    return {maps.front(), {}};
  }
  std::sort(maps.begin(), maps.end());
  return {std::nullopt, maps.size() > 1 ? maps : std::vector<std::string>{}};
}

} // namespace vadrimel
