# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later

# Qt's settings for a Windows program with Qt linked in, carried inside it as the resource
# :/qt/etc/qt.conf, which Qt reads before any file. Plugins are looked for in the program's own
# folder only, never where Qt was built.
# Since 6.8 Qt reads the system's fonts through DirectWrite unless told otherwise, which does not
# see the faces a system answers missing ones with (Wine's replacements, Windows' substitutes):
# the layout's face then falls back to a wider one that the fixed layout cannot hold. The GDI
# font database, which earlier Qt used, keeps the window alike across Qt versions.
set(QT_CONF "[Paths]\nPrefix = .\nPlugins = .\n")
if(Qt6_VERSION VERSION_GREATER_EQUAL 6.8)
    string(APPEND QT_CONF "[Platforms]\nWindowsArguments = fontengine=gdi\n")
endif()
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/qt-conf/qt.conf CONTENT "${QT_CONF}")

function(embed_qt_conf target)
    qt_add_resources(${target} ${target}_qt_conf PREFIX /qt/etc
        BASE ${PROJECT_BINARY_DIR}/qt-conf FILES ${PROJECT_BINARY_DIR}/qt-conf/qt.conf)
endfunction()
