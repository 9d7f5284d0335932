# Checks generate_reference: same bytes on every run and every machine, and
# never writing into a folder that holds files.
#   cmake -DGENERATOR=path -DWORK_DIR=path -P check_generator.cmake
#
# The checksums below belong to the output of "generate_reference DIR 1".
# A deliberate change to the generator changes them: replace them with the
# new values that this script prints, in the same change.

set(expected_files PART01.TXT PART02.TXT PART03.TXT PART04.TXT PART05.TXT)
set(expected_sha256
  a6df6d940fa08d8cbc9268b812adcc6769c156a72afd444bd72edb5a60fde5a7
  d873bdd418ee9edb80c63c7d36fbf07760ac40d2b768d4ef7b13e139b7d19359
  0f5d9462c8340711fbc9db88173141544e5b6e0bcd0bdf474035a28ea77bbe05
  17364a9fcbc51d90c1289232de6207d236843e943b59311f1bebb4d32333b9d6
  3907c52a31230b37d5e9ffaa53e0020e0b93bebf1f7b5802f439516d2370958c)

if(NOT GENERATOR OR NOT WORK_DIR)
  message(FATAL_ERROR "usage: cmake -DGENERATOR=... -DWORK_DIR=... -P check_generator.cmake")
endif()

file(REMOVE_RECURSE "${WORK_DIR}")

function(generate folder out_hashes)
  execute_process(COMMAND "${GENERATOR}" "${folder}" 1
    RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "generate_reference ${folder} 1 failed (${rc}): ${err}")
  endif()
  file(GLOB names RELATIVE "${folder}" "${folder}/*")
  list(SORT names)
  if(NOT names STREQUAL expected_files)
    message(FATAL_ERROR "unexpected files in ${folder}: ${names}")
  endif()
  set(hashes "")
  foreach(name IN LISTS names)
    file(SHA256 "${folder}/${name}" hash)
    list(APPEND hashes "${hash}")
  endforeach()
  set(${out_hashes} "${hashes}" PARENT_SCOPE)
endfunction()

generate("${WORK_DIR}/first" first)
generate("${WORK_DIR}/second" second)
if(NOT first STREQUAL second)
  message(FATAL_ERROR "two runs with the same arguments wrote different bytes")
endif()
if(NOT first STREQUAL expected_sha256)
  string(REPLACE ";" "\n  " shown "${first}")
  message(FATAL_ERROR
    "the output differs from the pinned checksums; if the generator was "
    "changed on purpose, pin these:\n  ${shown}")
endif()

# A folder that holds files is refused and left as it was.
execute_process(COMMAND "${GENERATOR}" "${WORK_DIR}/first" 1
  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
if(rc EQUAL 0)
  message(FATAL_ERROR "generate_reference wrote into a folder that holds files")
endif()
set(after "")
foreach(name IN LISTS expected_files)
  file(SHA256 "${WORK_DIR}/first/${name}" hash)
  list(APPEND after "${hash}")
endforeach()
if(NOT after STREQUAL first)
  message(FATAL_ERROR "a refused run changed the files that were there")
endif()

file(REMOVE_RECURSE "${WORK_DIR}")
