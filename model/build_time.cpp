#include "model/build_time.h"

#include <array>

#include "system/decimal_number.h"

namespace vadrimel {

namespace {

constexpr std::array<std::string_view, 12> MONTHS = {
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

/// A field of a date of at most `most_digits` digits: a year of four, the
/// others of two.
std::optional<std::int64_t> number(std::string_view digits, std::size_t most_digits = 2) {
  const std::optional<std::uint64_t> value = decimal_number(digits, most_digits);
  return value ? std::optional<std::int64_t>(static_cast<std::int64_t>(*value))
               : std::nullopt;
}

/// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t days_from_civil(std::int64_t year, std::int64_t month, std::int64_t day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t year_of_era = year - era * 400;
  const std::int64_t day_of_year =
      (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t day_of_era =
      year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

/// The next word of `text`, which loses it and the spaces before it.
std::string_view next_word(std::string_view& text) {
  const std::size_t start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) {
    text = {};
    return {};
  }
  text.remove_prefix(start);
  const std::size_t end = text.find(' ');
  const std::string_view word = text.substr(0, end);
  text.remove_prefix(word.size());
  return word;
}

} // namespace

std::optional<std::int64_t> seconds_of_date(std::string_view date) {
  next_word(date); // the day of the week
  const std::string_view month_name = next_word(date);
  const auto day = number(next_word(date));
  const std::string_view time = next_word(date);
  const auto year = number(next_word(date), 4);
  std::size_t month = 0;
  while (month < MONTHS.size() && MONTHS[month] != month_name) {
    ++month;
  }
  if (month == MONTHS.size() || !day || !year || time.size() != 8 || time[2] != ':' ||
      time[5] != ':') {
    return std::nullopt;
  }
  const auto hours = number(time.substr(0, 2));
  const auto minutes = number(time.substr(3, 2));
  const auto seconds = number(time.substr(6, 2));
  if (!hours || !minutes || !seconds) {
    return std::nullopt;
  }
  return days_from_civil(*year, static_cast<std::int64_t>(month) + 1, *day) * 86400 +
         *hours * 3600 + *minutes * 60 + *seconds;
}

} // namespace vadrimel
