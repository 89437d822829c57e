#!/usr/bin/python3
"""Drives awg-sim the way an instrument control script does: through PyVISA's raw
TCPIP socket resource with the pure-Python backend. Proves that a real VISA client can
identify the instrument and that a segment written as a binary block reads back with
exactly the same values.

usage: pyvisa_client.py PATH_TO_AWG_SIM
Exit status: 0 passed, 1 failed, 77 skipped (PyVISA not installed)."""

import os
import subprocess
import sys
import tempfile
import time

SKIP = 77


def fail(message):
    print("FAIL: " + message)
    return 1


def wait_for_port(port_file, simulator, timeout=10.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if simulator.poll() is not None:
            return None
        if os.path.exists(port_file):
            with open(port_file) as handle:
                text = handle.read().strip()
            if text:
                return int(text)
        time.sleep(0.05)
    return None


def test_values():
    # Every edge of the 16-bit range, and codes whose bytes are "\n", "#", ";" and '"',
    # which a text-minded reader would mangle.
    values = [0, 1, -1, 32767, -32768, 10, 0x0A0A, 0x2323, 0x3B3B, 0x2222]
    values += [((i * 7919) % 65536) - 32768 for i in range(4096 - len(values))]
    return values


def run_client(pyvisa, port):
    manager = pyvisa.ResourceManager("@py")
    try:
        instrument = manager.open_resource(
            "TCPIP::127.0.0.1::%d::SOCKET" % port, read_termination="\n", timeout=10000
        )
        identity = instrument.query("*IDN?").strip()
        fields = identity.split(",")
        if len(fields) != 4 or not all(fields):
            return fail("*IDN? answered %r, expected four fields" % identity)
        print("identity: " + identity)

        values = test_values()
        instrument.write(":TRAC:DEF 1,%d;:TRAC:SEL 1" % len(values))
        instrument.write_binary_values(":TRAC:DATA ", values, datatype="h")
        back = instrument.query_binary_values(":TRAC:DATA?", datatype="h", container=list)
        if back != values:
            differing = [i for i, (a, b) in enumerate(zip(values, back)) if a != b]
            return fail(
                "read back %d values, %d differ (first at %s)"
                % (len(back), len(differing), differing[:1] or "the length")
            )
        error = instrument.query(":SYST:ERR?").strip()
        if error != '0,"No error"':
            return fail("error queue holds " + error)
        print("segment of %d values read back unchanged" % len(values))
        instrument.close()
    finally:
        manager.close()
    return 0


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    try:
        import pyvisa
        import pyvisa_py  # noqa: F401  (the backend behind "@py")
    except ImportError as error:
        print("SKIP: PyVISA with the pyvisa-py backend is not installed (%s)" % error)
        return SKIP

    with tempfile.TemporaryDirectory() as folder:
        port_file = os.path.join(folder, "port")
        simulator = subprocess.Popen(
            [sys.argv[1], "--port", "0", "--port-file", port_file, "--memory", "100000"],
            stdout=subprocess.PIPE,
            text=True,
        )
        try:
            port = wait_for_port(port_file, simulator)
            if port is None:
                return fail("awg-sim did not report a port")
            status = run_client(pyvisa, port)
        finally:
            simulator.terminate()
            try:
                exit_code = simulator.wait(timeout=10)
            except subprocess.TimeoutExpired:
                simulator.kill()
                exit_code = None
        if status != 0:
            return status
        banner = simulator.stdout.readline().strip()
        if banner != "awg-sim listening on 127.0.0.1:%d" % port:
            return fail("unexpected banner %r" % banner)
        if exit_code != 0:
            return fail("awg-sim ended with %r after SIGTERM" % exit_code)
    print("pyvisa client: passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
