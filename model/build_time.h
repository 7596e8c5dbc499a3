#ifndef VADRIMEL_MODEL_BUILD_TIME_H_
#define VADRIMEL_MODEL_BUILD_TIME_H_

#include <cstdint>
#include <optional>
#include <string_view>

namespace vadrimel {

/// The seconds since 1970 of a date as the listing and the map write it
/// ("Mon Oct 16 20:58:45 2023", local time, taken as it stands); empty when
/// `date` is not of that form.
std::optional<std::int64_t> seconds_of_date(std::string_view date);

} // namespace vadrimel

#endif // VADRIMEL_MODEL_BUILD_TIME_H_
