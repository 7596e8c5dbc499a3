#include "system/file_names.h"

#include <filesystem>

namespace vadrimel {

namespace {

namespace fs = std::filesystem;

bool ends_in_lst(const fs::path& path) {
  constexpr std::string_view LISTING_ENDING = ".lst";
  const fs::path::string_type name = path.filename().native();
  if (name.size() < LISTING_ENDING.size()) {
    return false;
  }
  const std::size_t start = name.size() - LISTING_ENDING.size();
  for (std::size_t index = 0; index < LISTING_ENDING.size(); ++index) {
    const auto letter = name[start + index];
    const auto lower = letter >= 'A' && letter <= 'Z' ? letter - 'A' + 'a' : letter;
    if (lower != LISTING_ENDING[index]) {
      return false;
    }
  }
  return true;
}

} // namespace

std::optional<FileIdentity> identity_of_name(const std::string& name) {
  const std::optional<fs::path> path = native_path(name);
  return path ? identity_of(*path) : std::nullopt;
}

bool names_same_file(const std::string& input_name, const std::string& output_name) {
  const std::optional<FileIdentity> input = identity_of_name(input_name);
  return input && input == identity_of_name(output_name);
}

bool names_existing_file(const std::string& name) {
  return identity_of_name(name).has_value();
}

bool names_special_file(const std::string& name) {
  const std::optional<fs::path> path = native_path(name);
  return path && leads_to_special_file(*path);
}

bool names_existing_listing(const std::string& name) {
  const std::optional<fs::path> path = native_path(name);
  const std::optional<fs::path> target = path ? final_name(*path) : std::nullopt;
  if (!target) {
    return false;
  }
  // The name as the system resolves it (on Windows "a.lst." is a.lst), and
  // the name of the file it leads to.
  const std::optional<fs::path> full = full_path(name);
  return ends_in_lst(*target) || (full && ends_in_lst(*full));
}

std::string output_name_for(std::string_view listing_as_given) {
  const std::string_view listing = resolved_name(listing_as_given);
  const std::size_t name_start = listing.find_last_of(FOLDER_SEPARATORS) + 1;
  const std::string_view name = listing.substr(name_start);
  // As std::filesystem has it: a leading dot starts a name, not an extension.
  const std::size_t dot = name.rfind('.');
  const bool has_extension = dot != std::string_view::npos && dot != 0 && name != "..";
  return std::string(
             listing.substr(0, name_start + (has_extension ? dot : name.size()))) +
         ".txt";
}

} // namespace vadrimel
