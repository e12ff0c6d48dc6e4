# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later

# Run by CPack before it makes the installer. Left to CPack, the installer takes the staged files
# in the order the file system lists them, so that two builds of the same sources on different
# file systems give different installers. These lists name every file and folder in name order.
if(NOT CPACK_GENERATOR STREQUAL "NSIS")
    return()
endif()

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${CPACK_TEMPORARY_DIRECTORY}
    ${CPACK_TEMPORARY_DIRECTORY}/*)
file(GLOB_RECURSE folders LIST_DIRECTORIES true RELATIVE ${CPACK_TEMPORARY_DIRECTORY}
    ${CPACK_TEMPORARY_DIRECTORY}/*)
list(REMOVE_ITEM folders ${files})

set(install "")
set(delete "")
set(folder "")
foreach(file IN LISTS files)
    string(REPLACE "/" "\\" windows_file "${file}")
    cmake_path(GET file PARENT_PATH parent)
    if(NOT parent STREQUAL folder)
        set(folder "${parent}")
        set(out_path "$INSTDIR")
        if(folder)
            string(REPLACE "/" "\\" windows_folder "${folder}")
            string(APPEND out_path "\\${windows_folder}")
        endif()
        string(APPEND install "    SetOutPath \"${out_path}\"\n")
    endif()
    string(APPEND install "    File \"\${INST_DIR}\\${windows_file}\"\n")
    string(APPEND delete "    Delete \"$INSTDIR\\${windows_file}\"\n")
endforeach()
# Inner folders go before the folders that hold them.
list(REVERSE folders)
set(rmdir "")
foreach(folder IN LISTS folders)
    string(REPLACE "/" "\\" windows_folder "${folder}")
    string(APPEND rmdir "    RMDir \"$INSTDIR\\${windows_folder}\"\n")
endforeach()

set(CPACK_NSIS_FULL_INSTALL "${install}")
set(CPACK_NSIS_DELETE_FILES "${delete}")
set(CPACK_NSIS_DELETE_DIRECTORIES "${rmdir}")
