#ifndef VADRIMEL_REPORT_CALL_REPORT_H_
#define VADRIMEL_REPORT_CALL_REPORT_H_

#include <cstdio>
#include <optional>
#include <span>
#include <string>

#include "listing/line_source.h"
#include "report/call_graph.h"
#include "report/json_writer.h"
#include "report/map_file.h"
#include "report/program_words.h"
#include "report/report_request.h"

namespace vadrimel {

/// Option -g: the calls of the listing's code from reset and the two
/// interrupts, the worst case of the return stack against its 31 levels, the
/// deepest chain of each root and every function's depth, named from the
/// build's map when there is one. Written to `output`, as text or JSON;
/// returns the exit status.
/// A build's calls: its program words, its map when there is one, and the
/// graph of its calls.
struct CallsOfBuild {
  std::optional<MapFile> map;
  ProgramWords words;
  CallGraph graph;
};

/// Reads the listing named and its map into `calls`. Returns the exit
/// status; on failure the message has been written.
int read_calls(const std::string& listing, const char* map_name, LineSource& lines,
               CallsOfBuild& calls, std::FILE* messages);
/// The same with the map already read (or none).
int read_calls(const std::string& listing, LineSource& lines,
               const std::optional<MapFile>& map, CallsOfBuild& calls,
               std::FILE* messages);

/// The JSON object of -g -j.
void write_calls_json(const CallsOfBuild& calls, JsonWriter& json);

int report_calls(std::span<const char* const> names, const ReportRequest& request,
                 LineSource& lines, std::FILE* output, std::FILE* messages);

} // namespace vadrimel

#endif // VADRIMEL_REPORT_CALL_REPORT_H_
