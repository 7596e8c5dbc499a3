#ifndef VADRIMEL_SYSTEM_FILE_NAMES_H_
#define VADRIMEL_SYSTEM_FILE_NAMES_H_

#include <optional>
#include <string>
#include <string_view>

#include "system/platform.h"

namespace vadrimel {

/// What names lead to, and the names of outputs. Names are bytes on POSIX
/// systems and UTF-8 on Windows.

/// The file `name` leads to; empty when it leads to no regular file or block
/// device.
std::optional<FileIdentity> identity_of_name(const std::string& name);

/// True when both names are of one existing regular file or one block device,
/// by whatever spelling, letter case (where the system ignores it) or link.
/// Other devices and anything that does not exist yet are never the same.
bool names_same_file(const std::string& input_name, const std::string& output_name);

/// True when `name` leads to an existing regular file or block device.
bool names_existing_file(const std::string& name);

/// True when `name` leads to something that exists and is neither a regular
/// file nor a directory (a pipe, a device), which a report must not read.
bool names_special_file(const std::string& name);

/// True when `name` is of an existing file, not a directory, whose name ends
/// in ".lst" in any letter case, or that is reached through a link whose name
/// does.
bool names_existing_listing(const std::string& name);

/// The output that -b makes of a listing: its name, as the system resolves
/// it, with the last extension replaced by ".txt" (a.lst and A.LST give
/// a.txt and A.txt, x gives x.txt, and on Windows in.lst. gives in.txt).
std::string output_name_for(std::string_view listing_as_given);

} // namespace vadrimel

#endif // VADRIMEL_SYSTEM_FILE_NAMES_H_
