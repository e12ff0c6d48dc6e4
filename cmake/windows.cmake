# The Windows build: the program's resources, everything it loads installed beside it, and the
# two packages, a portable zip and an installer.

configure_file(assets/pythagorean-triple.rc.in pythagorean-triple.rc @ONLY)
target_sources(pythagorean-triple PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/pythagorean-triple.rc)

# Qt's libraries and the two plugins the program loads, the platform and the native style. The
# qt.conf makes the program's own folder the only place Qt looks for plugins, rather than some
# folder above it.
set(QT_LIBRARIES Qt6::Core Qt6::Gui Qt6::Widgets)
set(QT_PLUGINS platforms Qt6::QWindowsIntegrationPlugin styles Qt6::QWindowsVistaStylePlugin)
foreach(library IN LISTS QT_LIBRARIES)
    install(FILES $<TARGET_FILE:${library}> DESTINATION ${CMAKE_INSTALL_BINDIR})
    list(APPEND INSTALLED_BINARIES $<TARGET_FILE_NAME:${library}>)
endforeach()
while(QT_PLUGINS)
    list(POP_FRONT QT_PLUGINS kind plugin)
    install(FILES $<TARGET_FILE:${plugin}> DESTINATION ${CMAKE_INSTALL_BINDIR}/${kind})
    list(APPEND INSTALLED_BINARIES ${kind}/$<TARGET_FILE_NAME:${plugin}>)
endwhile()
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/qt.conf "[Paths]\nPrefix = .\nPlugins = .\n")
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
include(CPack)
