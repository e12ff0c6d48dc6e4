# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later

# The notices that a package carries, in the folder NOTICE_DIR: one for each part of it, saying
# what the part is, which files hold it, its licences and where its source is, and the licence
# texts that they name in the folder texts beside them. Each notice of a third party carries the
# copyright file of the Debian package it was built from, and the licence texts that file points
# to are shipped too, since not every system has /usr/share/common-licenses.
#
# The folder is written afresh at each configuration: it is installed whole, and a notice that an
# earlier configuration left there would be shipped too.
file(REMOVE_RECURSE ${NOTICE_DIR})
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

# Our own notice: the files of our code, under our licence (LICENSE.txt), and those of our assets.
function(own_notice code assets)
    file(WRITE ${NOTICE_DIR}/Pythagorean-triple.txt "Pythagorean triple ${PROJECT_VERSION}\n\n"
        "Shipped in: ${code}\n"
        "Licence: GPL-3.0-or-later (LICENSE.txt)\n\n"
        "Shipped in: ${assets}\n"
        "Licence: CC0-1.0 (texts/CC0-1.0)\n\n"
        "Source: pythagorean-triple-${PROJECT_VERSION}.tar.xz, the source release of this version\n")
endfunction()

# Once every notice is written.
function(copy_notice_texts)
    list(REMOVE_DUPLICATES NOTICE_TEXTS)
    file(MAKE_DIRECTORY ${NOTICE_DIR}/texts)
    foreach(text IN LISTS NOTICE_TEXTS)
        file(REAL_PATH /usr/share/common-licenses/${text} text_file)
        file(COPY_FILE ${text_file} ${NOTICE_DIR}/texts/${text})
    endforeach()
endfunction()
