#!/usr/bin/env python3
"""Asks an SCPI instrument for one segment and writes the block's bytes to a file.

usage: scpi_block.py HOST PORT CHANNEL SEGMENT OUTPUT
Also prints the channel's segment catalogue (:TRAC:CAT?) on stdout.
"""
import socket
import sys


def read_exact(stream, count):
    data = stream.read(count)
    if len(data) != count:
        raise SystemExit(f"instrument closed the connection after {len(data)} of {count} bytes")
    return data


def main():
    host, port, channel, segment, output = sys.argv[1:6]
    with socket.create_connection((host, int(port)), timeout=10) as connection:
        stream = connection.makefile("rwb")
        stream.write(f":INST {channel}\n:TRAC:SEL {segment}\n:TRAC:CAT?\n".encode())
        stream.flush()
        catalogue = stream.readline().decode().strip()
        stream.write(b":TRAC:DATA?\n")
        stream.flush()
        if read_exact(stream, 1) != b"#":
            raise SystemExit("the answer to :TRAC:DATA? is not a block")
        digits = int(read_exact(stream, 1))
        length = int(read_exact(stream, digits))
        data = read_exact(stream, length)
        stream.readline()
    with open(output, "wb") as file:
        file.write(data)
    print(catalogue)


if __name__ == "__main__":
    main()
