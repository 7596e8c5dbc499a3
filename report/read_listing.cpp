#include "report/read_listing.h"

#include <cstdlib>

#include "driver/file_streams.h"
#include "driver/messages.h"

namespace vadrimel {

int read_listing(const std::string& name, LineSource& lines, ListingTable& table,
                 std::FILE* messages) {
  FileSource listing;
  if (!listing.open(name)) {
    return report_fatal(messages, "can't open file", name);
  }
  lines.read(listing, [&table](const ListingLine& line) {
    table.take_line(line);
    return true;
  });
  if (lines.read_failed()) {
    return report_fatal(messages, "can't read file", name);
  }
  table.finish();
  // A report of anything else would be a confident answer about nothing.
  if (!table.is_listing()) {
    return report_fatal(messages, "not a linker listing", name);
  }
  return EXIT_SUCCESS;
}

} // namespace vadrimel
