# Turns the artwork files into C++ arrays.
#   cmake -DINPUTS=<file>|<file>|... -DOUTPUT=<file.cpp> -P embed_assets.cmake
# Picture n (from 1) is the n-th input.

string(REPLACE "|" ";" inputs "${INPUTS}")

set(body "// Generated from the files in assets/ by embed_assets.cmake; do not edit.\n\n")
string(APPEND body "#include \"assets/embedded_table.h\"\n\n")
string(APPEND body "namespace tarvik::embedded_detail {\nnamespace {\n\n")

string(REPEAT "0x[0-9a-f][0-9a-f], " 16 line_pattern)
set(index 0)
set(table "")
foreach(input IN LISTS inputs)
  math(EXPR index "${index} + 1")
  file(READ "${input}" hex HEX)
  file(SIZE "${input}" size)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1, " bytes "${hex}")
  string(REGEX REPLACE "(${line_pattern})" "\\1\n" bytes "${bytes}")
  get_filename_component(name "${input}" NAME)
  string(APPEND body "// A${index}: ${name}\nconst unsigned char kAsset${index}[] = {\n${bytes}\n};\n\n")
  string(APPEND table "    AssetBytes{kAsset${index}, ${size}},\n")
endforeach()

string(APPEND body "}  // namespace\n\n")
string(APPEND body "extern const AssetBytes kAssets[] = {\n${table}};\n")
string(APPEND body "extern const std::size_t kAssetCount = ${index};\n\n")
string(APPEND body "}  // namespace tarvik::embedded_detail\n")

file(WRITE "${OUTPUT}" "${body}")
