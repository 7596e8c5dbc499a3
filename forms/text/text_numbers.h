#ifndef VADRIMEL_FORMS_TEXT_TEXT_NUMBERS_H_
#define VADRIMEL_FORMS_TEXT_TEXT_NUMBERS_H_

#include <cstdint>

namespace vadrimel {

/// A count as the text forms' "%llu" prints it.
inline unsigned long long as_printed(std::uint64_t value) {
  return static_cast<unsigned long long>(value);
}

/// `bytes` as a percentage of `total`; 0 of nothing.
inline double share_of(std::uint64_t bytes, std::uint64_t total) {
  return total == 0 ? 0.0
                    : 100.0 * static_cast<double>(bytes) / static_cast<double>(total);
}

} // namespace vadrimel

#endif // VADRIMEL_FORMS_TEXT_TEXT_NUMBERS_H_
