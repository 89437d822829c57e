#!/usr/bin/python3
"""Writes src/synthesis/SineTable.h: the sine of every 128th of pi around the circle as two
doubles (the nearest double and the nearest double to what is left), and pi/128 in three
parts for the argument reduction, all from 60-digit decimal arithmetic.

    python3 scripts/sine-table.py          (run from the repository's root)"""
import math
from decimal import Decimal, getcontext
from pathlib import Path

getcontext().prec = 60


def pi():
    """Pi to the context's precision (the series of the decimal module's documentation)."""
    getcontext().prec += 4
    lasts, t, s, n, na, d, da = 0, Decimal(3), 3, 1, 0, 0, 24
    while s != lasts:
        lasts = s
        n, na = n + na, na + 8
        d, da = d + da, da + 32
        t = (t * n) / d
        s += t
    getcontext().prec -= 4
    return +s


def sine(x):
    getcontext().prec += 4
    i, lasts, s, fact, num, sign = 1, 0, x, 1, x, 1
    while s != lasts:
        lasts = s
        i += 2
        fact *= i * (i - 1)
        num *= x * x
        sign *= -1
        s += num / fact * sign
    getcontext().prec -= 4
    return +s


def with_bits(value, bits):
    """The double nearest to value that has at most `bits` significant bits."""
    mantissa, exponent = math.frexp(float(value))
    return math.ldexp(round(mantissa * 2**bits), exponent - bits)


def main():
    step = pi() / 128
    # 29 bits each, so that n * part is exact for every n below 2^24.
    high = with_bits(step, 29)
    middle = with_bits(step - Decimal(high), 29)
    low = float(step - Decimal(high) - Decimal(middle))
    rows = []
    for n in range(256):
        value = sine(step * n)
        rows.append((float(value), float(value - Decimal(float(value)))))

    lines = [
        "#pragma once",
        "",
        "// Written by scripts/sine-table.py; do not edit.",
        "",
        "// clang-format off",
        "// pi/128 as high + middle + low; high and middle have 29 significant bits.",
        f"constexpr double kSineStepHigh = {high.hex()};",
        f"constexpr double kSineStepMiddle = {middle.hex()};",
        f"constexpr double kSineStepLow = {low.hex()};",
        f"constexpr double kSineStepsPerUnit = {float(128 / pi()).hex()};",
        "",
    ]
    for name, part, what in (("kSineHigh", 0, "sin(n*pi/128), nearest double"),
                             ("kSineLow", 1, "sin(n*pi/128) - kSineHigh[n], nearest double")):
        lines.append(f"// {what}.")
        lines.append(f"alignas(64) constexpr double {name}[256] = {{")
        for first in range(0, 256, 4):
            lines.append("    " + " ".join(f"{rows[n][part].hex()}," for n in range(first, first + 4)))
        lines.append("};")
        lines.append("")
    lines.append("// clang-format on")
    Path("src/synthesis/SineTable.h").write_text("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
