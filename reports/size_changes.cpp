#include "reports/size_changes.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string_view>
#include <utility>

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
    sizes[std::string(file.file)] += file.flash;
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
    const std::string name(is_procedural_abstraction(function.name) ? "__pa_*"
                                                                    : function.name);
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

} // namespace

SizeChanges changes_of(const BuildSizes& old_build, const BuildSizes& new_build) {
  // With a map for one build alone, the files compare as both listings tell
  // them: a map's flash and a listing's code are not alike.
  if ((old_build.map == nullptr) != (new_build.map == nullptr)) {
    if (old_build.map_alone || new_build.map_alone) {
      SizeChanges none;
      none.files_compared = false;
      return none;
    }
    return changes_of(listing_alone(old_build), listing_alone(new_build));
  }
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

} // namespace vadrimel
