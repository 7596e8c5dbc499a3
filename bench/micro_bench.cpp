// Micro-benchmarks of the conversion's steps on a synthetic listing held in
// memory. The plain memchr walk over the same lines is the reference: the
// least any reader has to do to find the line ends.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "driver/conversion_run.h"
#include "map/linker_map.h"
#include "model/build.h"
#include "model/read_build.h"
#include "reports/build_sizes.h"

namespace vadrimel {
namespace {

/// The listing straight from memory, without a copy per run.
class ViewSource final : public ByteSource {
public:
  explicit ViewSource(std::string_view bytes) : bytes_(bytes) {}
  std::size_t read(char* buffer, std::size_t capacity) override {
    const std::size_t count = std::min(capacity, bytes_.size());
    std::memcpy(buffer, bytes_.data(), count);
    bytes_.remove_prefix(count);
    return count;
  }
  [[nodiscard]] bool failed() const override { return false; }

private:
  std::string_view bytes_;
};

/// Counts what it is given, so that only the conversion is measured.
class CountingSink final : public ByteSink {
public:
  bool write(const char* /*bytes*/, std::size_t size) override {
    written_ += size;
    return true;
  }
  bool close() override { return written_ != 0; }

private:
  std::size_t written_ = 0;
};

/// One run per set of options, kept from one conversion to the next as
/// the program keeps it from one listing to the next.
ConversionRun& run_for(const ConversionOptions& options) {
  static std::vector<std::pair<ConversionOptions, std::unique_ptr<ConversionRun>>> runs;
  for (auto& [kept, run] : runs) {
    if (kept == options) {
      return *run;
    }
  }
  runs.emplace_back(options, std::make_unique<ConversionRun>(options));
  return *runs.back().second;
}

/// Listing lines of the usual shape: columns padded to a path at column 124,
/// every seventh line without a path, CR LF line ends.
const std::string& listing() {
  static const std::string text = [] {
    std::string lines;
    for (int line = 0; lines.size() < (std::size_t{8} << 20U); ++line) {
      std::string row = "00" + std::to_string(1000 + line % 9000) +
                        "   0e01     MOVLW     0x1, ACCESS    \tmovlw\t0x01 ; step " +
                        std::to_string(line);
      row.resize(124, ' ');
      if (line % 7 != 0) {
        row += "C:\\work\\proj\\src\\file" + std::to_string(line / 40) + ".asm";
      }
      lines += row + "\r\n";
    }
    return lines;
  }();
  return text;
}

void BM_MemchrLines(benchmark::State& state) {
  const std::string& text = listing();
  for (auto _ : state) {
    std::size_t lines = 0;
    for (const char* at = text.data(); at != nullptr; ++lines) {
      at = static_cast<const char*>(std::memchr(
          at, '\n', static_cast<std::size_t>(text.data() + text.size() - at)));
      at = at != nullptr ? at + 1 : nullptr;
    }
    benchmark::DoNotOptimize(lines);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_MemchrLines);

void BM_FetchLineChunk(benchmark::State& state) {
  const std::string& text = listing();
  for (auto _ : state) {
    ViewSource source(text);
    auto input_stream = std::make_unique<InputStream>();
    input_stream->start(source);
    LineChunk line_buffer;
    while (fetch_line_chunk(line_buffer, *input_stream) != CHUNK_END_OF_FILE) {
      benchmark::DoNotOptimize(line_buffer.text.data());
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_FetchLineChunk);

/// The whole conversion in memory with the options given; -p is the
/// reference that -d, -t and -w are measured against.
void BM_ConvertStream(benchmark::State& state, ConversionOptions options) {
  const std::string& text = listing();
  for (auto _ : state) {
    ViewSource source(text);
    CountingSink sink;
    ConversionRun& run = run_for(options);
    benchmark::DoNotOptimize(run.convert(source, sink));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK_CAPTURE(BM_ConvertStream, default_m80, ConversionOptions{.max_length = 80});
BENCHMARK_CAPTURE(BM_ConvertStream, p_m80,
                  ConversionOptions{.max_length = 80,
                                    .line_scope = LineScope::WHOLE_LINE});
BENCHMARK_CAPTURE(BM_ConvertStream, d_m80,
                  ConversionOptions{.max_length = 80,
                                    .line_scope = LineScope::WHOLE_LINE,
                                    .mask_build_noise = true});
BENCHMARK_CAPTURE(BM_ConvertStream, p_t_w_m80,
                  ConversionOptions{.max_length = 80,
                                    .line_scope = LineScope::WHOLE_LINE,
                                    .tab_size = 8,
                                    .wrap = true});

/// The listings of the corpus beside the project, each as its bytes, and the
/// maps beside them in the same order (empty where a listing has none); none
/// when the corpus is not there.
struct Corpus {
  std::vector<std::string> listings;
  std::vector<std::string> maps;
};
const Corpus& corpus_files() {
  static const Corpus files = [] {
    Corpus found;
    const auto bytes_of = [](const std::filesystem::path& path) {
      std::ifstream file(path, std::ios::binary);
      return std::string(std::istreambuf_iterator<char>(file),
                         std::istreambuf_iterator<char>());
    };
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator it(VADRIMEL_CORPUS_DIR, error),
         end;
         !error && it != end; it.increment(error)) {
      if (it->path().extension() == ".lst") {
        found.listings.push_back(bytes_of(it->path()));
        std::filesystem::path map = it->path();
        found.maps.push_back(bytes_of(map.replace_extension(".map")));
      }
    }
    return found;
  }();
  return files;
}
const std::vector<std::string>& corpus() {
  return corpus_files().listings;
}
const std::vector<std::string>& corpus_maps() {
  return corpus_files().maps;
}

/// The real listings, ten times over, in memory: what a user's listings cost.
/// The plain copy of the same bytes is the reference (as `dd` is for the
/// program); bench/corpus_ratios.py prints each mode's ratio to it and to -p.
void BM_Corpus(benchmark::State& state, ConversionOptions options) {
  if (corpus().empty()) {
    state.SkipWithError("no corpus beside the project");
    return;
  }
  std::size_t bytes = 0;
  for (auto _ : state) {
    for (int round = 0; round < 10; ++round) {
      for (const std::string& listing : corpus()) {
        ViewSource source(listing);
        CountingSink sink;
        benchmark::DoNotOptimize(run_for(options).convert(source, sink));
        bytes += listing.size();
      }
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK_CAPTURE(BM_Corpus, default, ConversionOptions{});
BENCHMARK_CAPTURE(BM_Corpus, p, ConversionOptions{.line_scope = LineScope::WHOLE_LINE});
BENCHMARK_CAPTURE(BM_Corpus, d,
                  ConversionOptions{.line_scope = LineScope::WHOLE_LINE,
                                    .mask_build_noise = true});
BENCHMARK_CAPTURE(BM_Corpus, p_m80,
                  ConversionOptions{.max_length = 80,
                                    .line_scope = LineScope::WHOLE_LINE});
BENCHMARK_CAPTURE(BM_Corpus, p_t,
                  ConversionOptions{.line_scope = LineScope::WHOLE_LINE, .tab_size = 8});
BENCHMARK_CAPTURE(BM_Corpus, p_w_m80,
                  ConversionOptions{.max_length = 80,
                                    .line_scope = LineScope::WHOLE_LINE,
                                    .wrap = true});
BENCHMARK_CAPTURE(BM_Corpus, p_t_w_m80,
                  ConversionOptions{.max_length = 80,
                                    .line_scope = LineScope::WHOLE_LINE,
                                    .tab_size = 8,
                                    .wrap = true});

/// One build of the corpus read as the program reads it for a report: the
/// map (from memory) and the listing's table, with what the mode needs.
std::unique_ptr<Build> read_corpus_build(std::size_t index, const BuildNeeds& needs,
                                         bool with_map, LineSource& lines) {
  auto build = std::make_unique<Build>(needs);
  if (with_map) {
    MapReading map = read_linker_map(corpus_maps()[index]);
    if (map.map) {
      build->map = map_file_of("map", std::move(*map.map));
    }
  }
  build->ask_places();
  ViewSource source(corpus()[index]);
  benchmark::DoNotOptimize(read_listing_table(source, lines, *build));
  return build;
}

/// The reports on the same listings, each as its mode reads and works out a
/// build: -s with its ten lines (with and without the maps beside 13 of the
/// listings), -a with 100 addresses spread over the code, -g.
void BM_CorpusReport(benchmark::State& state, const BuildNeeds& needs, bool with_map) {
  if (corpus().empty() || corpus_maps().empty()) {
    state.SkipWithError("no corpus beside the project");
    return;
  }
  const auto lines = std::make_unique<LineSource>(LineScope::WHOLE_LINE);
  std::size_t bytes = 0;
  for (auto _ : state) {
    for (int round = 0; round < 10; ++round) {
      for (std::size_t index = 0; index < corpus().size(); ++index) {
        const std::unique_ptr<Build> build =
            read_corpus_build(index, needs, with_map, *lines);
        if (needs.program_words) {
          benchmark::DoNotOptimize(build->calls().functions.size());
        } else {
          benchmark::DoNotOptimize(sizes_of(*build).files.size());
        }
        bytes += corpus()[index].size();
      }
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BuildNeeds needs_of(std::size_t top_lines, bool block_places, bool program_words) {
  BuildNeeds needs;
  needs.top_lines = top_lines;
  needs.block_places = block_places;
  needs.program_words = program_words;
  return needs;
}
BuildNeeds hundred_addresses() {
  BuildNeeds needs;
  for (std::uint64_t address = 0; address < 100; ++address) {
    needs.addresses.push_back(address * 0x146);
  }
  return needs;
}
BENCHMARK_CAPTURE(BM_CorpusReport, s, needs_of(10, true, false), false);
BENCHMARK_CAPTURE(BM_CorpusReport, s_map, needs_of(10, true, false), true);
BENCHMARK_CAPTURE(BM_CorpusReport, g, needs_of(0, false, true), true);
BENCHMARK_CAPTURE(BM_CorpusReport, a_100, hundred_addresses(), true);

void BM_CorpusCopy(benchmark::State& state) {
  if (corpus().empty()) {
    state.SkipWithError("no corpus beside the project");
    return;
  }
  auto buffer = std::make_unique<IoBuffer>();
  std::size_t bytes = 0;
  for (auto _ : state) {
    for (int round = 0; round < 10; ++round) {
      for (const std::string& listing : corpus()) {
        ViewSource source(listing);
        CountingSink sink;
        for (std::size_t got = 1; got != 0;) {
          got = source.read(buffer->bytes.data(), buffer->bytes.size());
          sink.write(buffer->bytes.data(), got);
        }
        benchmark::DoNotOptimize(sink);
        bytes += listing.size();
      }
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_CorpusCopy);

} // namespace
} // namespace vadrimel

BENCHMARK_MAIN();
