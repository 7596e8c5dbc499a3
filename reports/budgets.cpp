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

/// The limit that `name` sets, none for a share of flash or a name that is
/// no limit.
std::optional<std::uint64_t>* target_of(std::string_view name, bool percent,
                                        Budgets& budgets) {
  if (name == "stack") {
    return &budgets.stack_levels;
  }
  if (name == "ram") {
    return &budgets.ram_bytes;
  }
  if (name == "swstack") {
    return &budgets.software_stack_bytes;
  }
  return name == "flash" && !percent ? &budgets.flash_bytes : nullptr;
}

/// Why a limit whose value could not be read was refused.
std::string why_unread(std::string_view limit, std::string_view name, bool named,
                       bool as_share) {
  if (limit.empty()) {
    return "a comma stands with no limit after it";
  }
  if (as_share) {
    return std::string(name) + " takes a number, not a share";
  }
  if (named) {
    return std::string(name) + " takes a whole number";
  }
  return "there is no limit named " + std::string(name) +
         " (names are written in lower case)";
}

/// One limit of the text read into `budgets`; false, with `why`, when it
/// cannot be.
bool read_limit(std::string_view limit, Budgets& budgets, std::string& why) {
  const std::size_t equals = limit.find('=');
  const std::string_view name = limit.substr(0, equals);
  const std::string_view value =
      equals == std::string_view::npos ? std::string_view{} : limit.substr(equals + 1);
  const bool percent = value.ends_with('%');
  std::optional<std::uint64_t>* const target = target_of(name, percent, budgets);
  if ((target != nullptr && target->has_value()) ||
      (name == "flash" && (budgets.flash_bytes || budgets.flash_share))) {
    why = std::string(name) + " is given twice";
    return false;
  }
  if (name == "stack" && equals == std::string_view::npos) {
    budgets.stack_levels = RETURN_STACK_LEVELS;
    return true;
  }
  if (name == "flash" && percent) {
    budgets.flash_share = share(value.substr(0, value.size() - 1));
    if (!budgets.flash_share) {
      why = "a share of flash is a number of percent up to 100";
    }
    return budgets.flash_share.has_value();
  }
  const std::optional<std::uint64_t> number = whole_number(value);
  if (target != nullptr && number) {
    *target = number;
    return true;
  }
  why = why_unread(limit, name, target != nullptr || name == "flash",
                   target != nullptr && percent);
  return false;
}

/// The lines of one build's budgets, each ending in the build's name.
class BudgetLines {
public:
  explicit BudgetLines(const std::string& listing) : listing_(listing) {}

  void say(const std::string& text) { lines_.push_back(text + ":" + listing_); }
  void over(const std::string& what, std::uint64_t used, std::uint64_t limit,
            const std::string& unit) {
    if (used > limit) {
      say("Over budget: " + what + " " + number_text(used) + " " + unit + ", " +
          number_text(used - limit) + " over the limit of " + number_text(limit));
    }
  }
  std::vector<std::string> take() { return std::move(lines_); }

private:
  const std::string& listing_;
  std::vector<std::string> lines_;
};

void check_memory(const Budgets& budgets, const BuildSizes& sizes, BudgetLines& lines) {
  const bool mapped = sizes.map != nullptr;
  const std::uint64_t flash =
      mapped ? sizes.map->memory.program_used : sizes.listing_bytes;
  if (budgets.flash_bytes) {
    lines.over("flash", flash, *budgets.flash_bytes, "bytes");
  }
  if (budgets.flash_share) {
    if (!mapped || !sizes.map->memory.program_size ||
        *sizes.map->memory.program_size == 0) {
      lines.say("Over budget: no map tells the part's size for a share of flash");
    } else {
      const std::uint64_t size = *sizes.map->memory.program_size;
      const auto limit = static_cast<std::uint64_t>(*budgets.flash_share *
                                                    static_cast<double>(size) / 100);
      lines.over("flash", flash, limit,
                 "bytes (" + std::to_string(size) + " in the part)");
    }
  }
  if (budgets.ram_bytes) {
    if (!mapped) {
      lines.say("Over budget: no map tells the data memory used");
    } else {
      lines.over("ram", sizes.map->memory.data_used, *budgets.ram_bytes, "bytes");
    }
  }
}

void check_stacks(const Budgets& budgets, const BuildSizes& sizes, const CallGraph* calls,
                  const SoftwareStack* stack, BudgetLines& lines) {
  if (sizes.map_alone && budgets.stack_levels) {
    lines.say("Over budget: no listing tells the return stack");
  } else if (budgets.stack_levels && calls != nullptr) {
    const std::optional<std::uint64_t> worst = calls->worst_case();
    if (!worst) {
      lines.say("Over budget: return stack unbounded (a cycle of calls), the limit is " +
                number_text(*budgets.stack_levels) + " levels");
    } else {
      lines.over("return stack", *worst, *budgets.stack_levels, "levels");
    }
  }
  if (sizes.map_alone && budgets.software_stack_bytes) {
    lines.say("Over budget: no listing tells the software stack");
  } else if (budgets.software_stack_bytes && stack != nullptr) {
    const StackFigures worst = stack->worst_case();
    if (!worst.height) {
      lines.say("Over budget: software stack not known (a function's stack could not be "
                "followed), the limit is " +
                number_text(*budgets.software_stack_bytes) + " bytes");
    } else {
      lines.over(worst.at_least ? "software stack at least" : "software stack",
                 static_cast<std::uint64_t>(*worst.height), *budgets.software_stack_bytes,
                 "bytes");
    }
  }
}

} // namespace

std::optional<Budgets> read_budgets(std::string_view text, std::string& why) {
  Budgets budgets;
  while (true) {
    const std::size_t comma = text.find(',');
    if (!read_limit(text.substr(0, comma), budgets, why)) {
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
  BudgetLines lines(sizes.listing);
  check_memory(budgets, sizes, lines);
  check_stacks(budgets, sizes, calls, stack, lines);
  return lines.take();
}

} // namespace vadrimel
