#ifndef VADRIMEL_DRIVER_SIZE_REPORT_H_
#define VADRIMEL_DRIVER_SIZE_REPORT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "driver/source_lines.h"

namespace vadrimel {

/// A listing's source lines, keeping the `most` with the most code.
class LineSizes final : public SourceLines {
public:
  struct Row {
    std::uint64_t bytes = 0;
    std::string path;
    std::uint64_t number = 0;
    std::string text;
  };

  explicit LineSizes(std::size_t most) : most_(most) {}

  /// The source lines with the most code, most first, equal ones in listing
  /// order.
  [[nodiscard]] const std::vector<Row>& top() const { return top_; }

private:
  void end_source_line(const SourceLine& line, std::uint64_t bytes) override;

  std::size_t most_;
  std::vector<Row> top_;
};

} // namespace vadrimel

#endif // VADRIMEL_DRIVER_SIZE_REPORT_H_
