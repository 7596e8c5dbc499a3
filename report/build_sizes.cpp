#include "report/build_sizes.h"

#include <algorithm>
#include <cstdlib>
#include <map>

#include "report/read_listing.h"

namespace vadrimel {

namespace {

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
  std::vector<std::pair<const MemoryBlock*, std::size_t>> code_blocks;
  if (sizes.map) {
    for (const MemoryBlock& block : sizes.map->memory.blocks) {
      if (block.kind == MemoryKind::CODE) {
        code_blocks.emplace_back(&block, places.ask(block.address));
      }
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
  for (const auto& [block, answer_index] : code_blocks) {
    const CodePlaces::Answer& answer = places.answers()[answer_index];
    FunctionSize function{block->name, block->address, block->bytes, block->file, {}};
    if (answer.found) {
      function.file = answer.path;
      function.line = answer.number;
    }
    sizes.functions.push_back(std::move(function));
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

} // namespace vadrimel
