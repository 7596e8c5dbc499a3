#include "reports/budgets.h"

#include <string>
#include <utility>

#include "system/decimal_number.h"

namespace vadrimel {

namespace {

std::optional<std::uint64_t> whole_number(std::string_view digits) {
  return decimal_number(digits, 18);
}

/// A share such as "95" or "99.5" (before the '%').
std::optional<double> share(std::string_view text) {
  const std::size_t point = text.find('.');
  const auto whole = whole_number(text.substr(0, point));
  if (!whole) {
    return std::nullopt;
  }
  double value = static_cast<double>(*whole);
  if (point != std::string_view::npos) {
    const std::string_view fraction = text.substr(point + 1);
    const auto digits = whole_number(fraction);
    if (!digits) {
      return std::nullopt;
    }
    double scale = 1;
    for (std::size_t index = 0; index < fraction.size(); ++index) {
      scale *= 10;
    }
    value += static_cast<double>(*digits) / scale;
  }
  return value <= 100 ? std::optional<double>(value) : std::nullopt;
}

std::string number_text(std::uint64_t value) {
  return std::to_string(value);
}

} // namespace

std::optional<Budgets> read_budgets(std::string_view text, std::string& why) {
  Budgets budgets;
  while (true) {
    const std::size_t comma = text.find(',');
    const std::string_view limit = text.substr(0, comma);
    const std::size_t equals = limit.find('=');
    const std::string_view name = limit.substr(0, equals);
    const std::string_view value =
        equals == std::string_view::npos ? std::string_view{} : limit.substr(equals + 1);
    const bool percent = value.ends_with('%');
    const std::optional<std::uint64_t> bytes = whole_number(value);
    std::optional<std::uint64_t>* const target =
        name == "stack"               ? &budgets.stack_levels
        : name == "ram"               ? &budgets.ram_bytes
        : name == "swstack"           ? &budgets.software_stack_bytes
        : name == "flash" && !percent ? &budgets.flash_bytes
                                      : nullptr;
    if ((target != nullptr && target->has_value()) ||
        (name == "flash" && (budgets.flash_bytes || budgets.flash_share))) {
      why = std::string(name) + " is given twice";
      return std::nullopt;
    }
    if (name == "stack" && equals == std::string_view::npos) {
      budgets.stack_levels = RETURN_STACK_LEVELS;
    } else if (name == "flash" && percent) {
      budgets.flash_share = share(value.substr(0, value.size() - 1));
      if (!budgets.flash_share) {
        why = "a share of flash is a number of percent up to 100";
        return std::nullopt;
      }
    } else if (target != nullptr && bytes) {
      *target = bytes;
    } else {
      why = limit.empty() ? "a comma stands with no limit after it"
            : target != nullptr && percent
                ? std::string(name) + " takes a number, not a share"
            : target != nullptr || name == "flash"
                ? std::string(name) + " takes a whole number"
                : "there is no limit named " + std::string(name) +
                      " (names are written in lower case)";
      return std::nullopt;
    }
    if (comma == std::string_view::npos) {
      return budgets;
    }
    text.remove_prefix(comma + 1);
  }
}

std::vector<std::string> over_budget(const Budgets& budgets, const BuildSizes& sizes,
                                     const CallGraph* calls, const SoftwareStack* stack) {
  std::vector<std::string> lines;
  const auto say = [&lines](std::string line) { lines.push_back(std::move(line)); };
  const auto over = [&](const std::string& what, std::uint64_t used, std::uint64_t limit,
                        const std::string& unit) {
    if (used > limit) {
      say("Over budget: " + what + " " + number_text(used) + " " + unit + ", " +
          number_text(used - limit) + " over the limit of " + number_text(limit) + ":" +
          sizes.listing);
    }
  };
  const bool mapped = sizes.map != nullptr;
  const std::uint64_t flash =
      mapped ? sizes.map->memory.program_used : sizes.listing_bytes;
  if (budgets.flash_bytes) {
    over("flash", flash, *budgets.flash_bytes, "bytes");
  }
  if (budgets.flash_share) {
    if (!mapped || !sizes.map->memory.program_size ||
        *sizes.map->memory.program_size == 0) {
      say("Over budget: no map tells the part's size for a share of flash:" +
          sizes.listing);
    } else {
      const std::uint64_t size = *sizes.map->memory.program_size;
      const auto limit = static_cast<std::uint64_t>(*budgets.flash_share *
                                                    static_cast<double>(size) / 100);
      over("flash", flash, limit, "bytes (" + std::to_string(size) + " in the part)");
    }
  }
  if (budgets.ram_bytes) {
    if (!mapped) {
      say("Over budget: no map tells the data memory used:" + sizes.listing);
    } else {
      over("ram", sizes.map->memory.data_used, *budgets.ram_bytes, "bytes");
    }
  }
  const auto no_listing = [&](std::string_view what) {
    say("Over budget: no listing tells " + std::string(what) + ":" + sizes.listing);
  };
  if (sizes.map_alone && budgets.stack_levels) {
    no_listing("the return stack");
  } else if (budgets.stack_levels && calls != nullptr) {
    const std::optional<std::uint64_t> worst = calls->worst_case();
    if (!worst) {
      say("Over budget: return stack unbounded (a cycle of calls), the limit is " +
          number_text(*budgets.stack_levels) + " levels:" + sizes.listing);
    } else {
      over("return stack", *worst, *budgets.stack_levels, "levels");
    }
  }
  if (sizes.map_alone && budgets.software_stack_bytes) {
    no_listing("the software stack");
  } else if (budgets.software_stack_bytes && stack != nullptr) {
    const StackFigures worst = stack->worst_case();
    const std::string limit = number_text(*budgets.software_stack_bytes);
    if (!worst.height) {
      say("Over budget: software stack not known (a function's stack could not be "
          "followed), the limit is " +
          limit + " bytes:" + sizes.listing);
    } else {
      over(worst.at_least ? "software stack at least" : "software stack",
           static_cast<std::uint64_t>(*worst.height), *budgets.software_stack_bytes,
           "bytes");
    }
  }
  return lines;
}

} // namespace vadrimel
