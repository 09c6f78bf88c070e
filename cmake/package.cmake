# SPDX-License-Identifier: MIT
# Installation and the Debian package.  cpack in the build directory makes
# trelvin_VERSION_ARCH.deb: lintian-clean, and byte-identical wherever the
# same sources are built.
include(GNUInstallDirs)
find_program(GZIP gzip REQUIRED)
find_program(DPKG_PARSECHANGELOG dpkg-parsechangelog)

# The man page and the changelog are installed compressed, without the
# name and time that gzip would otherwise store.
set(man_gz ${PROJECT_BINARY_DIR}/trelvin.1.gz)
set(changelog_gz ${PROJECT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${man_gz}
                   COMMAND ${GZIP} -9n < ${PROJECT_SOURCE_DIR}/doc/trelvin.1 > ${man_gz}
                   DEPENDS doc/trelvin.1 VERBATIM)
add_custom_command(OUTPUT ${changelog_gz}
                   COMMAND ${GZIP} -9n < ${PROJECT_SOURCE_DIR}/NEWS > ${changelog_gz}
                   DEPENDS NEWS VERBATIM)
add_custom_target(docs ALL DEPENDS ${man_gz} ${changelog_gz})

# Debian's machine-readable copyright file, made from LICENSE.
file(READ LICENSE license)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)\n\n(.*)" _ "${license}")
set(holders ${CMAKE_MATCH_1})
string(REGEX REPLACE "\n+$" "" terms "${CMAKE_MATCH_2}")
string(REPLACE "\n\n" "\n.\n" terms "${terms}")
string(REPLACE "\n" "\n " terms "${terms}")
file(WRITE ${PROJECT_BINARY_DIR}/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: ${PROJECT_NAME}

Files: *
Copyright: ${holders}
License: MIT
 ${terms}
")

install(TARGETS trelvin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${man_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_BINARY_DIR}/copyright ${changelog_gz}
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
# strip keeps the compiler's .comment section; a package has no use for it.
if(CMAKE_OBJCOPY)
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/trelvin\"
                      COMMAND_ERROR_IS_FATAL ANY)
    endif()")
endif()

# The package's Depends are read off the binary, so they always match what
# it links.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_CONTACT "trelvin developers <trelvin@example.org>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# CPack has no setting for Multi-Arch, so it rides on the line before it.
set(CPACK_DEBIAN_PACKAGE_SECTION "utils\nMulti-Arch: foreign")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "trelvin reads one YAML document from a file or standard input and writes
it as pretty-printed JSON, in one pass and in constant memory. Numbers keep
their text, and every failure is one line on standard error and status 1.")
set(CPACK_STRIP_FILES ON)
# Timestamps inside the package are the release's date from NEWS, unless
# the builder sets SOURCE_DATE_EPOCH.
if(DPKG_PARSECHANGELOG)
  execute_process(COMMAND ${DPKG_PARSECHANGELOG} -l ${PROJECT_SOURCE_DIR}/NEWS -S Timestamp
                  OUTPUT_VARIABLE release_epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                  COMMAND_ERROR_IS_FATAL ANY)
  file(WRITE ${PROJECT_BINARY_DIR}/CPackProjectConfig.cmake
       "if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})\n  set(ENV{SOURCE_DATE_EPOCH} ${release_epoch})\nendif()\n")
  set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/CPackProjectConfig.cmake)
endif()
# The source tarball holds what git tracks, never a build, a cache or
# cpack's own output.  cpack matches these against absolute paths, so each
# is anchored at the source folder: a clone under /build/ must still be
# packed whole.
set(CPACK_SOURCE_GENERATOR TGZ)
string(REGEX REPLACE "([][\\.*+?^$()|])" "\\\\\\1" top "${PROJECT_SOURCE_DIR}")
string(REGEX REPLACE "([][\\.*+?^$()|])" "\\\\\\1" bin "${PROJECT_BINARY_DIR}")
set(CPACK_SOURCE_IGNORE_FILES
    "^${top}/\\.git(/|$)" "^${top}/build[^/]*/" "^${bin}/"
    "^${top}/(.*/)?_CPack_Packages/" "^${top}/${PROJECT_NAME}[-_][^/]*\\.(tar\\.gz|deb)$"
    "^${top}/(.*/)?__pycache__/" "\\.pyc$")
set(CPACK_VERBATIM_VARIABLES ON)
include(CPack)
