#ifndef VADRIMEL_REPORTS_ADDRESS_LOOKUP_H_
#define VADRIMEL_REPORTS_ADDRESS_LOOKUP_H_

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "model/build.h"
#include "model/build_memory.h"
#include "model/code_places.h"

namespace vadrimel {

/// The address an argument of -a names: hex digits, at most eight, with 0x
/// or 0X in front or not; empty when it names none.
std::optional<std::uint64_t> address_named(std::string_view argument);

/// Where an address came from.
struct AddressAnswer {
  /// The source line of its program word.
  const CodePlaces::Answer* place = nullptr;
  /// The block of program memory that holds it; null without a map or when
  /// no block does.
  const MemoryBlock* block = nullptr;

  /// True when neither the listing nor the map knows the address.
  [[nodiscard]] bool unknown() const { return block == nullptr && !place->found; }
};

/// The answers for the addresses the build was asked, in their order (-a).
std::vector<AddressAnswer> answers_of(const Build& build);

} // namespace vadrimel

#endif // VADRIMEL_REPORTS_ADDRESS_LOOKUP_H_
