#ifndef VADRIMEL_DRIVER_FOR_EACH_LISTING_H_
#define VADRIMEL_DRIVER_FOR_EACH_LISTING_H_

#include <span>
#include <string>
#include <vector>

#include "system/platform.h"

namespace vadrimel {

/// Calls `action` on each listing that the names stand for, in order. A
/// pattern that matches nothing stands for itself, which no file can be
/// named, so that it gets the message of a listing that cannot be opened in
/// its place.
template <typename Action>
void for_each_listing(std::span<const char* const> names, Action action) {
  for (const std::string name : names) {
    std::vector<std::string> listings = listings_named(name);
    if (listings.empty()) {
      listings.push_back(name);
    }
    for (const std::string& listing : listings) {
      action(listing);
    }
  }
}

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_FOR_EACH_LISTING_H_
