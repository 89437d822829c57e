"""Standard waveforms, waveform files and FM in a workspace, against wavesmith-cli run in a
twin workspace prepared alike."""
import numpy as np
import pytest

import wavesmith
from conftest import cli, dumped

GENERATED = [  # mode, family, name, fields
    ("std", None, "sine", {"Cycl": 3, "Phase": 45.5, "Power": 3, "Prv_bgn": 100}),
    ("std", None, "triangle", {"Cycl": 2, "Share": 30, "Wavmin": -4000, "Wavmax": 3000}),
    ("std", None, "square", {"Cycl": 5, "Duty": 20}),
    ("std", None, "sinc", {"Zeros": 7, "Prv_end": 700}),
    ("std", None, "gaussian", {"Width": 100, "Cycl": 2}),
    ("std", None, "exponent", {"Tau": -80, "Inv": 1}),
    ("std", None, "pulse", {"Delay": 5, "Rise": 20, "High": 40, "Fall": 5}),
    ("std", None, "noise", {"Wavmin": -100, "Wavmax": 100}),
    ("std", None, "equation", {"Equ": "amp*sin(omg*p)^3"}),
    ("fm", None, "sine", {"Cycl": 4}),
    ("fm", "G4270", "triangle", {"Cycl": 2}),
]
DTYPES = {"std": np.int16, "fm": np.int32}


@pytest.mark.parametrize("mode,family,name,fields", GENERATED)
def test_generated_waveforms_equal_the_cli_bit_for_bit(twins, mode, family, name, fields):
    py_folder, cli_folder = twins(family)
    workspace = wavesmith.Workspace(py_folder, mode)
    samples = workspace.generate(name, fields)
    cli(cli_folder, "generate", name, *[w for k, v in fields.items() for w in ("--set", f"{k}={v}")],
        mode=mode)
    dtype = np.float64 if family == "G4270" else DTYPES[mode]
    expected = dumped(cli_folder, mode, dtype)
    assert samples.dtype == dtype and samples.tobytes() == expected.tobytes()
    # The workspace keeps the waveform, as the tool's OK does; each call is a first run, so
    # noise starts its sequence again.
    assert workspace.samples().tobytes() == samples.tobytes()
    if name == "noise":
        assert workspace.generate(name, fields).tobytes() == samples.tobytes()


@pytest.mark.parametrize("mode,family,extensions", [
    ("std", None, [".wav", ".asc", ".csv"]),
    ("fm", None, [".wvf", ".asf"]),
    ("fm", "G4270", [".wfm", ".afm"]),
])
def test_files_equal_the_cli_export_and_read_back(twins, mode, family, extensions):
    py_folder, cli_folder = twins(family)
    workspace = wavesmith.Workspace(py_folder, mode)
    samples = workspace.generate("sine", {"Cycl": 3})
    cli(cli_folder, "generate", "sine", "--set", "Cycl=3", mode=mode)
    for extension in extensions:
        mine, theirs = py_folder / f"w{extension}", cli_folder / f"w{extension}"
        workspace.write(str(mine), samples)
        cli(cli_folder, "export", theirs, mode=mode)
        assert mine.read_bytes() == theirs.read_bytes(), extension
        cli(cli_folder, "open", theirs, mode=mode, answer="yes")
        opened = dumped(cli_folder, mode, samples.dtype)
        assert workspace.read(str(mine)).tobytes() == opened.tobytes(), extension
    if samples.dtype == np.float64:  # values in Hz: NaN has no place among them
        samples[7] = np.nan
        with pytest.raises(wavesmith.InputError, match="NaN at index 7"):
            workspace.write(str(py_folder / "nan.wfm"), samples)


@pytest.mark.parametrize("calls,words", [
    ([("set_length", 1000)], [["length", 1000]]),
    ([("set_length", 1001)], [["length", 1001]]),   # rounded by the resolution rule
    ([("select", 2, 2)], [["channel", 2], ["segment", 2]]),
    ([("select", 3), ("set_length", 64)], [["segment", 3], ["length", 64]]),
])
def test_document_commands_equal_the_cli(twins, calls, words):
    py_folder, cli_folder = twins()
    workspace = wavesmith.Workspace(py_folder)
    for name, *arguments in calls:
        getattr(workspace, name)(*arguments)
    for command in words:
        cli(cli_folder, *command)
    shown = dict(line.split("=", 1) for line in cli(cli_folder, "info").stdout.splitlines())
    info = workspace.info()
    assert [info["length"], info["channel"], info["segment"]] == \
        [int(shown["length"]), int(shown["channel"]), int(shown["segment"])]
    assert workspace.samples().size == info["length"]


@pytest.mark.parametrize("name,key,text,low,high", [
    ("sine", "Cycl", "1", 1, 512),                 # the highest cycles: half the length
    ("sine", "Phase", "0", -360, 360),
    ("exponent", "Tau", "100", -16000000, 16000000),
    ("exponent", "Inv", "0", 0, 1),                # a check box
    ("noise", "Wavmax", "8191", -8191, 8191),      # the family's vertical range
])
def test_generator_fields_carry_the_family_defaults_and_limits(twins, name, key, text, low,
                                                               high):
    folder, _ = twins()
    fields = {f["key"]: f for f in wavesmith.Workspace(folder).generator_fields(name)}
    assert (fields[key]["text"], fields[key]["low"], fields[key]["high"]) == (text, low, high)


def test_bad_files_and_arguments_raise_and_leave_files_whole(twins):
    folder, _ = twins()
    workspace = wavesmith.Workspace(folder)
    kept = folder / "kept.wav"
    workspace.write(str(kept), np.arange(64, dtype=np.int16))
    before = kept.read_bytes()
    (folder / "odd.wav").write_bytes(b"\x01\x02\x03")
    (folder / "words.asc").write_text("1 2 three\n")
    (folder / "broken.trc").write_text("not a trace")
    cases = [
        (lambda: workspace.write(str(kept), np.zeros(64, np.int16)), wavesmith.FileError),
        (lambda: workspace.write(str(kept), np.zeros((8, 8), np.int16)), wavesmith.InputError),
        (lambda: workspace.write(str(kept), np.zeros(64, np.float64)), wavesmith.InputError),
        (lambda: workspace.write(str(kept), np.zeros(8, np.int16)), wavesmith.InputError),
        (lambda: workspace.write(str(folder / "x.txt"), np.zeros(64, np.int16)), wavesmith.FileError),
        (lambda: workspace.read(str(folder / "odd.wav")), wavesmith.FileError),
        (lambda: workspace.read(str(folder / "words.asc")), wavesmith.FileError),
        (lambda: workspace.read(str(folder / "missing.wav")), wavesmith.FileError),
        (lambda: workspace.read(str(folder / "broken.trc")), wavesmith.FileError),
        (lambda: workspace.generate("sine", Cycl="abc"), wavesmith.RuleError),
        (lambda: workspace.generate("sine", Nope=1), wavesmith.InputError),
        (lambda: workspace.generate("cosine"), wavesmith.InputError),
        (lambda: workspace.set_length(5), wavesmith.RuleError),
        (lambda: workspace.select(segment=100000), wavesmith.RuleError),
        (lambda: workspace.select(channel=3), wavesmith.InputError),
        (lambda: workspace.set_fm_deviation("1e6"), wavesmith.InputError),
        (lambda: workspace.render(), wavesmith.InputError),
        (lambda: wavesmith.Workspace(str(folder / "none")), wavesmith.FileError),
        (lambda: wavesmith.Workspace(folder / "$tst").info(), wavesmith.FileError),  # no context
        (lambda: wavesmith.Workspace(str(folder), "wide"), wavesmith.InputError),
    ]
    for number, (call, error) in enumerate(cases):
        with pytest.raises(error):
            call()
        assert kept.read_bytes() == before, number
    assert not list(folder.glob("~$ws*"))
