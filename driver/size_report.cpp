#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "driver/modes.h"
#include "driver/report_output.h"
#include "driver/size_report.h"

namespace vadrimel {

namespace {

using Sizes = std::map<std::string, std::uint64_t, std::less<>>;

Sizes sizes_of(const SourceLines& lines) {
  Sizes sizes;
  for (const auto& [path, file] : lines.files()) {
    sizes.emplace(path, file.bytes);
  }
  return sizes;
}

void write_size_table(const SourceLines& lines, ReportOutput& output) {
  std::vector<std::pair<std::uint64_t, const std::string*>> rows;
  std::uint64_t total = 0;
  for (const auto& [path, file] : lines.files()) {
    rows.emplace_back(file.bytes, &path);
    total += file.bytes;
  }
  std::stable_sort(rows.begin(), rows.end(), [](const auto& left, const auto& right) {
    return left.first > right.first;
  });
  const auto share = [total](std::uint64_t bytes) {
    return total == 0 ? 0.0
                      : 100.0 * static_cast<double>(bytes) / static_cast<double>(total);
  };
  output.write("   bytes   share  source file\n");
  for (const auto& [bytes, path] : rows) {
    output.write_formatted("%8llu  %5.1f%%  ", static_cast<unsigned long long>(bytes),
                           share(bytes));
    output.write(*path);
    output.write("\n");
  }
  output.write_formatted("%8llu  %5.1f%%  total\n",
                         static_cast<unsigned long long>(total),
                         total == 0 ? 0.0 : 100.0);
}

void write_line_table(const LineSizes& lines, ReportOutput& output) {
  output.write("\n   bytes  source line\n");
  for (const LineSizes::Row& row : lines.top()) {
    output.write_formatted("%8llu  ", static_cast<unsigned long long>(row.bytes));
    output.write(row.path);
    output.write_formatted(":%llu: ", static_cast<unsigned long long>(row.number));
    output.write(row.text);
    output.write("\n");
  }
}

/// The part of a path after its last folder separator.
std::string_view file_name(std::string_view path) {
  const std::size_t separator = path.find_last_of("\\/");
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

struct Change {
  std::uint64_t old_bytes = 0;
  std::uint64_t new_bytes = 0;
  std::string path;

  [[nodiscard]] std::uint64_t magnitude() const {
    return new_bytes > old_bytes ? new_bytes - old_bytes : old_bytes - new_bytes;
  }
};

/// Pairs the files of two builds: by full path, then by name where the name
/// is left exactly once in each (a build folder that moved). A matched pair
/// goes under the new path; a file of one build alone counts 0 in the other.
std::vector<Change> changes_between(Sizes old_sizes, Sizes new_sizes) {
  std::vector<Change> changes;
  for (auto file = new_sizes.begin(); file != new_sizes.end();) {
    const auto old_file = old_sizes.find(file->first);
    if (old_file == old_sizes.end()) {
      ++file;
      continue;
    }
    changes.push_back({old_file->second, file->second, file->first});
    old_sizes.erase(old_file);
    file = new_sizes.erase(file);
  }
  std::map<std::string_view, std::pair<int, int>> name_counts;
  for (const auto& [path, bytes] : old_sizes) {
    ++name_counts[file_name(path)].first;
  }
  for (const auto& [path, bytes] : new_sizes) {
    ++name_counts[file_name(path)].second;
  }
  std::map<std::string_view, std::uint64_t> old_by_unique_name;
  for (const auto& [path, bytes] : old_sizes) {
    if (name_counts[file_name(path)] == std::make_pair(1, 1)) {
      old_by_unique_name[file_name(path)] = bytes;
    }
  }
  for (const auto& [path, bytes] : new_sizes) {
    const auto old_file = old_by_unique_name.find(file_name(path));
    changes.push_back(
        {old_file == old_by_unique_name.end() ? 0 : old_file->second, bytes, path});
  }
  for (const auto& [path, bytes] : old_sizes) {
    if (!old_by_unique_name.contains(file_name(path))) {
      changes.push_back({bytes, 0, path});
    }
  }
  return changes;
}

void write_change_table(const Sizes& old_sizes, const Sizes& new_sizes,
                        ReportOutput& output) {
  std::vector<Change> changes = changes_between(old_sizes, new_sizes);
  std::sort(changes.begin(), changes.end(), [](const Change& left, const Change& right) {
    return left.magnitude() != right.magnitude() ? left.magnitude() > right.magnitude()
                                                 : left.path < right.path;
  });
  Change total;
  output.write("     old      new   change  source file\n");
  for (const Change& change : changes) {
    total.old_bytes += change.old_bytes;
    total.new_bytes += change.new_bytes;
    if (change.magnitude() != 0) {
      output.write_formatted("%8llu %8llu %+8lld  ",
                             static_cast<unsigned long long>(change.old_bytes),
                             static_cast<unsigned long long>(change.new_bytes),
                             static_cast<long long>(change.new_bytes - change.old_bytes));
      output.write(change.path);
      output.write("\n");
    }
  }
  output.write_formatted("%8llu %8llu %+8lld  total\n",
                         static_cast<unsigned long long>(total.old_bytes),
                         static_cast<unsigned long long>(total.new_bytes),
                         static_cast<long long>(total.new_bytes - total.old_bytes));
}

} // namespace

void LineSizes::end_source_line(const SourceLine& line, std::uint64_t bytes) {
  if (top_.size() == most_ && (most_ == 0 || bytes <= top_.back().bytes)) {
    return;
  }
  // After every row with at least as much code: a later line of equal size
  // comes after an earlier one.
  const auto index =
      static_cast<std::size_t>(std::upper_bound(top_.begin(), top_.end(), bytes,
                                                [](std::uint64_t size, const Row& row) {
                                                  return size > row.bytes;
                                                }) -
                               top_.begin());
  Row row;
  if (top_.size() == most_) {
    row = std::move(top_.back());
    top_.pop_back();
  }
  row.bytes = bytes;
  row.path.assign(line.path);
  row.number = line.number;
  row.text.assign(line.text);
  top_.insert(top_.begin() + static_cast<std::ptrdiff_t>(index), std::move(row));
}

int report_sizes(std::span<const char* const> names, std::uint8_t top_lines,
                 ConversionRun& run, std::FILE* output, std::FILE* messages) {
  ReportOutput report(output);
  if (names.size() >= 2) {
    LineSizes old_lines(0);
    LineSizes new_lines(0);
    if (read_source_lines(names[0], run, old_lines, messages) != EXIT_SUCCESS ||
        read_source_lines(names[1], run, new_lines, messages) != EXIT_SUCCESS) {
      return EXIT_FAILURE;
    }
    write_change_table(sizes_of(old_lines), sizes_of(new_lines), report);
    return report.finish(messages);
  }
  LineSizes lines(top_lines);
  if (read_source_lines(names[0], run, lines, messages) != EXIT_SUCCESS) {
    return EXIT_FAILURE;
  }
  write_size_table(lines, report);
  if (top_lines != 0) {
    write_line_table(lines, report);
  }
  return report.finish(messages);
}

} // namespace vadrimel
