#!/usr/bin/python3
"""Drives awg-sim with clients this project did not write, the way instrument control
scripts do: PyVISA with its pure-Python backend over the raw socket
(TCPIP::127.0.0.1::PORT::SOCKET) and over VXI-11 (TCPIP::127.0.0.1::INSTR), and the LXI
tools' `lxi scpi` over VXI-11 and the raw socket. Each writes a segment, reads it back byte
for byte and reads the error queue. VXI-11 clients find the instrument through rpcbind:
one is started when none answers on 127.0.0.1:111, and only that one is stopped.

usage: outside_clients.py PATH_TO_AWG_SIM
Exit status: 0 passed, 1 failed, 77 skipped (a client or rpcbind missing)."""

import os
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time

SKIP = 77
RPCBIND = "/usr/sbin/rpcbind"


class Failure(Exception):
    pass


def wait_until(condition, timeout=10.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    return None


def rpcbind_answers():
    with socket.socket() as probe:
        probe.settimeout(1.0)
        return probe.connect_ex(("127.0.0.1", 111)) == 0


def nasty_values(count):
    # Every edge of the 16-bit range, and codes whose bytes are "\n", "#", ";" and '"',
    # which a text-minded reader would mangle.
    values = [0, 1, -1, 32767, -32768, 10, 0x0A0A, 0x2323, 0x3B3B, 0x2222]
    return values + [((i * 7919) % 65536) - 32768 for i in range(count - len(values))]


def check_error_queue(reply, who):
    if reply.strip() != '0,"No error"':
        raise Failure("%s: error queue holds %r" % (who, reply))


def pyvisa_round_trip(manager, resource, segment, count):
    instrument = manager.open_resource(resource, read_termination="\n", timeout=10000)
    try:
        identity = instrument.query("*IDN?").strip()
        if len(identity.split(",")) != 4:
            raise Failure("%s: *IDN? answered %r" % (resource, identity))
        values = nasty_values(count)
        instrument.write(":INST 1;:TRAC:DEF %d,%d;:TRAC:SEL %d" % (segment, count, segment))
        instrument.write_binary_values(":TRAC:DATA ", values, datatype="h")
        back = instrument.query_binary_values(":TRAC:DATA?", datatype="h", container=list)
        if back != values:
            raise Failure("%s: %d values read back, not the %d written" % (resource, len(back), count))
        check_error_queue(instrument.query(":SYST:ERR?"), resource)
    finally:
        instrument.close()
    print("PyVISA %s: %d points read back unchanged" % (resource, count))


def lxi(*arguments):
    done = subprocess.run(["lxi", "scpi", "-t", "10", *arguments], capture_output=True,
                          text=True, timeout=60)
    if done.returncode != 0 or "Error" in done.stderr:
        raise Failure("lxi scpi %s: %s" % (" ".join(arguments), done.stderr.strip()))
    return done.stdout


def lxi_round_trip(way, segment):
    # A command line holds no NUL: the points are printable pairs, still binary to SCPI.
    data = bytes(range(0x21, 0x21 + 64)).replace(b"?", b"*")
    points = len(data) // 2
    lxi(*way, ":INST 1;:TRAC:DEF %d,%d;:TRAC:SEL %d;:TRAC:DATA #2%d%s"
        % (segment, points, segment, len(data), data.decode()))
    answer = lxi(*way, "-x", ":TRAC:DATA?")
    got = bytes(int(token, 16) for token in answer.split())
    header = b"#2%d" % len(data)
    if not got.startswith(header) or got[len(header):len(header) + len(data)] != data:
        raise Failure("lxi scpi %s: read back %r" % (" ".join(way), got[:80]))
    check_error_queue(lxi(*way, ":SYST:ERR?"), "lxi scpi " + " ".join(way))
    print("lxi scpi %s: %d points read back unchanged" % (" ".join(way), points))


def run_clients(port):
    import pyvisa

    manager = pyvisa.ResourceManager("@py")
    try:
        pyvisa_round_trip(manager, "TCPIP::127.0.0.1::%d::SOCKET" % port, 1, 4096)
        # Larger than a read of PyVISA's, so the answer comes in several device_reads.
        pyvisa_round_trip(manager, "TCPIP::127.0.0.1::INSTR", 2, 300000)
    finally:
        manager.close()
    lxi_round_trip(["-a", "127.0.0.1"], 3)
    lxi_round_trip(["-a", "127.0.0.1", "-r", "-p", str(port)], 4)


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    try:
        import pyvisa  # noqa: F401
        import pyvisa_py  # noqa: F401  (the backend behind "@py")
    except ImportError as error:
        print("SKIP: PyVISA with the pyvisa-py backend is not installed (%s)" % error)
        return SKIP
    if shutil.which("lxi") is None:
        print("SKIP: lxi-tools is not installed")
        return SKIP
    rpcbind = None
    if not rpcbind_answers():
        if not os.path.exists(RPCBIND) or os.geteuid() != 0:
            print("SKIP: no rpcbind answers and this test cannot start one")
            return SKIP
        rpcbind = subprocess.Popen([RPCBIND, "-f"])
        if not wait_until(rpcbind_answers):
            rpcbind.kill()
            return fail("rpcbind did not start")
    try:
        with tempfile.TemporaryDirectory() as folder:
            port_file = os.path.join(folder, "port")
            simulator = subprocess.Popen(
                [sys.argv[1], "--port", "0", "--port-file", port_file, "--memory", "400000",
                 "--vxi11"], stdout=subprocess.PIPE, text=True)
            try:
                read_port = lambda: os.path.exists(port_file) and open(port_file).read().strip()
                port = wait_until(lambda: simulator.poll() is None and read_port())
                if not port:
                    return fail("awg-sim did not report a port")
                run_clients(int(port))
            except Failure as failure:
                return fail(str(failure))
            finally:
                simulator.terminate()
                exit_code = simulator.wait(timeout=10)
            if exit_code != 0:
                return fail("awg-sim ended with %r after SIGTERM" % exit_code)
    finally:
        if rpcbind is not None:
            rpcbind.terminate()
            rpcbind.wait(timeout=10)
    print("outside clients: passed")
    return 0


def fail(message):
    print("FAIL: " + message)
    return 1


if __name__ == "__main__":
    sys.exit(main())
