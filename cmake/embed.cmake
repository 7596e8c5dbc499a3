# Writes files as byte arrays into one C++ source, so that the program carries
# them: cmake -DOUTPUT=x.cpp -DHEADER=forms/page/page_assets.h
#   -DASSETS="NAME=path;NAME=path" -P embed.cmake
# Each NAME becomes `const std::string_view NAME`, declared in HEADER.
set(source "// Made by cmake/embed.cmake from the files named below; not to be edited.\n")
string(APPEND source "#include \"${HEADER}\"\n\nnamespace vadrimel {\n\nnamespace {\n\n")
set(views "")
foreach(asset IN LISTS ASSETS)
  string(REPLACE "=" ";" parts "${asset}")
  list(GET parts 0 name)
  list(GET parts 1 path)
  file(READ "${path}" content HEX)
  string(LENGTH "${content}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${content}")
  get_filename_component(file_name "${path}" NAME)
  string(APPEND source "// ${file_name}\nconstexpr char ${name}_BYTES[] = {\n    ${bytes}};\n\n")
  string(APPEND views "const std::string_view ${name}(${name}_BYTES, ${size});\n")
endforeach()
string(APPEND source "} // namespace\n\n${views}\n} // namespace vadrimel\n")
file(WRITE "${OUTPUT}.new" "${source}")
# Rewritten only when it changes, so that nothing builds again for nothing.
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
