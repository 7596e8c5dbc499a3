#ifndef VADRIMEL_FORMS_JSON_CALL_JSON_H_
#define VADRIMEL_FORMS_JSON_CALL_JSON_H_

#include "forms/json/json_writer.h"
#include "model/build.h"

namespace vadrimel {

/// The calls of a build as the JSON object of -g -j: `map`, `levels`,
/// `worst_case`, `roots` with each `chain`, and `functions`. The build was
/// read with its program words.
void write_calls_json(const Build& build, JsonWriter& json);

} // namespace vadrimel

#endif // VADRIMEL_FORMS_JSON_CALL_JSON_H_
