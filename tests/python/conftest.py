"""Fixtures: the module from the build tree, and workspaces made by `consolux prepare`
beside which `wavesmith-cli` runs on the same input."""
import os
import socket
import subprocess
import sys
import time
from pathlib import Path

import numpy as np
import pytest

BUILD = Path(os.environ.get("WAVESMITH_BUILD_DIR",
                            Path(__file__).resolve().parents[2] / "build"))
sys.path.insert(0, str(BUILD / "python"))

import wavesmith  # noqa: E402


@pytest.fixture(autouse=True)
def registry(tmp_path, monkeypatch):
    """Each test has its own registry and user, for the module and the programs alike."""
    monkeypatch.setenv("WAVESMITH_REGISTRY_DIR", str(tmp_path / "registry"))
    monkeypatch.setenv("USER", "tst")


def prepare(folder, family=None):
    extra = ["--family", family] if family else []
    subprocess.run([BUILD / "host" / "consolux", "prepare", folder, *extra], check=True,
                   capture_output=True)
    return folder


def cli(folder, *words, mode="std", answer=None, check=True):
    """One run of wavesmith-cli in the folder: its stdout lines."""
    options = ["--mode", mode] + ([f"--{answer}"] if answer else [])
    run = subprocess.run([BUILD / "src" / "cli" / "wavesmith-cli", *options, *map(str, words)],
                         cwd=folder, capture_output=True, text=True)
    if check:
        assert run.returncode == 0, run.stderr
    return run


@pytest.fixture
def twins(tmp_path):
    """Two workspaces prepared alike: one for the module, one for the command-line tool."""
    def make(family=None):
        return (prepare(tmp_path / "py", family), prepare(tmp_path / "cli", family))
    return make


def dumped(folder, mode="std", dtype=np.int16):
    lines = cli(folder, "dump", mode=mode).stdout.split()
    return np.array([float(x) if dtype == np.float64 else int(x) for x in lines], dtype=dtype)


def start_awg_sim(tmp_path, *options):
    """awg-sim on a free loopback port: the process and its port."""
    port_file = tmp_path / "awg-sim.port"
    sim = subprocess.Popen([BUILD / "host" / "instrument" / "awg-sim", "--port", "0",
                            "--port-file", port_file, *options], stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
    for _ in range(200):
        if port_file.exists() and port_file.read_text().strip():
            break
        time.sleep(0.01)
    return sim, port_file.read_text().strip()


@pytest.fixture
def awg_sim(tmp_path):
    """A simulated instrument on a free loopback port: its address."""
    sim, port = start_awg_sim(tmp_path)
    yield f"127.0.0.1:{port}"
    sim.terminate()
    sim.wait()


def rpcbind_answers():
    with socket.socket() as probe:
        probe.settimeout(1.0)
        return probe.connect_ex(("127.0.0.1", 111)) == 0


@pytest.fixture
def awg_sim_vxi11(tmp_path):
    """A simulated instrument that answers VXI-11 too: its address. rpcbind is started for
    the test when none answers, and only then stopped."""
    if "libasan" in os.environ.get("LD_PRELOAD", ""):
        # liblxi calls the C library's RPC routines, whose xdr_string the sanitizer's
        # interceptor cannot find when its runtime is preloaded into python: it crashes.
        pytest.skip("liblxi does not run under a preloaded address sanitizer")
    rpcbind = None
    if not rpcbind_answers():
        if not os.path.exists("/usr/sbin/rpcbind") or os.geteuid() != 0:
            pytest.skip("no rpcbind answers and this test cannot start one")
        rpcbind = subprocess.Popen(["/usr/sbin/rpcbind", "-f"])
        for _ in range(200):
            if rpcbind_answers():
                break
            time.sleep(0.05)
    sim, _ = start_awg_sim(tmp_path, "--vxi11")
    yield "TCPIP::127.0.0.1::INSTR"
    sim.terminate()
    sim.wait()
    if rpcbind is not None:
        rpcbind.terminate()
        rpcbind.wait()
