# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later

# Puts the page together in FOLDER, and FOLDER's zip in ZIP. The files that change with the code
# (the module, its loader with the page's scripts, the style, the face of its signs) carry a hash
# of what they hold in their names, so that hosts may let browsers keep them for good; the page,
# the manifest and the service worker keep their names, and the service worker keeps the rest for
# use offline.
# Run by web/CMakeLists.txt with cmake -P.
cmake_policy(VERSION 3.25)

file(REMOVE_RECURSE ${FOLDER})
file(MAKE_DIRECTORY ${FOLDER})

# NAME with the first 12 digits of HASH before its extension, in OUT.
function(hashed_name name hash out)
    string(SUBSTRING ${hash} 0 12 hash)
    string(REGEX REPLACE "^([^.]*)\\." "\\1.${hash}." name ${name})
    set(${out} ${name} PARENT_SCOPE)
endfunction()

# CONTENT written as NAME, named by its hash; the name in OUT.
function(hashed name content out)
    string(SHA256 hash "${content}")
    hashed_name(${name} ${hash} name)
    file(WRITE ${FOLDER}/${name} "${content}")
    set(${out} ${name} PARENT_SCOPE)
endfunction()

# FILE copied byte for byte as NAME, named by its hash; the name in OUT.
function(copy_hashed file name out)
    file(SHA256 ${file} hash)
    hashed_name(${name} ${hash} name)
    file(COPY_FILE ${file} ${FOLDER}/${name})
    set(${out} ${name} PARENT_SCOPE)
endfunction()

cmake_path(GET LOADER PARENT_PATH loader_dir)
cmake_path(GET LOADER STEM program)
# The module as it is; the loader then names it by its hashed name.
copy_hashed(${loader_dir}/${program}.wasm ${program}.wasm MODULE)
file(READ ${LOADER} loader)
string(REPLACE "${program}.wasm" "${MODULE}" loader "${loader}")
hashed(${program}.js "${loader}" SCRIPT)
# The face of the signs, named by its hash, and the style that names it.
cmake_path(GET FORM FILENAME form)
copy_hashed(${FORM}-signs.woff2 ${form}-signs.woff2 SIGNS)
file(READ ${FORM}.css style)
string(REPLACE "${form}-signs.woff2" "${SIGNS}" style "${style}")
hashed(${program}.css "${style}" STYLE)

file(READ ${FORM}.csp EARLY)
file(READ ${FORM}.head HEAD)
string(REPLACE "@SCRIPT@" "${SCRIPT}" HEAD "${HEAD}")
file(READ ${FORM}.html FORM)
configure_file(${TEMPLATES}/index.html.in ${FOLDER}/index.html @ONLY)
configure_file(${TEMPLATES}/manifest.webmanifest.in ${FOLDER}/manifest.webmanifest COPYONLY)
foreach(file IN LISTS FILES)
    cmake_path(GET file FILENAME name)
    file(COPY_FILE ${file} ${FOLDER}/${name})
endforeach()
file(COPY ${NOTICES} DESTINATION ${FOLDER})
file(COPY_FILE ${LICENSE} ${FOLDER}/LICENSE.txt)

# What the service worker keeps: every file but itself, the licence and the notices, which no
# one needs offline. The chimes and the face of the signs are kept as they are asked for, where
# they cannot be at once; the rest is the core of the release. The release is named after the
# hash of every file that it keeps.
file(GLOB kept RELATIVE ${FOLDER} ${FOLDER}/*)
list(REMOVE_ITEM kept LICENSE.txt notices)
list(SORT kept)
set(contents "")
foreach(file IN LISTS kept)
    file(SHA256 ${FOLDER}/${file} hash)
    string(APPEND contents "${hash} ${file}\n")
endforeach()
string(SHA256 hash "${contents}")
string(SUBSTRING ${hash} 0 12 hash)
set(RELEASE pythagorean-triple-${PROJECT_VERSION}-${hash})
set(LATER ${kept})
list(FILTER LATER INCLUDE REGEX "\\.(wav|woff2)$")
list(REMOVE_ITEM kept ${LATER})
list(JOIN kept " " CORE)
set(CORE "./ ${CORE}")
list(JOIN LATER " " LATER)
configure_file(${TEMPLATES}/service-worker.js ${FOLDER}/service-worker.js @ONLY)

# The zip holds the folder, its files in name order with the last commit's time and the same
# modes, and nothing of the file system besides (zip -X), so that two builds of the same sources
# give the same zip wherever they are made.
file(CHMOD_RECURSE ${FOLDER} FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
    DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)
cmake_path(GET FOLDER PARENT_PATH parent)
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${parent} ${FOLDER}/*)
list(SORT files)
file(REMOVE ${ZIP})
execute_process(COMMAND touch -d @${SOURCE_DATE_EPOCH} ${files}
    COMMAND_ERROR_IS_FATAL ANY WORKING_DIRECTORY ${parent})
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC zip -X -q -9 ${ZIP} -- ${files}
    WORKING_DIRECTORY ${parent} COMMAND_ERROR_IS_FATAL ANY)
