"""The examples of docs/python.md, run as a reader would: shell blocks with the programs of
the build on PATH, then the Python blocks in order in one namespace."""
import os
import re
import shlex
import subprocess
import time
from pathlib import Path

from conftest import BUILD

ROOT = Path(__file__).resolve().parents[2]


def test_tutorial_examples_run(tmp_path, monkeypatch):
    doc = ROOT / "docs" / "python.md"
    readme = re.findall(r"```(python)\n(import wavesmith.*?)```", (ROOT / "README.md").read_text(),
                        re.S)
    blocks = re.findall(r"```(sh|python)\n(.*?)```", doc.read_text(), re.S) + readme
    monkeypatch.chdir(tmp_path)
    programs = [BUILD / "host", BUILD / "host" / "instrument", BUILD / "src" / "cli"]
    monkeypatch.setenv("PATH", ":".join(map(str, programs + [os.environ["PATH"]])))
    namespace, started = {}, []
    try:
        for language, code in blocks:
            if language == "sh" and code.startswith("consolux prepare"):
                subprocess.run(code, shell=True, check=True, capture_output=True)
            elif language == "sh" and code.startswith("awg-sim"):
                started.append(subprocess.Popen(shlex.split(code.strip().rstrip("&"))))
                port = tmp_path / "awg.port"
                while not (port.exists() and port.read_text().strip()):
                    time.sleep(0.01)
            elif language == "python":
                exec(compile(code, str(doc), "exec"), namespace)
    finally:
        for program in started:
            program.terminate()
    assert readme and len([b for b in blocks if b[0] == "python"]) >= 5
