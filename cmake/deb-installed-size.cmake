# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later

# Run by CPack once it has made the .deb. CPack adds up the sizes that the file system gives its
# entries, folders included (4 KiB each on ext4, a few bytes an entry on tmpfs), so that the
# package's Installed-Size would depend on where it was made. Debian's own tools count each file's
# size in KiB, rounded up, and 1 KiB for each folder; the package is made again by dpkg-deb with
# that figure, from the same files.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(NOT package MATCHES "\\.deb$")
        continue()
    endif()
    set(tree ${CPACK_TOPLEVEL_DIRECTORY}/installed-size)
    file(REMOVE_RECURSE ${tree})
    execute_process(COMMAND dpkg-deb --raw-extract ${package} ${tree} COMMAND_ERROR_IS_FATAL ANY)

    file(GLOB_RECURSE entries LIST_DIRECTORIES true ${tree}/*)
    set(kib 1)
    foreach(entry IN LISTS entries)
        file(RELATIVE_PATH name ${tree} ${entry})
        if(name MATCHES "^DEBIAN(/|$)")
            continue()
        elseif(IS_SYMLINK ${entry})
            file(READ_SYMLINK ${entry} target)
            string(LENGTH "${target}" bytes)
        elseif(IS_DIRECTORY ${entry})
            math(EXPR kib "${kib} + 1")
            continue()
        else()
            file(SIZE ${entry} bytes)
        endif()
        math(EXPR kib "${kib} + (${bytes} + 1023) / 1024")
    endforeach()

    file(READ ${tree}/DEBIAN/control control)
    string(REGEX REPLACE "\nInstalled-Size: [0-9]+\n" "\nInstalled-Size: ${kib}\n" control
        "${control}")
    file(WRITE ${tree}/DEBIAN/control "${control}")
    execute_process(COMMAND touch --no-dereference --date=@$ENV{SOURCE_DATE_EPOCH}
        ${tree}/DEBIAN ${tree}/DEBIAN/control COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND dpkg-deb --root-owner-group -Zxz --build ${tree} ${package}
        OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE ${tree})
endforeach()
