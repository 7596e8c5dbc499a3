#ifndef VADRIMEL_LISTING_LINE_READER_H_
#define VADRIMEL_LISTING_LINE_READER_H_

#include "listing/held_line.h"
#include "listing/input_stream.h"
#include "listing/line_text.h"

namespace vadrimel {

/// A line feed ended the chunk; it was consumed and is not stored.
inline constexpr int CHUNK_LINE_END = 0;
/// The chunk is full; the rest of the same line follows in the next chunk.
inline constexpr int CHUNK_SPLIT = 1;
/// The input ended (or could not be read further); the chunk holds what came
/// after the last line feed, possibly nothing.
inline constexpr int CHUNK_END_OF_FILE = -1;

/// Reads the next chunk into `line_buffer`: the bytes up to the next line
/// feed, at most MAX_CHUNK_LENGTH of them, CRs dropped wherever they stand.
/// Returns CHUNK_LINE_END, CHUNK_SPLIT or CHUNK_END_OF_FILE; the caller stops
/// after CHUNK_END_OF_FILE. Nothing after the line feed that ends a chunk is
/// consumed.
int fetch_line_chunk(LineChunk& line_buffer, InputStream& input_stream);

} // namespace vadrimel

#endif // VADRIMEL_LISTING_LINE_READER_H_
