// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

// For any 32-bit input the rules give the exact triple or the named error, and never undefined
// behaviour (the fuzz build runs under AddressSanitizer and UndefinedBehaviorSanitizer).

#include "triple.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

void Check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

// Runs `step` and tells whether it raised the overflow error; any other error is a fault.
template <typename Step> bool Overflows(Step step)
{
    try {
        step();
        return false;
    } catch (const TripleError& error) {
        Check(error.kind() == TripleError::Kind::Overflow);
        return true;
    }
}

// Whether `after` holds the sides of its a in exact 64-bit arithmetic or, where they leave the
// 32-bit range, the operation threw and left the sides of `before`.
bool Exact(const TripleState& before, const TripleState& after, bool threw)
{
    const std::int64_t a = after.a, half = a / 2;
    const std::int64_t b = a % 2 ? (a * a - 1) / 2 : half * half - 1;
    const std::int64_t c = b + (a % 2 ? 1 : 2);
    return c > std::numeric_limits<std::int32_t>::max()
               ? threw && after.b == before.b && after.c == before.c
               : !threw && after.b == b && after.c == c;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TripleState state;
    std::memcpy(&state, data, std::min(size, sizeof state));
    TripleState computed = state, advanced = state;
    const bool computeThrew = Overflows([&] {
        const TripleSides sides = ComputeTriple(state.a);
        Check(sides.method == MethodOf(state.a));
        computed.b = sides.b;
        computed.c = sides.c;
    });
    // A step raises a unless it has reached the limit, then computes as above.
    bool limit = false;
    const bool stepThrew = Overflows([&] { limit = AdvanceTriple(advanced); });
    Check(Exact(state, computed, computeThrew) && Exact(state, advanced, stepThrew));
    Check(advanced.a == (state.a < TripleLimit ? state.a + 1 : state.a));
    Check(stepThrew || limit == (state.a >= TripleLimit));
    return 0;
}
