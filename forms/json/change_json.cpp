#include "forms/json/change_json.h"

#include <optional>
#include <string_view>

namespace vadrimel {

namespace {

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
  json.string_or_null(build.map_alone ? std::nullopt
                                      : std::optional<std::string_view>(build.listing));
  json.key("map");
  json.string_or_null(build.map != nullptr
                          ? std::optional<std::string_view>(build.map->path)
                          : std::nullopt);
  json.end_object();
}

} // namespace

void write_changes_json(const BuildSizes& old_build, const BuildSizes& new_build,
                        const SizeChanges& changes, JsonWriter& json) {
  const bool neither = old_build.map == nullptr && new_build.map == nullptr;
  // A figure of the map for each build that has one; null for one that has
  // none.
  const auto each = [&](auto figure) {
    const auto of = [&figure](const BuildSizes& build) {
      return build.map != nullptr
                 ? std::optional<std::uint64_t>(figure(build.map->memory))
                 : std::nullopt;
    };
    write_triple(json, of(old_build), of(new_build));
  };
  json.begin_object();
  json.key("old");
  write_build(json, old_build);
  json.key("new");
  write_build(json, new_build);
  json.key("program_memory");
  json.begin_object();
  json.key("used");
  if (neither) {
    write_triple(json, old_build.listing_bytes, new_build.listing_bytes);
  } else {
    each([](const BuildMemory& memory) { return memory.program_used; });
  }
  json.key("size");
  each([](const BuildMemory& memory) { return memory.program_size; });
  for (const MemoryKind kind : PROGRAM_KINDS) {
    json.key(MEMORY_KIND_KEYS[static_cast<std::size_t>(kind)]);
    if (neither && kind == MemoryKind::CODE) {
      write_triple(json, old_build.listing_bytes, new_build.listing_bytes);
    } else {
      each([kind](const BuildMemory& memory) { return memory.bytes_of(kind); });
    }
  }
  json.end_object();
  json.key("data_memory");
  if (neither) {
    json.null();
  } else {
    json.begin_object();
    json.key("used");
    each([](const BuildMemory& memory) { return memory.data_used; });
    for (const MemoryKind kind : DATA_KINDS) {
      json.key(MEMORY_KIND_KEYS[static_cast<std::size_t>(kind)]);
      each([kind](const BuildMemory& memory) { return memory.bytes_of(kind); });
    }
    json.end_object();
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
  json.key("blocks");
  json.begin_array();
  for (const SizeChange& change : changes.blocks) {
    json.begin_object();
    json.key("name");
    json.string(change.name);
    json.key("file");
    json.string(change.file);
    json.key("kind");
    json.string(MEMORY_KIND_NAMES[static_cast<std::size_t>(change.kind)]);
    json.key("bytes");
    write_triple(json, change.old_bytes, change.new_bytes);
    json.end_object();
  }
  json.end_array();
  json.end_object();
}

} // namespace vadrimel
