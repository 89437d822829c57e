"""The FM editor's deviation rule and marker crossings, against wavesmith-cli --mode fm."""
import re

import numpy as np
import pytest

import wavesmith
from conftest import cli

MARKERS = ["1.0005e9", "999500000", "1e9"]


@pytest.mark.parametrize("deviation", ["1000000", "250000.5", "1e12", "-5", "abc"])
def test_deviation_and_crossings_equal_the_cli(twins, deviation):
    py_folder, cli_folder = twins()
    workspace = wavesmith.Workspace(py_folder, "fm")
    workspace.generate("sine", Cycl=3)
    cli(cli_folder, "generate", "sine", "--set", "Cycl=3", mode="fm")
    run = cli(cli_folder, "fm", "deviation", deviation, mode="fm", check=False)
    if run.returncode:
        told = re.search(r"message (\d+):", run.stderr)
        with pytest.raises(wavesmith.RuleError) as raised:
            workspace.set_fm_deviation(deviation)
        assert raised.value.message_id == (int(told.group(1)) if told else 0)
    else:
        window = workspace.set_fm_deviation(deviation)
        assert window["text"] == run.stdout.strip()
        assert (window["fmin"], window["fmax"]) == (window["base"] - window["deviation"],
                                                    window["base"] + window["deviation"])
    workspace.set_fm_markers(MARKERS)
    cli(cli_folder, "fm", "markers", *[w for m in MARKERS for w in ("add", m)], "store",
        mode="fm")
    expected = [int(x) for x in cli(cli_folder, "fm", "crossings", mode="fm").stdout.split()]
    assert workspace.fm_crossings().tolist() == expected


@pytest.mark.parametrize("samples,levels,positions", [
    (np.array([0, 10, 20, 10, 0], np.int32), [15], [2, 3]),          # ties go to p
    (np.array([0, 5, 5, 5, 9], np.int32), [5], [3]),                 # marked where it leaves
    (np.array([0.0, 4.0, 8.0]), [8.0, 1.0], [0]),                    # met only by the last: no
    (np.array([9, 0], np.int32), [1, 8], [1]),                       # the first level listed
])
def test_marker_crossings_of_codes_and_hz(samples, levels, positions):
    assert wavesmith.marker_crossings(samples, levels).tolist() == positions
