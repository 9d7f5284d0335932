# Writes a C++ source file that defines one marlix::EmbeddedFile per input
# file, holding the file's bytes:
#   cmake -DOUTPUT=out.cpp -DHEADER=engine/docset_icons.h
#         "-DFILES=kName=path/a.png;kOther=path/b.png" -P EmbedFiles.cmake
# HEADER is the include that declares the names.
foreach(required OUTPUT HEADER FILES)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "EmbedFiles.cmake: ${required} is not set")
  endif()
endforeach()

set(source "// Made by cmake/EmbedFiles.cmake from the files named below; not to be edited.\n")
string(APPEND source "#include \"${HEADER}\"\n\nnamespace marlix {\nnamespace {\n")
set(definitions "")
foreach(entry IN LISTS FILES)
  string(REGEX MATCH "^([A-Za-z_][A-Za-z0-9_]*)=(.+)$" matched "${entry}")
  if(NOT matched)
    message(FATAL_ERROR "EmbedFiles.cmake: '${entry}' is not NAME=PATH")
  endif()
  set(name "${CMAKE_MATCH_1}")
  set(path "${CMAKE_MATCH_2}")
  file(READ "${path}" hex HEX)
  string(LENGTH "${hex}" digits)
  if(digits EQUAL 0)
    message(FATAL_ERROR "EmbedFiles.cmake: ${path} is empty")
  endif()
  math(EXPR size "${digits} / 2")
  # Sixteen bytes a line.
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n  " bytes "${bytes}")
  get_filename_component(file_name "${path}" NAME)
  string(APPEND source "\n// ${file_name}, ${size} bytes\nconst unsigned char ${name}Bytes[] = {\n  ${bytes}\n};\n")
  string(APPEND definitions "const EmbeddedFile ${name} = {${name}Bytes, sizeof ${name}Bytes};\n")
endforeach()
string(APPEND source "\n}  // namespace\n\n${definitions}\n}  // namespace marlix\n")

# Rewritten only when it changes, so that a new build does not recompile it.
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" previous)
  if(previous STREQUAL source)
    return()
  endif()
endif()
file(WRITE "${OUTPUT}" "${source}")
