// SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <stdexcept>
#include <string_view>

// The arithmetic of Pythagorean triples: the current triple, the two rules that derive b and c
// from a, the reset to (3, 4, 5) and the step up to the limit. Deliberately free of any GUI code
// so that the rules can be exercised on their own.

enum class TripleMethod
{
    Pythagorean, // odd a: b = (a² − 1) ÷ 2, c = (a² + 1) ÷ 2
    Plato,       // even a: b = (a ÷ 2)² − 1, c = (a ÷ 2)² + 1
};

struct TripleState
{
    std::int32_t a = 0;
    std::int32_t b = 0;
    std::int32_t c = 0;

    friend bool operator==(const TripleState&, const TripleState&) = default;
};

struct TripleSides
{
    std::int32_t b = 0;
    std::int32_t c = 0;
    TripleMethod method = TripleMethod::Pythagorean;
};

// Stepping stops increasing a once it has reached this value.
inline constexpr std::int32_t TripleLimit = 1000;

// The run-time errors of the rules. They are thrown and never caught here: the caller's event
// handler lets them travel on to the application's single error report.
class TripleError : public std::runtime_error
{
public:
    enum class Kind
    {
        Overflow,
        FloatingPoint,
    };

    explicit TripleError(Kind kind);
    Kind kind() const noexcept { return kind_; }

private:
    Kind kind_;
};

// The on-screen name of a method, with full-width angle brackets.
std::string_view MethodCaption(TripleMethod method) noexcept;

// The method that a given a selects: Plato for even a, Pythagorean otherwise (negative odd
// values included, since the remainder keeps the sign of a).
TripleMethod MethodOf(std::int32_t a) noexcept;

// Pure: b, c and the method for a. Throws TripleError when a result leaves the 32-bit range.
TripleSides ComputeTriple(std::int32_t a);

// a ← 3 and b, c by the Pythagorean rule: always (3, 4, 5).
void ResetTriple(TripleState& state);

// Steps a by one unless it has reached TripleLimit, then recomputes b and c from the (possibly
// unchanged) a. Returns true, the limit flag, when a was not increased.
bool AdvanceTriple(TripleState& state);
