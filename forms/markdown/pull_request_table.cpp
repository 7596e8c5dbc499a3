#include "forms/markdown/pull_request_table.h"

#include <array>
#include <cstdio>
#include <optional>
#include <vector>

#include "forms/json/utf8_text.h"

namespace vadrimel {

namespace {

constexpr std::string_view MARKER = "<!-- vadrimel size report -->\n";
/// Room kept for what closes the comment after the last row.
constexpr std::size_t CLOSING_ROOM = 200;

/// A table cell of text as read: a code span, with what would end it or the
/// table's cell written so that it cannot, and valid UTF-8 whatever the
/// listing's bytes (GitHub ends a table at a row that is not).
std::string cell(std::string_view text) {
  std::string written = "`";
  for (const char character : as_valid_utf8(text)) {
    if (character == '|') {
      // A table reads backslashes in pairs: one that stands alone before
      // the pipe would leave the pipe to end the cell.
      const std::size_t last = written.find_last_not_of('\\');
      if ((written.size() - 1 - last) % 2 == 1) {
        written += '\\';
      }
      written += "\\|";
    } else if (character == '`') {
      written += '\'';
    } else if (character == '\n' || character == '\r') {
      written += ' ';
    } else {
      written += character;
    }
  }
  return written + "`";
}

std::string signed_text(std::int64_t value) {
  return (value >= 0 ? "+" : "") + std::to_string(value);
}

/// A percentage to a tenth, with more digits where a change that is not
/// zero would show as one.
std::string percent(double value, bool sign) {
  std::array<char, 32> text{};
  for (int digits = 1; digits <= 6; ++digits) {
    static_cast<void>(std::snprintf(text.data(), text.size(), sign ? "%+.*f%%" : "%.*f%%",
                                    digits, value));
    const std::string_view shown = text.data();
    if (value == 0 || shown.find_first_of("123456789") != std::string_view::npos) {
      break;
    }
  }
  return text.data();
}

/// The name of a file as a row shows it: after its last folder separator;
/// a block's own name in parentheses ("(section ...)") as it is.
std::string file_name(std::string_view path) {
  const std::size_t separator = path.find_last_of("\\/");
  return path.starts_with('(') || separator == std::string_view::npos
             ? std::string(path)
             : std::string(path.substr(separator + 1));
}

std::string change_share(std::uint64_t old_value, std::uint64_t new_value) {
  if (old_value == 0) {
    return "";
  }
  return percent(100.0 *
                     (static_cast<double>(new_value) - static_cast<double>(old_value)) /
                     static_cast<double>(old_value),
                 true);
}

std::string summary_row(std::string_view title, std::uint64_t old_value,
                        std::uint64_t new_value) {
  return "| " + std::string(title) + " | " + std::to_string(old_value) + " | " +
         std::to_string(new_value) + " | " +
         signed_text(static_cast<std::int64_t>(new_value - old_value)) + " | " +
         change_share(old_value, new_value) + " |\n";
}

std::string levels_text(const std::optional<std::uint64_t>& levels) {
  return levels ? std::to_string(*levels) : std::string("unbounded");
}

/// The software stack's row: a change where both are known exactly (two
/// lower bounds tell none).
std::string software_stack_row(const StackFigures& before, const StackFigures& after,
                               const std::optional<std::uint64_t>& size) {
  const auto figure = [](const StackFigures& worst) {
    return worst.height ? (worst.at_least ? ">=" : "") + std::to_string(*worst.height)
                        : std::string("unknown");
  };
  return "| software stack" +
         (size ? ", of " + std::to_string(*size) + " bytes" : std::string(", bytes")) +
         " | " + figure(before) + " | " + figure(after) + " | " +
         (before.height && after.height && !before.at_least && !after.at_least
              ? signed_text(*after.height - *before.height)
              : std::string()) +
         " | |\n";
}

/// The summary table.
std::string summary_table(const BuildSizes& old_build, const BuildSizes& new_build,
                          const BuildStacks& old_stacks, const BuildStacks& new_stacks) {
  const bool mapped = old_build.map != nullptr && new_build.map != nullptr;
  std::string text(MARKER);
  text += "| | old | new | change | % |\n|:---|---:|---:|---:|---:|\n";
  if (mapped) {
    const BuildMemory& before = old_build.map->memory;
    const BuildMemory& after = new_build.map->memory;
    text += summary_row("program memory", before.program_used, after.program_used);
    if (before.program_size.value_or(0) != 0 && after.program_size.value_or(0) != 0) {
      const double old_share = 100.0 * static_cast<double>(before.program_used) /
                               static_cast<double>(*before.program_size);
      const double new_share = 100.0 * static_cast<double>(after.program_used) /
                               static_cast<double>(*after.program_size);
      text += "| share of the part (" + std::to_string(*after.program_size) + ") | " +
              percent(old_share, false) + " | " + percent(new_share, false) + " | " +
              percent(new_share - old_share, true) + " | |\n";
    }
    text += summary_row("data memory", before.data_used, after.data_used);
  } else {
    text += summary_row("program memory (code in the listing)", old_build.listing_bytes,
                        new_build.listing_bytes);
  }
  if (old_stacks.calls == nullptr || new_stacks.calls == nullptr ||
      old_stacks.calls->roots.empty() || new_stacks.calls->roots.empty()) {
    return text;
  }
  {
    const std::optional<std::uint64_t> before = old_stacks.calls->worst_case();
    const std::optional<std::uint64_t> after = new_stacks.calls->worst_case();
    text += "| return stack, of " + std::to_string(RETURN_STACK_LEVELS) + " levels | " +
            levels_text(before) + " | " + levels_text(after) + " | " +
            (before && after ? signed_text(static_cast<std::int64_t>(*after - *before))
                             : std::string()) +
            " | |\n";
  }
  if (old_stacks.software != nullptr && new_stacks.software != nullptr) {
    text +=
        software_stack_row(old_stacks.software->worst_case(),
                           new_stacks.software->worst_case(), new_stacks.software_size);
  }
  return text;
}

/// The rows of changed files and blocks, each table's header a row of its
/// own; how many of each changed.
std::vector<std::string> change_rows(const SizeChanges& changes,
                                     std::size_t& changed_files,
                                     std::size_t& changed_blocks) {
  std::vector<std::string> rows;
  const auto change_cells = [](const SizeChange& change) {
    return " | " + std::to_string(change.old_bytes) + " | " +
           std::to_string(change.new_bytes) + " | " + signed_text(change.change()) +
           " |\n";
  };
  for (const SizeChange& change : changes.files) {
    if (change.magnitude() != 0) {
      if (changed_files++ == 0) {
        rows.emplace_back("\n| file | old | new | change |\n|:---|---:|---:|---:|\n");
      }
      rows.push_back("| " + cell(change.name) + change_cells(change));
    }
  }
  for (const SizeChange& change : changes.blocks) {
    if (change.magnitude() != 0) {
      if (changed_blocks++ == 0) {
        rows.emplace_back("\n| block | kind | file | old | new | change |\n"
                          "|:---|:---|:---|---:|---:|---:|\n");
      }
      rows.push_back(
          "| " + cell(change.name) + " | " +
          std::string(MEMORY_KIND_NAMES[static_cast<std::size_t>(change.kind)]) + " | " +
          cell(file_name(change.file)) + change_cells(change));
    }
  }
  return rows;
}

} // namespace

std::string pull_request_table(const BuildSizes& old_build, const BuildSizes& new_build,
                               const SizeChanges& changes, const BuildStacks& old_stacks,
                               const BuildStacks& new_stacks, std::size_t most) {
  std::string text = summary_table(old_build, new_build, old_stacks, new_stacks);
  std::size_t changed_files = 0;
  std::size_t changed_blocks = 0;
  const std::vector<std::string> rows =
      change_rows(changes, changed_files, changed_blocks);
  if (rows.empty()) {
    return text + "\nNo file and no block changed.\n";
  }
  text += "\n<details><summary>" + std::to_string(changed_files) + " file" +
          (changed_files == 1 ? "" : "s") + " and " + std::to_string(changed_blocks) +
          " block" + (changed_blocks == 1 ? "" : "s") + " changed</summary>\n";
  std::size_t shown = 0;
  for (; shown < rows.size() && text.size() + rows[shown].size() + CLOSING_ROOM <= most;
       ++shown) {
    text += rows[shown];
  }
  if (shown < rows.size()) {
    text += "\n" + std::to_string(rows.size() - shown) +
            " more rows left out: the comment would be too long.\n";
  }
  text += "\n</details>\n";
  return text;
}

} // namespace vadrimel
