# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later

# Read by CPack before it packs: every file in a package is stamped with the last commit's time.
set(ENV{SOURCE_DATE_EPOCH} ${CPACK_SOURCE_DATE_EPOCH})
