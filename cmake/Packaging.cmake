# Packages of the programs, all with the version of project():
#   Linux:   cpack -G DEB in the Release build  -> marlix2html_<version>_<arch>.deb
#   Windows: the target "installer" of a cross build runs makensis
#            -> marlix2html-setup-<x86|x64>.exe
# scripts/package.sh makes all three.

# The changelog's first entry is the release the packages describe; its date
# goes into the AppStream release entry.
set(MARLIX_CHANGELOG "${PROJECT_SOURCE_DIR}/packaging/changelog")
file(STRINGS "${MARLIX_CHANGELOG}" marlix_trailer REGEX "^ -- " LIMIT_COUNT 1)
string(REGEX MATCH "([0-9]+) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9])" marlix_date "${marlix_trailer}")
set(marlix_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND marlix_months "${CMAKE_MATCH_2}" marlix_month)
if(marlix_date STREQUAL "" OR marlix_month LESS 0)
  message(FATAL_ERROR "packaging/changelog: no date in the first entry's trailer line")
endif()
math(EXPR marlix_month "${marlix_month} + 1" OUTPUT_FORMAT DECIMAL)
string(LENGTH "${marlix_month}" marlix_length)
if(marlix_length EQUAL 1)
  set(marlix_month "0${marlix_month}")
endif()
set(marlix_day "${CMAKE_MATCH_1}")
string(LENGTH "${marlix_day}" marlix_length)
if(marlix_length EQUAL 1)
  set(marlix_day "0${marlix_day}")
endif()
set(MARLIX_RELEASE_DATE "${CMAKE_MATCH_3}-${marlix_month}-${marlix_day}")

if(WIN32)
  # The installer of this cross build: the dialog program, the command line
  # program and the licence, with the uninstaller and the Start-menu entry.
  find_program(MARLIX_MAKENSIS makensis)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(marlix_arch x64)
  else()
    set(marlix_arch x86)
  endif()
  set(MARLIX_INSTALLER "${CMAKE_BINARY_DIR}/marlix2html-setup-${marlix_arch}.exe")
  if(MARLIX_MAKENSIS)
    add_custom_command(OUTPUT "${MARLIX_INSTALLER}"
      COMMAND "${MARLIX_MAKENSIS}" -V2 -INPUTCHARSET UTF8
              "-DVERSION=${PROJECT_VERSION}" "-DARCH=${marlix_arch}"
              "-DPROGRAM_DIR=${CMAKE_BINARY_DIR}" "-DSOURCE_DIR=${PROJECT_SOURCE_DIR}"
              "-DOUTFILE=${MARLIX_INSTALLER}"
              "${PROJECT_SOURCE_DIR}/packaging/windows/installer.nsi"
      DEPENDS marlix2html marlix2html-cli
              "${PROJECT_SOURCE_DIR}/packaging/windows/installer.nsi"
              "${PROJECT_SOURCE_DIR}/LICENSE"
              "${PROJECT_SOURCE_DIR}/resources/marlix2html.ico"
      VERBATIM)
    add_custom_target(installer DEPENDS "${MARLIX_INSTALLER}")
  endif()
  return()
endif()

# The Debian package: everything `cmake --install` puts under /usr, with the
# package dependencies worked out by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME marlix2html)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Marlix to HTML authors")
set(CPACK_PACKAGE_CONTACT "Marlix to HTML authors <marlix2html@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert the Marlix 2.10 text reference into HTML pages")
set(CPACK_PACKAGE_DESCRIPTION
"Marlix to HTML turns the Marlix 2.10 reference, plain text files in the
DOS code page 437 with a light line markup, into a self-contained folder
of HTML pages, with the cross-references turned into links, plus the
keyword index, contents file and project file of a help compiler. On
request it writes a web edition with navigation and a search page.
.
The package holds the dialog program marlix2html and the command line
program marlix2html-cli.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The docset edition writes its index with the SQLite library. Named here as
# well, so that the dependency does not rest on which program links it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsqlite3-0")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# Debian's own places for the changelog, the copyright and the manual page,
# made in the staging folder just before the package is built.
set(CPACK_PRE_BUILD_SCRIPTS "${PROJECT_SOURCE_DIR}/cmake/DebianStaging.cmake")
set(CPACK_OUTPUT_FILE_PREFIX "${CMAKE_BINARY_DIR}/packages")
set(CPACK_GENERATOR DEB)
include(CPack)

install(FILES "${MARLIX_CHANGELOG}" DESTINATION share/doc/marlix2html)
