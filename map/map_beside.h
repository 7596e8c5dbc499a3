#ifndef VADRIMEL_MAP_MAP_BESIDE_H_
#define VADRIMEL_MAP_MAP_BESIDE_H_

#include <optional>
#include <string>
#include <vector>

namespace vadrimel {

/// The maps beside a listing, as its folder holds them.
struct MapsBeside {
  /// The listing's name with its extension replaced by ".map" in any letter
  /// case, else, when the folder holds no other listing (".lst"), the only
  /// ".map" file there; empty when there is none.
  std::optional<std::string> map;
  /// With no map of the listing's name, the maps of the folder when it holds
  /// more than one, by name: which one is meant cannot be told.
  std::vector<std::string> several;
};

MapsBeside maps_beside(const std::string& listing);

} // namespace vadrimel

#endif // VADRIMEL_MAP_MAP_BESIDE_H_
