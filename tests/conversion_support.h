#ifndef VADRIMEL_TESTS_CONVERSION_SUPPORT_H_
#define VADRIMEL_TESTS_CONVERSION_SUPPORT_H_

#include <cstdint>
#include <memory>

#include "driver/conversion_run.h"

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

} // namespace vadrimel::testing

#endif // VADRIMEL_TESTS_CONVERSION_SUPPORT_H_
