#include "forms/json/json_writer.h"

#include <array>

#include "forms/json/utf8_text.h"

namespace vadrimel {

void JsonWriter::before_value() {
  if (after_key_) {
    after_key_ = false;
    return;
  }
  if (!has_members_.empty()) {
    if (has_members_.back()) {
      output_.write(",");
    }
    has_members_.back() = true;
  }
}

void JsonWriter::begin_object() {
  before_value();
  output_.write("{");
  has_members_.push_back(false);
}

void JsonWriter::end_object() {
  has_members_.pop_back();
  output_.write("}");
}

void JsonWriter::begin_array() {
  before_value();
  output_.write("[");
  has_members_.push_back(false);
}

void JsonWriter::end_array() {
  has_members_.pop_back();
  output_.write("]");
}

void JsonWriter::key(std::string_view name) {
  before_value();
  write_string(name);
  output_.write(":");
  after_key_ = true;
}

void JsonWriter::string(std::string_view text) {
  before_value();
  write_string(text);
}

void JsonWriter::write_string(std::string_view text) {
  output_.write("\"");
  while (!text.empty()) {
    // Most text is plain ASCII: written a run at a time.
    std::size_t plain = 0;
    while (plain < text.size() && text[plain] >= 0x20 && text[plain] != '"' &&
           text[plain] != '\\' && static_cast<unsigned char>(text[plain]) < 0x80 &&
           !(inside_html_ &&
             (text[plain] == '<' || text[plain] == '>' || text[plain] == '&'))) {
      ++plain;
    }
    if (plain != 0) {
      output_.write(text.substr(0, plain));
      text.remove_prefix(plain);
      continue;
    }
    const auto byte = static_cast<unsigned char>(text[0]);
    const std::size_t length = utf8_length(text);
    if (byte == '"' || byte == '\\') {
      output_.write(byte == '"' ? "\\\"" : "\\\\");
    } else if (byte < 0x20 || byte == '<' || byte == '>' || byte == '&') {
      output_.write_formatted("\\u%04x", static_cast<unsigned>(byte));
    } else if (length == 0) {
      // The code point of the byte itself, as two bytes of UTF-8.
      const std::array<char, 2> code_point = {static_cast<char>(0xC0 | (byte >> 6)),
                                              static_cast<char>(0x80 | (byte & 0x3F))};
      output_.write({code_point.data(), code_point.size()});
    } else {
      output_.write(text.substr(0, length));
      text.remove_prefix(length);
      continue;
    }
    text.remove_prefix(1);
  }
  output_.write("\"");
}

void JsonWriter::number(std::uint64_t value) {
  before_value();
  output_.write_formatted("%llu", static_cast<unsigned long long>(value));
}

void JsonWriter::signed_number(std::int64_t value) {
  before_value();
  output_.write_formatted("%lld", static_cast<long long>(value));
}

void JsonWriter::null() {
  before_value();
  output_.write("null");
}

void JsonWriter::boolean(bool value) {
  before_value();
  output_.write(value ? "true" : "false");
}

void JsonWriter::string_or_null(const std::optional<std::string_view>& text) {
  if (text) {
    string(*text);
  } else {
    null();
  }
}

void JsonWriter::number_or_null(const std::optional<std::uint64_t>& value) {
  if (value) {
    number(*value);
  } else {
    null();
  }
}

void JsonWriter::finish() {
  output_.write("\n");
}

} // namespace vadrimel
