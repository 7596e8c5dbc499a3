#include "report/size_changes.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string_view>
#include <utility>

#include "report/json_writer.h"

namespace vadrimel {

namespace {

using Sizes = std::map<std::string, std::uint64_t, std::less<>>;

/// The part of a path after its last folder separator.
std::string_view file_name(std::string_view path) {
  const std::size_t separator = path.find_last_of("\\/");
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

/// Pairs the files of two builds: by full path, then by name where the name
/// is left exactly once in each. A matched pair goes under the new path.
std::vector<SizeChange> changes_between(Sizes old_sizes, Sizes new_sizes) {
  std::vector<SizeChange> changes;
  for (auto file = new_sizes.begin(); file != new_sizes.end();) {
    const auto old_file = old_sizes.find(file->first);
    if (old_file == old_sizes.end()) {
      ++file;
      continue;
    }
    changes.push_back({old_file->second, file->second, file->first, {}});
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
        {old_file == old_by_unique_name.end() ? 0 : old_file->second, bytes, path, {}});
  }
  for (const auto& [path, bytes] : old_sizes) {
    if (!old_by_unique_name.contains(file_name(path))) {
      changes.push_back({bytes, 0, path, {}});
    }
  }
  return changes;
}

Sizes flash_of(const BuildSizes& build) {
  Sizes sizes;
  for (const FileSize& file : build.files) {
    sizes[file.file] += file.flash;
  }
  return sizes;
}

bool is_procedural_abstraction(std::string_view name) {
  constexpr std::string_view PREFIX = "__pa_";
  return name.size() > PREFIX.size() && name.starts_with(PREFIX) &&
         std::all_of(name.begin() + PREFIX.size(), name.end(),
                     [](char digit) { return digit >= '0' && digit <= '9'; });
}

/// The functions of a build by name and file name, with the path to show.
std::map<std::pair<std::string, std::string>, SizeChange>
functions_of(const BuildSizes& build) {
  std::map<std::pair<std::string, std::string>, SizeChange> functions;
  for (const FunctionSize& function : build.functions) {
    const std::string name =
        is_procedural_abstraction(function.name) ? "__pa_*" : function.name;
    SizeChange& change = functions[{name, std::string(file_name(function.file))}];
    change.name = name;
    change.file = function.file;
    change.new_bytes += function.bytes;
  }
  return functions;
}

void sort_changes(std::vector<SizeChange>& changes) {
  std::sort(changes.begin(), changes.end(),
            [](const SizeChange& left, const SizeChange& right) {
              if (left.magnitude() != right.magnitude()) {
                return left.magnitude() > right.magnitude();
              }
              if (left.name != right.name) {
                return left.name < right.name;
              }
              return left.file < right.file;
            });
}

unsigned long long as_printed(std::uint64_t value) {
  return static_cast<unsigned long long>(value);
}

void write_row(std::uint64_t old_bytes, std::uint64_t new_bytes, std::string_view title,
               ReportOutput& output) {
  output.write_formatted("%8llu %8llu %+8lld  ", as_printed(old_bytes),
                         as_printed(new_bytes),
                         static_cast<long long>(new_bytes - old_bytes));
  output.write(title);
  output.write("\n");
}

/// A table of changed rows and its total.
void write_change_table(const std::vector<SizeChange>& changes, std::string_view title,
                        ReportOutput& output) {
  output.write("     old      new   change  ");
  output.write(title);
  output.write("\n");
  SizeChange total;
  for (const SizeChange& change : changes) {
    total.old_bytes += change.old_bytes;
    total.new_bytes += change.new_bytes;
    if (change.magnitude() != 0) {
      write_row(change.old_bytes, change.new_bytes,
                change.file.empty() ? change.name : change.name + "  " + change.file,
                output);
    }
  }
  write_row(total.old_bytes, total.new_bytes, "total", output);
}

constexpr std::array<MemoryKind, 5> PROGRAM_KINDS = {
    MemoryKind::CODE, MemoryKind::STRINGS, MemoryKind::ROM_DATA,
    MemoryKind::INITIAL_VALUES, MemoryKind::CONFIG};
constexpr std::array<MemoryKind, 2> DATA_KINDS = {MemoryKind::VARIABLES,
                                                  MemoryKind::STACK};

std::uint64_t bytes_of(const BuildSizes& build, MemoryKind kind) {
  return build.map->memory.kind_bytes[static_cast<std::size_t>(kind)];
}

void write_triple(JsonWriter& json, std::optional<std::uint64_t> old_bytes,
                  std::optional<std::uint64_t> new_bytes) {
  json.begin_object();
  json.key("old");
  json.number_or_null(old_bytes);
  json.key("new");
  json.number_or_null(new_bytes);
  json.key("change");
  if (old_bytes && new_bytes) {
    json.signed_number(static_cast<std::int64_t>(*new_bytes - *old_bytes));
  } else {
    json.null();
  }
  json.end_object();
}

void write_build(JsonWriter& json, const BuildSizes& build) {
  json.begin_object();
  json.key("listing");
  json.string(build.listing);
  json.key("map");
  json.string_or_null(build.map ? std::optional<std::string_view>(build.map->path)
                                : std::nullopt);
  json.end_object();
}

} // namespace

SizeChanges changes_of(const BuildSizes& old_build, const BuildSizes& new_build) {
  SizeChanges changes;
  changes.files = changes_between(flash_of(old_build), flash_of(new_build));
  sort_changes(changes.files);
  auto old_functions = functions_of(old_build);
  for (auto& [key, change] : functions_of(new_build)) {
    const auto old_function = old_functions.find(key);
    if (old_function != old_functions.end()) {
      change.old_bytes = old_function->second.new_bytes;
      old_functions.erase(old_function);
    }
    changes.functions.push_back(std::move(change));
  }
  for (auto& [key, change] : old_functions) {
    change.old_bytes = change.new_bytes;
    change.new_bytes = 0;
    changes.functions.push_back(std::move(change));
  }
  sort_changes(changes.functions);
  return changes;
}

void write_changes(const BuildSizes& old_build, const BuildSizes& new_build,
                   const SizeChanges& changes, ReportOutput& output) {
  if (!old_build.map || !new_build.map) {
    write_change_table(changes.files, "source file", output);
    return;
  }
  output.write("map: ");
  output.write(old_build.map->path);
  output.write("\nmap: ");
  output.write(new_build.map->path);
  output.write("\n\n     old      new   change  program memory\n");
  for (const MemoryKind kind : PROGRAM_KINDS) {
    write_row(bytes_of(old_build, kind), bytes_of(new_build, kind),
              MEMORY_KIND_NAMES[static_cast<std::size_t>(kind)], output);
  }
  write_row(old_build.map->memory.program_used, new_build.map->memory.program_used,
            "total", output);
  output.write("\n     old      new   change  data memory\n");
  for (const MemoryKind kind : DATA_KINDS) {
    write_row(bytes_of(old_build, kind), bytes_of(new_build, kind),
              MEMORY_KIND_NAMES[static_cast<std::size_t>(kind)], output);
  }
  write_row(old_build.map->memory.data_used, new_build.map->memory.data_used, "total",
            output);
  output.write("\n");
  write_change_table(changes.files, "source file", output);
  output.write("\n");
  write_change_table(changes.functions, "function", output);
}

void write_changes_json(const BuildSizes& old_build, const BuildSizes& new_build,
                        const SizeChanges& changes, JsonWriter& json) {
  const bool mapped = old_build.map && new_build.map;
  json.begin_object();
  json.key("old");
  write_build(json, old_build);
  json.key("new");
  write_build(json, new_build);
  json.key("program_memory");
  json.begin_object();
  json.key("used");
  if (mapped) {
    write_triple(json, old_build.map->memory.program_used,
                 new_build.map->memory.program_used);
  } else {
    write_triple(json, old_build.listing_bytes, new_build.listing_bytes);
  }
  json.key("size");
  write_triple(json,
               mapped ? std::optional<std::uint64_t>(old_build.map->memory.program_size)
                      : std::nullopt,
               mapped ? std::optional<std::uint64_t>(new_build.map->memory.program_size)
                      : std::nullopt);
  for (const MemoryKind kind : PROGRAM_KINDS) {
    json.key(MEMORY_KIND_KEYS[static_cast<std::size_t>(kind)]);
    if (mapped) {
      write_triple(json, bytes_of(old_build, kind), bytes_of(new_build, kind));
    } else if (kind == MemoryKind::CODE) {
      write_triple(json, old_build.listing_bytes, new_build.listing_bytes);
    } else {
      write_triple(json, std::nullopt, std::nullopt);
    }
  }
  json.end_object();
  json.key("data_memory");
  if (mapped) {
    json.begin_object();
    json.key("used");
    write_triple(json, old_build.map->memory.data_used, new_build.map->memory.data_used);
    for (const MemoryKind kind : DATA_KINDS) {
      json.key(MEMORY_KIND_KEYS[static_cast<std::size_t>(kind)]);
      write_triple(json, bytes_of(old_build, kind), bytes_of(new_build, kind));
    }
    json.end_object();
  } else {
    json.null();
  }
  json.key("files");
  json.begin_array();
  for (const SizeChange& change : changes.files) {
    json.begin_object();
    json.key("file");
    json.string(change.name);
    json.key("flash");
    write_triple(json, change.old_bytes, change.new_bytes);
    json.end_object();
  }
  json.end_array();
  json.key("functions");
  json.begin_array();
  for (const SizeChange& change : changes.functions) {
    json.begin_object();
    json.key("name");
    json.string(change.name);
    json.key("file");
    json.string(change.file);
    json.key("bytes");
    write_triple(json, change.old_bytes, change.new_bytes);
    json.end_object();
  }
  json.end_array();
  json.end_object();
}

} // namespace vadrimel
