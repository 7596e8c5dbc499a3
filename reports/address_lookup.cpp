#include "reports/address_lookup.h"

#include "listing/hex_digits.h"

namespace vadrimel {

namespace {

constexpr std::size_t MOST_ADDRESS_DIGITS = 8;

} // namespace

std::optional<std::uint64_t> address_named(std::string_view argument) {
  if (argument.starts_with("0x") || argument.starts_with("0X")) {
    argument.remove_prefix(2);
  }
  if (argument.empty() || argument.size() > MOST_ADDRESS_DIGITS) {
    return std::nullopt;
  }
  return hex_number(argument);
}

std::vector<AddressAnswer> answers_of(const Build& build) {
  std::vector<AddressAnswer> answers;
  for (const std::size_t index : build.address_answers()) {
    const CodePlaces::Answer& place = build.places().answers()[index];
    answers.push_back({&place, build.memory() != nullptr
                                   ? build.memory()->program_block_at(place.address)
                                   : nullptr});
  }
  return answers;
}

} // namespace vadrimel
