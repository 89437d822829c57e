#pragma once

// The sine and cosine of many arguments at once, bit for bit what the C library's sin and
// cos give, faster where the processor has vectors with fused multiply-add (a long range
// in about two thirds of the time).
//
// Each value is first worked out to about a thousandth of a unit in the last place. Where
// that places the true value well inside the interval that rounds to one double (nearer
// to it than 0.44 of the spacing), the C library, whose error stays below 0.55 of a unit,
// cannot give any other double, so that one is written; for the others (about one value
// in eight), and for arguments beyond 2^18, infinities and NaN, the C library is asked.
class SineCosine {
public:
    // `values` may be `arguments` itself, but must not overlap it otherwise.
    static void Sines(const double* arguments, double* values, int count);
    static void Cosines(const double* arguments, double* values, int count);

    // How many of the sines of these arguments are settled without the C library: none
    // where the processor has no vector path. For checking that the fast path still works.
    static int Certain(const double* arguments, int count);
};
