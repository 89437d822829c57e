#!/usr/bin/python3
"""Clients this project did not write, against awg-sim: PyVISA's pure-Python backend over
the raw socket and over VXI-11, and `lxi scpi` over VXI-11 and the socket. Each writes a
segment, reads it back byte for byte and reads the error queue. rpcbind is started when
none answers on 127.0.0.1:111, and only that one is stopped.

usage: outside_clients.py PATH_TO_AWG_SIM; exit 0 passed, 1 failed, 77 skipped."""

import os
import shutil
import socket
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
    while time.monotonic() < deadline and not condition():
        time.sleep(0.05)
    return condition()


def rpcbind_answers():
    with socket.socket() as probe:
        probe.settimeout(1.0)
        return probe.connect_ex(("127.0.0.1", 111)) == 0


def check_error_queue(reply, who):
    if reply.strip() != '0,"No error"':
        raise Failure("%s: error queue holds %r" % (who, reply))


def pyvisa_round_trip(manager, resource, segment, count):
    # Codes whose bytes are "\n", "#", ";" and '"', which a text-minded reader would mangle.
    values = [0, 1, -1, 32767, -32768, 10, 0x0A0A, 0x2323, 0x3B3B, 0x2222]
    values += [((i * 7919) % 65536) - 32768 for i in range(count - len(values))]
    instrument = manager.open_resource(resource, read_termination="\n", timeout=10000)
    try:
        if len(instrument.query("*IDN?").split(",")) != 4:
            raise Failure(resource + ": *IDN? is not four fields")
        instrument.write(":INST 1;:TRAC:DEF %d,%d;:TRAC:SEL %d" % (segment, count, segment))
        instrument.write_binary_values(":TRAC:DATA ", values, datatype="h")
        if instrument.query_binary_values(":TRAC:DATA?", datatype="h", container=list) != values:
            raise Failure(resource + ": the segment read back differs")
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
    lxi(*way, ":INST 1;:TRAC:DEF %d,%d;:TRAC:SEL %d;:TRAC:DATA #2%d%s"
        % (segment, len(data) // 2, segment, len(data), data.decode()))
    got = bytes(int(token, 16) for token in lxi(*way, "-x", ":TRAC:DATA?").split())
    if got != b"#2%d" % len(data) + data + b"\n":
        raise Failure("lxi scpi %s: read back %r" % (" ".join(way), got[:80]))
    check_error_queue(lxi(*way, ":SYST:ERR?"), "lxi scpi " + " ".join(way))
    print("lxi scpi %s: %d points read back unchanged" % (" ".join(way), len(data) // 2))


def run_clients(port):
    import pyvisa

    manager = pyvisa.ResourceManager("@py")
    try:
        pyvisa_round_trip(manager, "TCPIP::127.0.0.1::%d::SOCKET" % port, 1, 4096)
        # Larger than a read of PyVISA's, so the answer comes in several device_reads, and
        # than several of awg-sim's record buffers, so the block arrives in many pieces.
        pyvisa_round_trip(manager, "TCPIP::127.0.0.1::INSTR", 2, 1000000)
    finally:
        manager.close()
    lxi_round_trip(["-a", "127.0.0.1"], 3)
    lxi_round_trip(["-a", "127.0.0.1", "-r", "-p", str(port)], 4)


def serve_and_run(awg_sim, folder):
    port_file = os.path.join(folder, "port")
    simulator = subprocess.Popen([awg_sim, "--port", "0", "--port-file", port_file, "--memory",
                                  "1100000", "--vxi11"], stdout=subprocess.DEVNULL)
    try:
        if not wait_until(lambda: os.path.exists(port_file) or simulator.poll() is not None):
            raise Failure("awg-sim did not report a port")
        run_clients(int(open(port_file).read()))
    finally:
        simulator.terminate()
        if simulator.wait(timeout=10) != 0:
            raise Failure("awg-sim did not end cleanly on SIGTERM")


def main():
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
    try:
        if not wait_until(rpcbind_answers):
            raise Failure("rpcbind did not start")
        with tempfile.TemporaryDirectory() as folder:
            serve_and_run(sys.argv[1], folder)
    except Failure as failure:
        print("FAIL: " + str(failure))
        return 1
    finally:
        if rpcbind is not None:
            rpcbind.terminate()
            rpcbind.wait(timeout=10)
    print("outside clients: passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
