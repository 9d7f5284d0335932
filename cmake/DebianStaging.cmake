# Run by CPack on the staging folder of the Debian package, before the
# package is made: Debian keeps the changelog and the manual pages compressed
# and the licence in the file "copyright" of the package's documentation.
set(doc "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/share/doc/${CPACK_PACKAGE_NAME}")
if(NOT EXISTS "${doc}/LICENSE" OR NOT EXISTS "${doc}/changelog")
  message(FATAL_ERROR "DebianStaging: ${doc} lacks LICENSE or changelog")
endif()

file(READ "${doc}/LICENSE" licence)
file(WRITE "${doc}/copyright"
"${CPACK_PACKAGE_NAME}, the programs marlix2html and marlix2html-cli.

Copyright (c) 2026 the Marlix to HTML authors

License: MIT

${licence}")
file(REMOVE "${doc}/LICENSE")

file(GLOB_RECURSE pages "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/share/man/*")
foreach(file IN LISTS pages ITEMS "${doc}/changelog")
  if(NOT file MATCHES "\\.gz$")
    execute_process(COMMAND gzip -9nf "${file}" RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "DebianStaging: gzip ${file} failed")
    endif()
  endif()
endforeach()
