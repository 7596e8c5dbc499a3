#include "forms/json/size_json.h"

#include <optional>
#include <string_view>

namespace vadrimel {

void write_sizes_json(const BuildSizes& sizes, JsonWriter& json) {
  const bool mapped = sizes.map != nullptr;
  const BuildMemory* memory = mapped ? &sizes.map->memory : nullptr;
  const auto kind_bytes = [memory](MemoryKind kind) -> std::optional<std::uint64_t> {
    if (memory == nullptr) {
      return std::nullopt;
    }
    return memory->kind_bytes[static_cast<std::size_t>(kind)];
  };
  json.begin_object();
  json.key("listing");
  json.string_or_null(sizes.map_alone ? std::nullopt
                                      : std::optional<std::string_view>(sizes.listing));
  json.key("map");
  json.string_or_null(mapped ? std::optional<std::string_view>(sizes.map->path)
                             : std::nullopt);
  json.key("program_memory");
  json.begin_object();
  json.key("used");
  json.number(mapped ? memory->program_used : sizes.listing_bytes);
  json.key("size");
  json.number_or_null(mapped ? std::optional<std::uint64_t>(memory->program_size)
                             : std::nullopt);
  json.key("code");
  json.number(mapped ? *kind_bytes(MemoryKind::CODE) : sizes.listing_bytes);
  for (const MemoryKind kind : {MemoryKind::STRINGS, MemoryKind::ROM_DATA,
                                MemoryKind::INITIAL_VALUES, MemoryKind::CONFIG}) {
    json.key(MEMORY_KIND_KEYS[static_cast<std::size_t>(kind)]);
    json.number_or_null(kind_bytes(kind));
  }
  json.end_object();
  json.key("data_memory");
  if (mapped) {
    json.begin_object();
    json.key("used");
    json.number(memory->data_used);
    json.key("variables");
    json.number_or_null(kind_bytes(MemoryKind::VARIABLES));
    json.key("stack");
    json.number_or_null(kind_bytes(MemoryKind::STACK));
    json.end_object();
  } else {
    json.null();
  }
  json.key("files");
  json.begin_array();
  for (const FileSize& file : sizes.files) {
    json.begin_object();
    json.key("file");
    json.string(file.file);
    json.key("flash");
    json.number(file.flash);
    json.key("code");
    json.number(file.code);
    json.key("ram");
    json.number_or_null(mapped ? std::optional<std::uint64_t>(file.ram) : std::nullopt);
    json.end_object();
  }
  json.end_array();
  json.key("functions");
  json.begin_array();
  for (const FunctionSize& function : sizes.functions) {
    json.begin_object();
    json.key("name");
    json.string(function.name);
    json.key("address");
    json.number(function.address);
    json.key("file");
    json.string(function.file);
    json.key("line");
    json.number_or_null(function.line);
    json.key("bytes");
    json.number(function.bytes);
    json.end_object();
  }
  json.end_array();
  json.key("lines");
  json.begin_array();
  for (const CodePlaces::Row& row : sizes.lines) {
    json.begin_object();
    json.key("file");
    json.string(row.path);
    json.key("line");
    json.number(row.number);
    json.key("bytes");
    json.number(row.bytes);
    json.key("text");
    json.string(row.text);
    json.end_object();
  }
  json.end_array();
  json.end_object();
}

} // namespace vadrimel
