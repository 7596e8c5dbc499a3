#include "forms/json/lookup_json.h"

#include <optional>
#include <string_view>

namespace vadrimel {

void write_answers_json(const std::vector<AddressAnswer>& answers, JsonWriter& json) {
  json.begin_array();
  for (const AddressAnswer& answer : answers) {
    const CodePlaces::Answer& place = *answer.place;
    const MemoryBlock* const block = answer.block;
    json.begin_object();
    json.key("address");
    json.number(place.address);
    json.key("function");
    json.string_or_null(block != nullptr ? std::optional<std::string_view>(block->name)
                                         : std::nullopt);
    json.key("offset");
    json.number_or_null(block != nullptr
                            ? std::optional<std::uint64_t>(place.address - block->address)
                            : std::nullopt);
    json.key("file");
    if (place.found) {
      json.string(place.path);
    } else {
      json.string_or_null(block != nullptr ? std::optional<std::string_view>(block->file)
                                           : std::nullopt);
    }
    json.key("line");
    json.number_or_null(place.found ? std::optional<std::uint64_t>(place.number)
                                    : std::nullopt);
    json.key("text");
    json.string_or_null(place.found ? std::optional<std::string_view>(place.text)
                                    : std::nullopt);
    json.end_object();
  }
  json.end_array();
}

} // namespace vadrimel
