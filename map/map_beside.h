#ifndef VADRIMEL_MAP_MAP_BESIDE_H_
#define VADRIMEL_MAP_MAP_BESIDE_H_

#include <optional>
#include <string>

namespace vadrimel {

/// The map beside a listing: the listing's name with its extension replaced
/// by ".map" in any letter case, else, when the listing's folder holds no
/// other listing (".lst"), the only ".map" file there. Empty when there is
/// none.
std::optional<std::string> map_beside(const std::string& listing);

} // namespace vadrimel

#endif // VADRIMEL_MAP_MAP_BESIDE_H_
