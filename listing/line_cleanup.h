#ifndef VADRIMEL_LISTING_LINE_CLEANUP_H_
#define VADRIMEL_LISTING_LINE_CLEANUP_H_

/// The steps that rewrite a listing line, one file each, in the order the
/// conversion takes them: the source path is taken off (source_path), the
/// build's noise masked (build_noise_mask, option -d), tabs expanded
/// (tab_expansion, option -t), the text cut into pieces, cut at the maximum
/// length and stripped (cut_and_strip), or wrapped (wrapping, option -w).

#include "listing/build_noise_mask.h"
#include "listing/columns.h"
#include "listing/cut_and_strip.h"
#include "listing/source_path.h"
#include "listing/tab_expansion.h"
#include "listing/wrapping.h"

#endif // VADRIMEL_LISTING_LINE_CLEANUP_H_
