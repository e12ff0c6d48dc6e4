# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later

# The Windows build: the program's resources, the plugins linked into it, and the two packages, a
# portable zip and an installer.

configure_file(assets/pythagorean-triple.rc.in pythagorean-triple.rc @ONLY)
target_sources(pythagorean-triple PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/pythagorean-triple.rc)

# Qt is linked in, and with it the plugins it links into every program of a static build: the
# Windows platform and the native style (since Qt 6.7 one plugin holds the Windows 11 style, which
# Qt picks on Windows 11, and the Vista style, which it picks on Windows 10). So are the
# compiler's run-time libraries (CMakeLists.txt). Beside the program there is only its player.

# Symbols serve no one who runs the program and take most of the room.
set(INSTALLED_BINARIES $<TARGET_FILE_NAME:pythagorean-triple> $<TARGET_FILE_NAME:chimeplayer>)
install(CODE "
    foreach(binary IN ITEMS ${INSTALLED_BINARIES})
        execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded
            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${binary}\"
            COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
")

# Our licence, which the installer shows on its first page, and the notices (notices.cmake).
configure_file(${PROJECT_SOURCE_DIR}/LICENSES/GPL-3.0-or-later.txt LICENSE.txt COPYONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt DESTINATION ${CMAKE_INSTALL_BINDIR})
set(NOTICE_DIR ${CMAKE_CURRENT_BINARY_DIR}/notices)
include(cmake/notices.cmake)

execute_process(COMMAND dpkg-query -W -f=\${Version} qt6-base-dev OUTPUT_VARIABLE qt_version
    COMMAND_ERROR_IS_FATAL ANY)
third_party_notice(Qt qt6-base-dev "LGPL-3.0-only"
    "pythagorean-triple.exe (Qt Core, Gui, Widgets and the Windows platform and style plugins, "
    "linked in statically, with the code that Qt bundles of these: PCRE2, HarfBuzz, libpng, "
    "zlib, double-conversion, TinyCBOR, the easing equations and the MD5, SHA-1, SHA-2, SHA-3 "
    "and BLAKE2 hashes)"
    ", with qt-windows.patch beside this file applied, built as scripts/qt-windows.sh in "
    "the source release of Pythagorean triple does.\n\n"
    "Linking the program again with a changed Qt, as the LGPL allows: in the source release of "
    "Pythagorean triple on Debian with its MinGW-w64 compilers, unpack Qt's source with "
    "apt-get source qt6-base=${qt_version}, apply the patch, change what you will, then run\n\n"
    "    QT_SOURCE=/path/to/that/source make windows\n\n"
    "scripts/qt-windows.sh builds that Qt with the switches it lists, and the program is linked "
    "with it into build-windows/pythagorean-triple.exe.")
file(COPY ${PROJECT_SOURCE_DIR}/cmake/qt-windows.patch DESTINATION ${NOTICE_DIR})
third_party_notice(libsndfile libsndfile1-dev "LGPL-2.1-or-later"
    "pythagorean-triple-player.dll (linked in statically)"
    "; the source release of Pythagorean triple lets the player be linked again with another "
    "libsndfile")
third_party_notice(GCC-runtime gcc-mingw-w64-x86-64-posix-runtime
    "GPL-3.0-or-later WITH GCC-exception-3.1"
    "pythagorean-triple.exe pythagorean-triple-player.dll (libstdc++ and libgcc, linked in "
    "statically)")
third_party_notice(MinGW-w64 mingw-w64-x86-64-dev
    "ZPL-2.1, MIT and others, as below (winpthreads: MIT and BSD-3-Clause)"
    "pythagorean-triple.exe pythagorean-triple-player.dll (winpthreads and the start-up code, "
    "linked in statically)")
own_notice("pythagorean-triple.exe pythagorean-triple-player.dll"
    "pinpon.wav endpinpon.wav, and the icon in pythagorean-triple.exe")
copy_notice_texts()
install(DIRECTORY ${NOTICE_DIR} DESTINATION ${CMAKE_INSTALL_BINDIR})

# The zip runs where it is unpacked. The installer is our own script (cmake/nsis), filled in by
# CPack: CPack's stock one builds a 32-bit installer, which a Wine without 32-bit support cannot
# run, and offers no choice between installing for one user and for all.
set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME "Pythagorean triple")
set(CPACK_PACKAGE_VENDOR "Pythagorean triple maintainers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME pythagorean-triple-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Pythagorean triple")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY PythagoreanTriple)
set(CPACK_MODULE_PATH ${PROJECT_SOURCE_DIR}/cmake/nsis)
set(CPACK_NSIS_PROGRAM pythagorean-triple${CMAKE_EXECUTABLE_SUFFIX})
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/assets/icon.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/assets/icon.ico)
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt)
# Both list the files in name order, whatever order the file system gives them in.
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/nsis/files-in-name-order.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/zip-in-name-order.cmake)
include(CPack)
