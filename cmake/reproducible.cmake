# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later

# Two builds of the same sources give the same packages, byte for byte, wherever they are built:
# every time stamp is the last commit's and no build path is kept.

# The last commit's time: given by whoever builds (as Debian's tools do), else from git, else
# from the file that `git archive` fills in for a source release.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
    find_package(Git QUIET)
    if(GIT_FOUND AND EXISTS ${PROJECT_SOURCE_DIR}/.git)
        execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
            WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
            OUTPUT_VARIABLE SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
            RESULT_VARIABLE git_status ERROR_QUIET)
    endif()
    if(NOT git_status EQUAL 0 OR NOT SOURCE_DATE_EPOCH)
        file(STRINGS ${PROJECT_SOURCE_DIR}/cmake/source-date-epoch SOURCE_DATE_EPOCH
            REGEX "^[0-9]+$")
    endif()
endif()
if(NOT SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    message(FATAL_ERROR "No time for the build: set SOURCE_DATE_EPOCH, or build from a git "
        "checkout or a source release")
endif()

# rcc stamps each resource with its file's time, and the packagers stamp every file they hold;
# both take the commit's time from the environment when they run.
set_property(GLOBAL PROPERTY RULE_LAUNCH_CUSTOM
    "${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH}")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack-environment.cmake)
set(CPACK_SOURCE_DATE_EPOCH ${SOURCE_DATE_EPOCH})

# Paths into the sources and the build folder appear as relative ones.
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
    -ffile-prefix-map=${PROJECT_BINARY_DIR}/=)

# A PE file's header holds its link time unless told not to.
if(WIN32)
    add_link_options(-Wl,--no-insert-timestamp)
endif()
