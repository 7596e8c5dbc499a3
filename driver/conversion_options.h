#ifndef VADRIMEL_DRIVER_CONVERSION_OPTIONS_H_
#define VADRIMEL_DRIVER_CONVERSION_OPTIONS_H_

#include <cstdint>

#include "driver/output_stream.h"
#include "listing/line_source.h"

namespace vadrimel {

/// What shapes the output of a conversion.
struct ConversionOptions {
  /// Option -m; 0 to 31: lines are not cut.
  std::uint8_t max_length = 0;
  LineScope line_scope = LineScope::CHUNK;
  /// Option -d: the build's noise is masked at the start of each line.
  bool mask_build_noise = false;
  /// Option -t: tabs become spaces up to tab stops this far apart; 0 leaves
  /// them as they are.
  std::uint8_t tab_size = 0;
  /// Option -w: a line longer than `max_length` is wrapped, not cut.
  bool wrap = false;
  /// Option -l: records end in LF alone.
  RecordEnd record_end = RecordEnd::CR_LF;

  bool operator==(const ConversionOptions&) const = default;
};

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_CONVERSION_OPTIONS_H_
