"""The examples of docs/python.md, run as a reader would: shell blocks with the programs of
the build on PATH, then the Python blocks in order in one namespace."""
import os
import re
import subprocess
from pathlib import Path

from conftest import BUILD

ROOT = Path(__file__).resolve().parents[2]


def test_tutorial_examples_run(tmp_path, monkeypatch):
    doc = ROOT / "docs" / "python.md"
    readme = re.findall(r"```(python)\n(import wavesmith.*?)```", (ROOT / "README.md").read_text(),
                        re.S)
    blocks = re.findall(r"```(sh|python)\n(.*?)```", doc.read_text(), re.S) + readme
    monkeypatch.chdir(tmp_path)
    monkeypatch.setenv("PATH", f"{BUILD / 'host'}:{BUILD / 'src' / 'cli'}:{os.environ['PATH']}")
    namespace = {}
    for language, code in blocks:
        if language == "sh" and "consolux prepare" in code:
            subprocess.run(code, shell=True, check=True, capture_output=True)
        elif language == "python":
            exec(compile(code, str(doc), "exec"), namespace)
    assert readme and len([b for b in blocks if b[0] == "python"]) >= 5
