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

bool is_numbered(std::string_view name, std::string_view prefix) {
  return name.size() > prefix.size() && name.starts_with(prefix) &&
         std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()),
                     name.end(), [](char digit) { return digit >= '0' && digit <= '9'; });
}

bool is_procedural_abstraction(std::string_view name) {
  return is_numbered(name, "__pa_");
}

/// The name a block is matched by: the numbered ones of a module as one.
std::string matched_name(std::string_view name) {
  if (is_procedural_abstraction(name)) {
    return "__pa_*";
  }
  return is_numbered(name, "__string_") ? "__string_*" : std::string(name);
}

using Keyed = std::map<std::pair<std::string, std::string>, SizeChange>;

/// The blocks of program memory of a build by name and the map's file name.
Keyed blocks_of(const BuildSizes& build) {
  Keyed blocks;
  for (const FunctionSize& block : build.blocks) {
    if (!in_program_memory(block.kind)) {
      continue;
    }
    const std::string name = matched_name(block.name);
    SizeChange& change = blocks[{name, std::string(file_name(block.owner))}];
    change.name = name;
    change.file = block.owner;
    change.kind = block.kind;
    change.new_bytes += block.bytes;
  }
  return blocks;
}

/// The changes of things keyed alike in two builds: the new build's with
/// what the old had, then what only the old had.
std::vector<SizeChange> matched(Keyed old_things, Keyed&& new_things) {
  std::vector<SizeChange> changes;
  for (auto& [key, change] : new_things) {
    const auto old_thing = old_things.find(key);
    if (old_thing != old_things.end()) {
      change.old_bytes = old_thing->second.new_bytes;
      old_things.erase(old_thing);
    }
    changes.push_back(std::move(change));
  }
  for (auto& [key, change] : old_things) {
    change.old_bytes = change.new_bytes;
    change.new_bytes = 0;
    changes.push_back(std::move(change));
  }
  sort_changes(changes);
  return changes;
}

/// The functions of a build by name and file name, with the path to show.
Keyed functions_of(const BuildSizes& build) {
  Keyed functions;
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
  changes.functions = matched(functions_of(old_build), functions_of(new_build));
  changes.blocks = matched(blocks_of(old_build), blocks_of(new_build));
  return changes;
}

} // namespace vadrimel
