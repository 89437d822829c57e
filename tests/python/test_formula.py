"""The formula language and the sample-code rule, against wavesmith-cli on the same input."""
import re

import numpy as np
import pytest

import wavesmith
from conftest import cli, prepare

FORMULAS = [  # text, from, to, amp, period
    ("amp*sin(1.5*omg*(p+500))", 0, 999, 100, 1000),
    ("e^(-p/per)*cos(2*pi*f*p)+p%7-2^0.5+(p>9)|(p<3)&(p=5)", 3, 520, 1, 64),
    ("ln(p+1)*tan(p/per)-cotan(p+1)/(1+abs(-p))+log(p+2)*sin(omg)", 0, 300, 8191, 301),
]


@pytest.mark.parametrize("text,start,stop,amp,period", FORMULAS)
def test_formula_values_equal_the_cli_bit_for_bit(tmp_path, text, start, stop, amp, period):
    folder = prepare(tmp_path / "ws")
    out = cli(folder, "eval", text, "--from", start, "--to", stop, "--amp", amp,
              "--period", period).stdout.split()
    values = wavesmith.evaluate(text, start, stop, amp=amp, period=period)
    assert values.dtype == np.float64
    # The tool prints a negative zero as 0.
    assert np.array_equal(np.where(values == 0, 0.0, values).view(np.int64),
                          np.array([float(v) for v in out]).view(np.int64))


@pytest.mark.parametrize("text,stop,message_id,point", [
    ("2*", 3, 3005, 0),
    ("", 0, 3004, 0),
    ("p/(p-2)", 4, 3006, 2),
    ("nosuch(p)", 0, 3008, 0),
    ("p%(p-1)", 3, 3006, 1),
])
def test_formula_errors_carry_the_cli_message_and_the_failing_point(tmp_path, text, stop,
                                                                      message_id, point):
    folder = prepare(tmp_path / "ws")
    run = cli(folder, "eval", text, "--from", 0, "--to", stop, check=False)
    told = re.search(r"message (\d+): (.*)", run.stderr)
    with pytest.raises(wavesmith.FormulaError) as raised:
        wavesmith.evaluate(text, 0, stop)
    assert (raised.value.message_id, raised.value.point) == (message_id, point)
    assert (int(told.group(1)), told.group(2)) == (message_id, raised.value.text)


@pytest.mark.parametrize("text,codes", [
    ("40000", [-25536]),   # the low 16 bits
    ("2.7", [2]),          # truncated, not rounded
    ("-2.7", [-2]),        # toward zero
    ("1e12", [0]),         # beyond 32 bits: the integer indefinite value, low bits 0
])
def test_formula_codes_follow_the_equation_store_rule(text, codes):
    assert wavesmith.evaluate(text, dtype="int16").tolist() == codes


@pytest.mark.parametrize("call,problem", [
    (lambda: wavesmith.evaluate("p", 5, 1), "start <= stop"),
    (lambda: wavesmith.evaluate("p", 0, 16_000_000), "16000000"),
    (lambda: wavesmith.evaluate("p", amp=2**31), "amp"),
    (lambda: wavesmith.codes_from_volts(np.zeros((2, 2)), 1, 8191), "one-dimensional"),
    (lambda: wavesmith.codes_from_volts(np.zeros(8)[::2], 1, 8191), "C-contiguous"),
    (lambda: wavesmith.codes_from_volts([0.1, np.inf], 1, 8191), "infinity at index 1"),
    (lambda: wavesmith.codes_from_volts([0.6], 1, 8191), "beyond Vpp/2"),
    (lambda: wavesmith.codes_from_volts(["a"], 1, 8191), "array or a sequence"),
    (lambda: wavesmith.volts_from_codes(np.zeros(3, np.float64), 1, 8191), "int16"),
    (lambda: wavesmith.volts_from_codes(np.zeros(3, np.int16), 0, 8191), "vpp"),
    (lambda: wavesmith.marker_crossings(np.zeros(3, np.int64), [1]), "int32"),
    (lambda: wavesmith.marker_crossings(np.array([0.0, np.nan]), [1.0]), "NaN"),
])
def test_bad_input_raises_input_error(call, problem):
    with pytest.raises(wavesmith.InputError, match=re.escape(problem)):
        call()


def test_sample_codes_truncate_both_ways_within_the_scale():
    volts = np.array([0.5, -0.5, 0.2501, -0.2501, 0.0])
    codes = wavesmith.codes_from_volts(volts, 1.0, 8191)
    assert codes.tolist() == [8191, -8191, 4097, -4097, 0]
    back = wavesmith.volts_from_codes(codes, 1.0, 8191)
    assert np.all(np.abs(back) <= np.abs(volts))
    # int8 codes are widened once, not refused.
    assert wavesmith.volts_from_codes(np.array([2], np.int8), 2.0, 2).tolist() == [1.0]
