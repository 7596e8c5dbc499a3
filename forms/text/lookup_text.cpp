#include "forms/text/lookup_text.h"

#include "forms/text/text_numbers.h"

namespace vadrimel {

void write_answers(const std::vector<AddressAnswer>& answers, bool map_alone,
                   ReportOutput& output) {
  for (const AddressAnswer& answer : answers) {
    const CodePlaces::Answer& place = *answer.place;
    const MemoryBlock* const block = answer.block;
    output.write_formatted("0x%06llx  ", as_printed(place.address));
    if (block != nullptr) {
      output.write(block->name);
      output.write_formatted("+0x%llx  ", as_printed(place.address - block->address));
      if (!place.found) {
        output.write(block->file);
        output.write("\n");
        continue;
      }
    } else if (!place.found) {
      output.write(map_alone ? "not in the map\n" : "not in the listing\n");
      continue;
    }
    output.write(place.path);
    output.write_formatted(":%llu: ", as_printed(place.number));
    output.write(place.text);
    output.write("\n");
  }
}

} // namespace vadrimel
