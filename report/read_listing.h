#ifndef VADRIMEL_REPORT_READ_LISTING_H_
#define VADRIMEL_REPORT_READ_LISTING_H_

#include <cstdio>
#include <string>

#include "listing/line_source.h"
#include "listing/listing_table.h"

namespace vadrimel {

/// Reads the listing named into `table` with `lines` (whole lines), then
/// finishes the table. Returns the exit status; on failure, the message has
/// been written to `messages`: a file that cannot be opened or read, or one
/// that is not a linker listing.
int read_listing(const std::string& name, LineSource& lines, ListingTable& table,
                 std::FILE* messages);

} // namespace vadrimel

#endif // VADRIMEL_REPORT_READ_LISTING_H_
