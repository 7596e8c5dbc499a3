#include "report/build_sizes.h"

#include <algorithm>
#include <cstdlib>
#include <map>

#include "driver/platform.h"
#include "report/read_listing.h"

namespace vadrimel {

namespace {

constexpr std::size_t NOT_ASKED = ~std::size_t{0};

std::vector<FileSize> files_of(const BuildMemory& memory) {
  std::map<std::string_view, FileSize> by_file;
  for (const MemoryBlock& block : memory.blocks) {
    FileSize& file = by_file[block.file];
    if (in_program_memory(block.kind)) {
      file.flash += block.bytes;
      file.code += block.kind == MemoryKind::CODE ? block.bytes : 0;
    } else {
      file.ram += block.bytes;
    }
  }
  std::vector<FileSize> files;
  for (auto& [name, file] : by_file) {
    file.file = name;
    files.push_back(std::move(file));
  }
  std::sort(files.begin(), files.end(), [](const FileSize& left, const FileSize& right) {
    if (left.flash != right.flash) {
      return left.flash > right.flash;
    }
    if (left.ram != right.ram) {
      return left.ram > right.ram;
    }
    return left.file < right.file;
  });
  return files;
}

std::vector<FileSize> files_of(const ListingTable& table) {
  std::vector<FileSize> files;
  for (const auto& [path, file] : table.files()) {
    files.push_back({path, file.bytes, file.bytes, 0});
  }
  std::stable_sort(files.begin(), files.end(),
                   [](const FileSize& left, const FileSize& right) {
                     return left.flash > right.flash;
                   });
  return files;
}

} // namespace

int read_build_sizes(const std::string& listing, const char* map_name,
                     std::size_t top_lines, LineSource& lines, BuildSizes& sizes,
                     std::FILE* messages) {
  sizes.listing = listing;
  if (find_map(listing, map_name, sizes.map, messages) != EXIT_SUCCESS) {
    return EXIT_FAILURE;
  }
  CodePlaces places(top_lines);
  std::vector<std::pair<const MemoryBlock*, std::size_t>> blocks;
  if (sizes.map) {
    for (const MemoryBlock& block : sizes.map->memory.blocks) {
      blocks.emplace_back(
          &block, in_program_memory(block.kind) ? places.ask(block.address) : NOT_ASKED);
    }
  }
  if (read_listing(listing, lines, places, messages) != EXIT_SUCCESS) {
    return EXIT_FAILURE;
  }
  for (const auto& [path, file] : places.files()) {
    sizes.listing_bytes += file.bytes;
  }
  sizes.lines = places.top();
  sizes.listing_files = files_of(places);
  if (!sizes.map) {
    sizes.files = sizes.listing_files;
    return EXIT_SUCCESS;
  }
  warn_if_stale(*sizes.map, places, messages);
  sizes.files = files_of(sizes.map->memory);
  for (const auto& [block, answer_index] : blocks) {
    FunctionSize placed{block->name, block->address, block->bytes, block->file,
                        {},          block->kind,    block->file};
    if (answer_index != NOT_ASKED && places.answers()[answer_index].found) {
      placed.file = places.answers()[answer_index].path;
      placed.line = places.answers()[answer_index].number;
    }
    if (block->kind == MemoryKind::CODE) {
      sizes.functions.push_back(placed);
    }
    sizes.blocks.push_back(std::move(placed));
  }
  std::sort(sizes.functions.begin(), sizes.functions.end(),
            [](const FunctionSize& left, const FunctionSize& right) {
              if (left.bytes != right.bytes) {
                return left.bytes > right.bytes;
              }
              if (left.name != right.name) {
                return left.name < right.name;
              }
              return left.address < right.address;
            });
  return EXIT_SUCCESS;
}

void compare_maps_of_both_or_none(BuildSizes& old_build, BuildSizes& new_build,
                                  std::FILE* messages) {
  if (old_build.map.has_value() == new_build.map.has_value()) {
    return;
  }
  write_message(messages,
                "Note: no map beside one listing, the listings compared alone:");
  write_message(messages, old_build.map ? new_build.listing : old_build.listing);
  write_message(messages, "\n");
  for (BuildSizes* build : {&old_build, &new_build}) {
    build->map.reset();
    build->files = build->listing_files;
    build->functions.clear();
    build->blocks.clear();
  }
}

} // namespace vadrimel
