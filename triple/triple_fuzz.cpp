// For any 32-bit input the rules give the exact triple or the named error, and never undefined
// behaviour (the fuzz build runs under AddressSanitizer and UndefinedBehaviorSanitizer).

#include "triple.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <utility>

namespace {

// b and c in 64-bit integers, or nothing where either leaves the 32-bit range.
std::optional<std::pair<std::int32_t, std::int32_t>> Exact(std::int64_t a)
{
    const std::int64_t half = a / 2;
    const std::int64_t b = a % 2 ? (a * a - 1) / 2 : half * half - 1;
    const std::int64_t c = a % 2 ? (a * a + 1) / 2 : half * half + 1;
    constexpr std::int64_t highest = std::numeric_limits<std::int32_t>::max();
    if (b > highest || c > highest) {
        return std::nullopt;
    }
    return std::pair(std::int32_t(b), std::int32_t(c));
}

void Check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

// The sides computed for a, as the rules must give them.
void CheckSides(std::int32_t a, const TripleState& before, const TripleState& after, bool threw)
{
    const auto exact = Exact(a);
    if (exact) {
        Check(!threw && after.b == exact->first && after.c == exact->second);
    } else {
        // An error leaves the sides as they were.
        Check(threw && after.b == before.b && after.c == before.c);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TripleState state;
    if (size < sizeof state.a) {
        return 0;
    }
    std::memcpy(&state.a, data, sizeof state.a);
    if (size >= sizeof state) {
        std::memcpy(&state.b, data + sizeof state.a, sizeof state.b);
        std::memcpy(&state.c, data + 2 * sizeof state.a, sizeof state.c);
    }

    // ComputeTriple for a itself.
    TripleState computed = state;
    bool threw = false;
    try {
        const TripleSides sides = ComputeTriple(state.a);
        computed.b = sides.b;
        computed.c = sides.c;
        Check(sides.method == MethodOf(state.a));
    } catch (const TripleError& error) {
        Check(error.kind() == TripleError::Kind::Overflow);
        threw = true;
    }
    CheckSides(state.a, state, computed, threw);

    // AdvanceTriple from the whole state: a steps unless it has reached the limit.
    TripleState advanced = state;
    const std::int32_t next = state.a < TripleLimit ? state.a + 1 : state.a;
    threw = false;
    try {
        Check(AdvanceTriple(advanced) == (state.a >= TripleLimit));
    } catch (const TripleError& error) {
        Check(error.kind() == TripleError::Kind::Overflow);
        threw = true;
    }
    Check(advanced.a == next);
    CheckSides(next, state, advanced, threw);
    return 0;
}
