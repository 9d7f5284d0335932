# Writes a C++ source file that holds files as character arrays, so that the
# program carries them and needs nothing installed beside it.
#
#   cmake -P EmbedFiles.cmake OUTPUT HEADER NAME FILE [NAME FILE]...
#
# Each FILE becomes `const char NAME[]`: its bytes, then a zero byte. HEADER
# is the header that declares the arrays (extern), included first so that they
# are seen outside the file. A text file may hold no zero byte (it is read up
# to the first); a NAME written NAME:bytes is a file of any bytes (a picture),
# for which `const std::size_t NAMESize`, its size, is written too (HEADER
# declares it as well, and includes <cstddef>).
if(CMAKE_ARGC LESS 7)
  message(FATAL_ERROR "usage: cmake -P EmbedFiles.cmake OUTPUT HEADER NAME FILE [NAME FILE]...")
endif()
# CMAKE_ARGV0 is cmake, 1 is -P, 2 this script.
set(output "${CMAKE_ARGV3}")
set(header "${CMAKE_ARGV4}")
set(text "// Made by cmake/EmbedFiles.cmake at build time: edit the files it names.\n")
string(APPEND text "#include \"${header}\"\n\nnamespace marlix {\n")
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE 5 ${last} 2)
  math(EXPR next "${i} + 1")
  set(name "${CMAKE_ARGV${i}}")
  set(file "${CMAKE_ARGV${next}}")
  set(binary FALSE)
  if(name MATCHES "^(.+):bytes$")
    set(name "${CMAKE_MATCH_1}")
    set(binary TRUE)
  endif()
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "EmbedFiles.cmake: no file ${file}")
  endif()
  file(READ "${file}" hex HEX)
  string(REGEX REPLACE "(..)" "'\\\\x\\1'," bytes "${hex}")
  # Looked for byte by byte once they are apart: a pattern that pairs the
  # digits itself, "^(..)*00", recurses once a byte and overflows the stack
  # on a file of some tens of kilobytes.
  string(FIND "${bytes}" "'\\x00'" zero)
  if(NOT binary AND zero GREATER_EQUAL 0)
    message(FATAL_ERROR "EmbedFiles.cmake: ${file} holds a zero byte")
  endif()
  # Sixteen bytes to a line (CMake's expressions have no counted repeats).
  string(REPEAT "'[^']*'," 16 sixteen)
  string(REGEX REPLACE "(${sixteen})" "\\1\n" bytes "${bytes}")
  get_filename_component(file_name "${file}" NAME)
  string(APPEND text "\n// ${name}: ${file_name}\nconst char ${name}[] = {\n${bytes}'\\0'};\n")
  if(binary)
    string(APPEND text "const std::size_t ${name}Size = sizeof ${name} - 1;\n")
  endif()
endforeach()
string(APPEND text "\n}  // namespace marlix\n")
# Rewritten only when it changes, so that an unchanged file compiles once.
set(before "")
if(EXISTS "${output}")
  file(READ "${output}" before)
endif()
if(NOT before STREQUAL text)
  file(WRITE "${output}" "${text}")
endif()
