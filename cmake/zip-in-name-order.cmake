# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later

# Run by CPack once it has made the zip. CPack takes the staged files in the order the file system
# lists them, so that two builds of the same sources on different file systems would give
# different zips. The zip is packed again from the same files in name order, with the same times
# (the last commit's, from SOURCE_DATE_EPOCH) and attributes.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(NOT package MATCHES "\\.zip$")
        continue()
    endif()
    cmake_path(GET CPACK_TEMPORARY_DIRECTORY PARENT_PATH staging)
    cmake_path(GET CPACK_TEMPORARY_DIRECTORY FILENAME top)
    file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${staging} ${staging}/${top}/*)
    file(REMOVE ${package})
    execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${package} --format=zip -- ${files}
        WORKING_DIRECTORY ${staging} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
