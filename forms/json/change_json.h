#ifndef VADRIMEL_FORMS_JSON_CHANGE_JSON_H_
#define VADRIMEL_FORMS_JSON_CHANGE_JSON_H_

#include "forms/json/json_writer.h"
#include "reports/build_sizes.h"
#include "reports/size_changes.h"

namespace vadrimel {

/// Two builds compared (-s old new -j) as a JSON object: every row,
/// unchanged ones too; null where a build does not know a figure.
void write_changes_json(const BuildSizes& old_build, const BuildSizes& new_build,
                        const SizeChanges& changes, JsonWriter& json);

} // namespace vadrimel

#endif // VADRIMEL_FORMS_JSON_CHANGE_JSON_H_
