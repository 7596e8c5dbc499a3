#ifndef VADRIMEL_LISTING_LINE_TEXT_H_
#define VADRIMEL_LISTING_LINE_TEXT_H_

#include <cstddef>
#include <span>
#include <string_view>

namespace vadrimel {

/// The most characters one chunk holds.
inline constexpr std::size_t MAX_CHUNK_LENGTH = 255;

/// The text of a line or a chunk, in a buffer of the conversion's own: the
/// steps that rewrite a line may change it in place.
using LineText = std::span<char>;

/// The bytes of a line's text, to look at.
inline std::string_view view_of(LineText text) noexcept {
  return {text.data(), text.size()};
}

} // namespace vadrimel

#endif // VADRIMEL_LISTING_LINE_TEXT_H_
