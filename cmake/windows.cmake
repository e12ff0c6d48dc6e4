# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later

# The Windows build: the program's resources, everything it loads installed beside it, and the
# two packages, a portable zip and an installer.

configure_file(assets/pythagorean-triple.rc.in pythagorean-triple.rc @ONLY)
target_sources(pythagorean-triple PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/pythagorean-triple.rc)

# Qt's libraries and the two plugins the program loads, the platform and the native style. The
# qt.conf makes the program's own folder the only place Qt looks for plugins, rather than some
# folder above it.
# Since Qt 6.7 one plugin holds the Windows 11 style, which Qt picks on Windows 11, and the
# Vista style, which it picks on Windows 10.
if(TARGET Qt6::QModernWindowsStylePlugin)
    set(STYLE_PLUGIN Qt6::QModernWindowsStylePlugin)
else()
    set(STYLE_PLUGIN Qt6::QWindowsVistaStylePlugin)
endif()
set(QT_FILES . Qt6::Core . Qt6::Gui . Qt6::Widgets platforms Qt6::QWindowsIntegrationPlugin
    styles ${STYLE_PLUGIN})
while(QT_FILES)
    list(POP_FRONT QT_FILES folder target)
    get_target_property(location ${target} LOCATION)
    cmake_path(GET location FILENAME name)
    cmake_path(APPEND folder ${name} OUTPUT_VARIABLE path)
    cmake_path(NORMAL_PATH path)
    cmake_path(APPEND CMAKE_INSTALL_BINDIR ${folder} OUTPUT_VARIABLE destination)
    cmake_path(NORMAL_PATH destination)
    install(FILES ${location} DESTINATION ${destination})
    list(APPEND INSTALLED_BINARIES ${path})
    list(APPEND QT_FILE_NAMES ${path})
endwhile()
# Since 6.8 Qt reads the system's fonts through DirectWrite unless told otherwise, which does not
# see the faces a system answers missing ones with (Wine's replacements, Windows' substitutes):
# the layout's face then falls back to a wider one that the fixed layout cannot hold. The GDI
# font database, which earlier Qt used, keeps the window alike across Qt versions.
set(QT_CONF "[Paths]\nPrefix = .\nPlugins = .\n")
if(Qt6_VERSION VERSION_GREATER_EQUAL 6.8)
    string(APPEND QT_CONF "[Platforms]\nWindowsArguments = fontengine=gdi\n")
endif()
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/qt.conf "${QT_CONF}")
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/qt.conf DESTINATION ${CMAKE_INSTALL_BINDIR})

# The compiler's run-time libraries, which Qt and the program share.
foreach(runtime IN LISTS MINGW_RUNTIME)
    install(FILES ${runtime} DESTINATION ${CMAKE_INSTALL_BINDIR})
    cmake_path(GET runtime FILENAME runtime_name)
    list(APPEND INSTALLED_BINARIES ${runtime_name})
endforeach()

# Symbols serve no one who runs the program and take most of the room.
list(APPEND INSTALLED_BINARIES
    $<TARGET_FILE_NAME:pythagorean-triple> $<TARGET_FILE_NAME:chimeplayer>)
install(CODE "
    foreach(binary IN ITEMS ${INSTALLED_BINARIES})
        execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded
            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${binary}\"
            COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
")

# Our licence, which the installer shows on its first page, and a notice for each part of the
# packages: what it is, which files hold it, its licences, and where its source is. Each notice
# carries the copyright file of the Debian package it was built from, and the licence texts that
# file points to are shipped beside it, since Windows has no /usr/share/common-licenses.
configure_file(${PROJECT_SOURCE_DIR}/LICENSES/GPL-3.0-or-later.txt LICENSE.txt COPYONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt DESTINATION ${CMAKE_INSTALL_BINDIR})
set(NOTICE_DIR ${CMAKE_CURRENT_BINARY_DIR}/notices)
set(NOTICE_TEXTS CC0-1.0 GPL-3)
function(third_party_notice name debian_package licence files)
    string(JOIN "" source_note ${ARGN})
    execute_process(COMMAND dpkg-query -W -f=\${source:Package}=\${source:Version} ${debian_package}
        OUTPUT_VARIABLE source COMMAND_ERROR_IS_FATAL ANY)
    set(copyright /usr/share/doc/${debian_package}/copyright)
    file(READ ${copyright} debian_copyright)
    string(REGEX MATCHALL "common-licenses/[A-Za-z0-9.+-]*[A-Za-z0-9+]" texts
        "${debian_copyright}")
    list(TRANSFORM texts REPLACE "common-licenses/" "")
    set(NOTICE_TEXTS ${NOTICE_TEXTS} ${texts} PARENT_SCOPE)
    file(WRITE ${NOTICE_DIR}/${name}.txt "${name}\n\nShipped in: ${files}\nLicence: ${licence}\n"
        "Source: Debian's source package ${source} (apt-get source ${source})${source_note}\n"
        "Licence texts: the folder texts beside this file\n\n"
        "The copyright and licence of every file in that source, as Debian records them:\n\n"
        "${debian_copyright}")
endfunction()

list(JOIN QT_FILE_NAMES " " qt_files)
third_party_notice(Qt qt6-base-dev "LGPL-3.0-only" "${qt_files}"
    ", with qt-mingw-setjmp.patch beside this file applied, built as scripts/qt-windows.sh in "
    "the source release of Pythagorean triple does")
file(COPY ${PROJECT_SOURCE_DIR}/cmake/qt-mingw-setjmp.patch DESTINATION ${NOTICE_DIR})
third_party_notice(libsndfile libsndfile1-dev "LGPL-2.1-or-later"
    "pythagorean-triple-player.dll (linked in statically)"
    "; the source release of Pythagorean triple lets the player be linked again with another "
    "libsndfile")
third_party_notice(GCC-runtime gcc-mingw-w64-x86-64-posix-runtime
    "GPL-3.0-or-later WITH GCC-exception-3.1" "libstdc++-6.dll libgcc_s_seh-1.dll")
third_party_notice(MinGW-w64 mingw-w64-x86-64-dev
    "ZPL-2.1, MIT and others, as below (winpthreads: MIT and BSD-3-Clause)"
    "libwinpthread-1.dll, and the start-up code in every .exe and .dll")
file(WRITE ${NOTICE_DIR}/Pythagorean-triple.txt "Pythagorean triple ${PROJECT_VERSION}\n\n"
    "Shipped in: pythagorean-triple.exe pythagorean-triple-player.dll\n"
    "Licence: GPL-3.0-or-later (LICENSE.txt)\n\n"
    "Shipped in: pinpon.wav endpinpon.wav, and the icon in pythagorean-triple.exe\n"
    "Licence: CC0-1.0 (texts/CC0-1.0)\n\n"
    "Source: pythagorean-triple-${PROJECT_VERSION}.tar.xz, the source release of this version\n")
list(REMOVE_DUPLICATES NOTICE_TEXTS)
file(MAKE_DIRECTORY ${NOTICE_DIR}/texts)
foreach(text IN LISTS NOTICE_TEXTS)
    file(REAL_PATH /usr/share/common-licenses/${text} text_file)
    file(COPY_FILE ${text_file} ${NOTICE_DIR}/texts/${text})
endforeach()
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
