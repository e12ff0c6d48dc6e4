// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

// The rules over their whole domain and at the edges of 32 bits, checked against exact
// arithmetic by the fuzz target's oracle, which aborts on the first wrong answer.

#include "triple.h"

#include <limits>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main()
{
    constexpr std::int32_t highest = std::numeric_limits<std::int32_t>::max();
    std::vector<std::int32_t> values{highest, highest - 1, -highest - 1, -highest, 65535,
                                     65536,   65537,       92680,        92681,    92682};
    for (std::int32_t a = -5; a <= TripleLimit + 5; ++a) {
        values.push_back(a);
    }
    for (const std::int32_t a : values) {
        const TripleState state{a, 7, 9};
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(&state), sizeof state);
    }
    // The report names the error that no 32-bit a can raise.
    const TripleError error(TripleError::Kind::FloatingPoint);
    return std::string_view(error.what()) == "Floating-point error" ? 0 : 1;
}
