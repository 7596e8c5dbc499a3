#ifndef VADRIMEL_FORMS_JSON_SIZE_JSON_H_
#define VADRIMEL_FORMS_JSON_SIZE_JSON_H_

#include "forms/json/json_writer.h"
#include "reports/build_sizes.h"

namespace vadrimel {

/// The JSON object of one build's sizes (-s -j): null where the build does
/// not know a figure (without a map: the part's size, the other kinds, RAM).
void write_sizes_json(const BuildSizes& sizes, JsonWriter& json);

} // namespace vadrimel

#endif // VADRIMEL_FORMS_JSON_SIZE_JSON_H_
