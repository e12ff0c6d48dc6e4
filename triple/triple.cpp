// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "triple.h"

#include <cmath>
#include <limits>

namespace {

const char* ErrorName(TripleError::Kind kind)
{
    switch (kind) {
    case TripleError::Kind::Overflow:
        return "Overflow";
    case TripleError::Kind::FloatingPoint:
        return "Floating-point error";
    }
    return "Unknown error";
}

// Rounds to nearest with ties to even, as the rules require: that is std::nearbyint under the
// default rounding mode, which nothing in this program changes.
std::int32_t ToInt32(double value)
{
    // pow and the arithmetic around it report overflow and invalid operations as inf and NaN.
    if (!std::isfinite(value)) {
        throw TripleError(TripleError::Kind::FloatingPoint);
    }
    const double rounded = std::nearbyint(value);

    // Compare in double before converting: casting an out-of-range double is undefined.
    constexpr double lowest = std::numeric_limits<std::int32_t>::min();
    constexpr double highest = std::numeric_limits<std::int32_t>::max();
    if (!(rounded >= lowest && rounded <= highest)) {
        throw TripleError(TripleError::Kind::Overflow);
    }
    return static_cast<std::int32_t>(rounded);
}

// The rules square with the general power function on purpose: its results, not those of an
// integer multiplication, define the triple.
double Square(double x)
{
    return std::pow(x, 2.0);
}

} // namespace

TripleError::TripleError(Kind kind) : std::runtime_error(ErrorName(kind)), kind_(kind) {}

std::string_view MethodCaption(TripleMethod method) noexcept
{
    switch (method) {
    case TripleMethod::Pythagorean:
        return "＜Pythagorean method＞";
    case TripleMethod::Plato:
        return "＜Plato's method＞";
    }
    return {};
}

TripleMethod MethodOf(std::int32_t a) noexcept
{
    return a % 2 == 0 ? TripleMethod::Plato : TripleMethod::Pythagorean;
}

TripleSides ComputeTriple(std::int32_t a)
{
    const TripleMethod method = MethodOf(a);
    const double x = a;
    if (method == TripleMethod::Pythagorean) {
        const std::int32_t b = ToInt32((Square(x) - 1.0) / 2.0);
        const std::int32_t c = ToInt32((Square(x) + 1.0) / 2.0);
        return {b, c, method};
    }
    const std::int32_t b = ToInt32(Square(x / 2.0) - 1.0);
    const std::int32_t c = ToInt32(Square(x / 2.0) + 1.0);
    return {b, c, method};
}

namespace {

void RecomputeSides(TripleState& state)
{
    const TripleSides sides = ComputeTriple(state.a);
    state.b = sides.b;
    state.c = sides.c;
}

} // namespace

void ResetTriple(TripleState& state)
{
    state.a = 3;
    RecomputeSides(state);
}

bool AdvanceTriple(TripleState& state)
{
    const bool atLimit = state.a > TripleLimit - 1;
    if (!atLimit) {
        // a < TripleLimit here, so the increment cannot overflow, whatever state it was given.
        ++state.a;
    }
    RecomputeSides(state);
    return atLimit;
}
