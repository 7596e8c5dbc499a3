#ifndef VADRIMEL_FORMS_JSON_JSON_WRITER_H_
#define VADRIMEL_FORMS_JSON_JSON_WRITER_H_

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "system/report_output.h"

namespace vadrimel {

/// Writes one JSON document (RFC 8259) to a report's output, keys in the
/// order they are given. Strings are the bytes as read: valid UTF-8 as it
/// is, and a byte that is not part of valid UTF-8 as the code point of that
/// byte.
class JsonWriter {
public:
  /// With `inside_html`, '<', '>' and '&' are written as \u escapes, so that
  /// the document can stand inside a page's script element whatever its
  /// strings hold.
  explicit JsonWriter(ReportOutput& output, bool inside_html = false) noexcept
      : output_(output), inside_html_(inside_html) {}

  void begin_object();
  void end_object();
  void begin_array();
  void end_array();
  /// The key of the next value in an object.
  void key(std::string_view name);

  void string(std::string_view text);
  void number(std::uint64_t value);
  void signed_number(std::int64_t value);
  void null();
  void boolean(bool value);
  void string_or_null(const std::optional<std::string_view>& text);
  void number_or_null(const std::optional<std::uint64_t>& value);

  /// Ends the document with a line feed.
  void finish();

private:
  /// Before a value: the comma after the one before it.
  void before_value();
  void write_string(std::string_view text);

  ReportOutput& output_;
  /// For each open object or array: whether it has a member yet.
  std::vector<bool> has_members_;
  bool after_key_ = false;
  bool inside_html_;
};

} // namespace vadrimel

#endif // VADRIMEL_FORMS_JSON_JSON_WRITER_H_
