#include "reports/build_sizes.h"

#include <algorithm>
#include <map>

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
    files.push_back(file);
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

BuildSizes sizes_of(const Build& build) {
  BuildSizes sizes;
  sizes.listing = build.listing;
  sizes.map_alone = build.map_alone;
  sizes.map = build.map ? &*build.map : nullptr;
  sizes.listing_bytes = build.listing_bytes();
  sizes.lines = build.places().top();
  sizes.listing_files = files_of(build.table());
  if (sizes.map == nullptr) {
    sizes.files = sizes.listing_files;
    return sizes;
  }
  const BuildMemory& memory = sizes.map->memory;
  sizes.files = files_of(memory);
  const std::vector<CodePlaces::Answer>& answers = build.places().answers();
  for (std::size_t index = 0; index < memory.blocks.size(); ++index) {
    const MemoryBlock& block = memory.blocks[index];
    FunctionSize placed{block.name, block.address, block.bytes, block.file,
                        {},         block.kind,    block.file};
    const std::optional<std::size_t> answer = index < build.block_answers().size()
                                                  ? build.block_answers()[index]
                                                  : std::nullopt;
    if (answer && answers[*answer].found) {
      placed.file = answers[*answer].path;
      placed.line = answers[*answer].number;
    }
    if (block.kind == MemoryKind::CODE) {
      sizes.functions.push_back(placed);
    }
    sizes.blocks.push_back(placed);
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
  return sizes;
}

BuildSizes listing_alone(const BuildSizes& sizes) {
  BuildSizes alone;
  alone.listing = sizes.listing;
  alone.map_alone = sizes.map_alone;
  alone.listing_bytes = sizes.listing_bytes;
  alone.files = sizes.listing_files;
  alone.listing_files = sizes.listing_files;
  alone.lines = sizes.lines;
  return alone;
}

} // namespace vadrimel
