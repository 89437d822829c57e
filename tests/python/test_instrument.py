"""Downloads from a script into awg-sim, through the host's download code."""
import numpy as np
import pytest

import wavesmith
from conftest import prepare


def read_back(instrument, query, dtype):
    return np.frombuffer(instrument.query_block(query), dtype)


@pytest.mark.parametrize("mode,family", [("std", None), ("fm", None), ("fm", "G4270"),
                                         ("pulse", None)])
def test_download_reaches_the_instrument_as_the_tool_left_it(tmp_path, awg_sim, mode, family):
    workspace = wavesmith.Workspace(prepare(tmp_path / "ws", family), mode)
    if mode == "pulse":
        workspace.set_design([wavesmith.Section("points", "msec", [(0, 0.5), (2, -0.5)], 3),
                              wavesmith.Section("dc", "usec", [(500, 0.25), (100, 0)], 2)],
                             vpp=1)
        workspace.pulse_options(segmentation="sequence")
        expected, query = workspace.render().played(), ":SEQ:DATA?"
    else:
        expected = workspace.generate("sine", Cycl=3)
        query = {"std": ":TRAC:DATA?", "fm": ":FM:DATA?"}[mode]
        query += ":HZ?" if family else ""
        query = query.replace("?:HZ?", ":HZ?")
    sent = []
    with wavesmith.Instrument(awg_sim) as instrument:
        report = workspace.download(instrument, progress=lambda done, total: sent.append(done))
        assert report["line"].endswith('0,"No error"')
        assert sent  # bytes of each message as they leave
        instrument.write(":INST 1;:TRAC:SEL 1")
        assert read_back(instrument, query, expected.dtype.newbyteorder("<")).tobytes() == \
            expected.tobytes()


def test_instrument_faults_raise(tmp_path, awg_sim):
    workspace = wavesmith.Workspace(prepare(tmp_path / "ws"))
    instrument = wavesmith.Instrument(awg_sim, timeout=2)
    with pytest.raises(ZeroDivisionError):
        workspace.download(instrument, progress=lambda done, total: 1 / 0)
    instrument.close()
    cases = [
        (lambda: workspace.download(instrument), wavesmith.InstrumentError),
        (lambda: instrument.query("*IDN?"), wavesmith.InstrumentError),
        (lambda: wavesmith.Instrument("127.0.0.1:1", timeout=1), wavesmith.InstrumentError),
        (lambda: wavesmith.Instrument("127.0.0.1:notaport"), wavesmith.InputError),
        (lambda: wavesmith.Instrument(awg_sim, timeout=0), wavesmith.InputError),
    ]
    for call, error in cases:
        with pytest.raises(error):
            call()


def test_download_over_vxi11_reads_back_as_sent(tmp_path, awg_sim_vxi11):
    workspace = wavesmith.Workspace(prepare(tmp_path / "ws"))
    expected = workspace.generate("square", Cycl=5)
    with wavesmith.Instrument(awg_sim_vxi11) as instrument:
        assert workspace.download(instrument)["line"].endswith('0,"No error"')
        instrument.write(":INST 1;:TRAC:SEL 1")
        assert read_back(instrument, ":TRAC:DATA?", "<i2").tobytes() == expected.tobytes()
