#ifndef VADRIMEL_TESTS_CONVERSION_SUPPORT_H_
#define VADRIMEL_TESTS_CONVERSION_SUPPORT_H_

#include <cstdint>
#include <memory>

#include "driver/conversion_run.h"
#include "listing/line_source.h"
#include "listing/listing_table.h"

namespace vadrimel::testing {

/// Converts `source` into `sink` with a fresh run.
inline ConversionResult convert_stream(ByteSource& source, ByteSink& sink,
                                       const ConversionOptions& options) {
  const auto run = std::make_unique<ConversionRun>(options);
  return run->convert(source, sink);
}

inline ConversionResult convert_stream(ByteSource& source, ByteSink& sink,
                                       std::uint8_t max_length,
                                       LineScope line_scope = LineScope::CHUNK) {
  return convert_stream(source, sink,
                        {.max_length = max_length, .line_scope = line_scope});
}

/// Reads the whole of `source` into `table` with a fresh line source of
/// whole lines, as the reports read a listing; false when reading failed.
inline bool read_table(ByteSource& source, ListingTable& table) {
  const auto lines = std::make_unique<LineSource>(LineScope::WHOLE_LINE);
  lines->read(source, [&table](const ListingLine& line) {
    table.take_line(line);
    return true;
  });
  table.finish();
  return !lines->read_failed();
}

} // namespace vadrimel::testing

#endif // VADRIMEL_TESTS_CONVERSION_SUPPORT_H_
