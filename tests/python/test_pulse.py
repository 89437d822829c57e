"""Pulse designs built and rendered from a script, against the same designs built and
rendered with wavesmith-cli --mode pulse."""
import re
import shutil
from pathlib import Path

import pytest

import wavesmith
from conftest import cli, prepare

TWO_SECTIONS = [("points", "msec", [(0, 0.5), (2, -0.5), (3, 0.25)], 3),
                ("dc", "usec", [(500, 0.25), (100, 0)], 2)]
LONG_FLAT = [("dc", "sec", [(1000, 0.1), (1e-6, -0.1)], 1)]  # too long for one segment
FINE_STEPS = [("dc", "usec", [(0.3, 0.1), (0.6, -0.1)], 2)]  # a clock above the instrument's


def build_with_cli(folder, design, segmentation):
    pulse = lambda *words: cli(folder, "pulse", *words, mode="pulse")  # noqa: E731
    pulse("vpp", 1)
    for k, (train, unit, items, repeat) in enumerate(design):
        if k:
            pulse("section", "append")
        pulse("train", {"dc": "dc", "points": "points"}[train])
        pulse("unit", unit)
        for line, (time, level) in enumerate(items, 1):
            pulse("cell", line, 1, time)
            pulse("cell", line, 2, level)
        pulse("repeat", repeat)
    pulse("options", "segmentation", segmentation)


def cli_rendering(folder, answer):
    """The clock, the steps as (file path, repeat) and nothing else, or None when refused."""
    run = cli(folder, "pulse", "render", mode="pulse", answer=answer, check=False)
    if run.returncode:
        return None
    clock = float(re.search(r"clock (\S+) S/s", run.stdout).group(1))
    single = re.findall(r" in (.*\.wav)$", run.stdout, re.M)
    steps = re.findall(r"^step \d+ (.*) x(\d+)$", run.stdout, re.M)
    return clock, [(Path(f), int(n)) for f, n in steps] or [(Path(single[0]), 1)]


@pytest.mark.parametrize("design,segmentation,answer", [
    (TWO_SECTIONS, "single", "yes"),
    (TWO_SECTIONS, "sequence", "yes"),
    (TWO_SECTIONS, "allowed", "yes"),
    (LONG_FLAT, "single", "no"),
    (LONG_FLAT, "single", "yes"),
    (FINE_STEPS, "single", "no"),
    (FINE_STEPS, "single", "yes"),
])
def test_script_renders_the_cli_files_byte_for_byte(twins, tmp_path, design, segmentation,
                                                     answer):
    py_folder, cli_folder = twins()
    workspace = wavesmith.Workspace(py_folder, "pulse")
    workspace.set_design([wavesmith.Section(*section) for section in design], vpp=1)
    workspace.pulse_options(segmentation=segmentation)
    build_with_cli(cli_folder, design, segmentation)
    # The design the command-line tool made, rendered by a script in a copy of its workspace.
    made_by_cli = wavesmith.Workspace(shutil.copytree(cli_folder, tmp_path / "copy"), "pulse")
    assert [(s.train, s.unit, s.repeat, s.items, s.start) for s in made_by_cli.design()[0]] == \
        [(s.train, s.unit, s.repeat, s.items, s.start) for s in workspace.design()[0]]
    expected = cli_rendering(cli_folder, answer)
    for script in (workspace, made_by_cli):
        yes = answer == "yes"
        if expected is None:
            with pytest.raises(wavesmith.RenderError):
                script.render(sequence_if_too_long=yes, lower_clock=yes)
            continue
        rendering = script.render(sequence_if_too_long=yes, lower_clock=yes)
        clock, steps = expected
        assert float(f"{rendering.clock:.6g}") == clock  # the tool prints %g
        assert [(Path(rendering.files[i]).name, n) for i, n in rendering.steps] == \
            [(path.name, n) for path, n in steps]
        for (path, _), (i, _) in zip(steps, rendering.steps):
            assert rendering.segments[i].tobytes() == path.read_bytes()
            assert Path(rendering.files[i]).read_bytes() == path.read_bytes()


def test_both_forms_play_the_same_samples(tmp_path):
    workspace = wavesmith.Workspace(prepare(tmp_path / "ws"), "pulse")
    workspace.set_design([wavesmith.Section(*section) for section in TWO_SECTIONS], vpp=1)
    single = workspace.render()
    workspace.pulse_options(segmentation="sequence")
    sequence = workspace.render()
    assert (single.as_sequence, sequence.as_sequence) == (False, True)
    assert single.clock == sequence.clock
    assert single.played().tobytes() == sequence.played().tobytes()


@pytest.mark.parametrize("sections,vpp,error,message_id", [
    ([("points", "msec", [(0, 0.1), (1, 0.2)], -1)], 1, wavesmith.RuleError, 985),
    ([("points", "msec", [(0, 0.1), (1, 0.9)], 1)], 1, wavesmith.RuleError, 984),
    ([("points", "msec", [(0, 0.1), (2, 0.2), (1, 0)], 1)], 1, wavesmith.RuleError, 980),
    ([("points", "msec", [(1, 0.1)], 1)], 1, wavesmith.RuleError, 982),
    ([("points", "msec", [(0, "abc")], 1)], 1, wavesmith.RuleError, 991),
    ([("points", "msec", [(0, 0.1)], 1)], "abc", wavesmith.RuleError, 3018),
    ([("points", "msec", [], 1), ("dc", "msec", [(1, 0)], 1)], 1, wavesmith.InputError, 0),
    ([("sequence", "msec", [], 1)], 1, wavesmith.InputError, 0),
    ([("points", "min", [], 1)], 1, wavesmith.InputError, 0),
    ([("points", "msec", [(0, 1, 2)], 1)], 1, wavesmith.InputError, 0),
    ([], 1, wavesmith.InputError, 0),
])
def test_bad_designs_raise_and_leave_the_design_as_it_was(tmp_path, sections, vpp, error,
                                                          message_id):
    workspace = wavesmith.Workspace(prepare(tmp_path / "ws"), "pulse")
    workspace.set_design([wavesmith.Section(*section) for section in TWO_SECTIONS], vpp=2)
    before = workspace.design()
    with pytest.raises(error) as raised:
        workspace.set_design([wavesmith.Section(*section) for section in sections], vpp=vpp)
    assert raised.value.message_id == message_id
    assert workspace.design() == before


def test_an_empty_design_is_not_rendered(tmp_path):
    workspace = wavesmith.Workspace(prepare(tmp_path / "ws"), "pulse")
    workspace.set_design([wavesmith.Section()])
    with pytest.raises(wavesmith.RenderError, match="no items"):
        workspace.render()
