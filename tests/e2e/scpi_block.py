#!/usr/bin/env python3
"""Sends SCPI commands to an instrument in order and collects the answers of its queries.

usage: scpi_block.py HOST PORT OUTPUT COMMAND...
A query answered with a definite-length block writes the block's bytes to OUTPUT; a query
answered with a line prints that line on stdout.
"""
import os
import socket
import sys


def read_exact(stream, count):
    data = stream.read(count)
    if len(data) != count:
        raise SystemExit(f"instrument closed the connection after {len(data)} of {count} bytes")
    return data


def main():
    host, port, output = sys.argv[1:4]
    commands = sys.argv[4:]
    if os.path.exists(output):
        os.remove(output)
    with socket.create_connection((host, int(port)), timeout=10) as connection:
        stream = connection.makefile("rwb")
        for index, command in enumerate(commands):
            stream.write(f"{command}\n".encode())
            stream.flush()
            if not command.endswith("?"):
                continue
            first = read_exact(stream, 1)
            if first != b"#":
                print((first + stream.readline()).decode().strip())
                continue
            length = int(read_exact(stream, int(read_exact(stream, 1))))
            with open(output, "wb") as file:
                file.write(read_exact(stream, length))
            if index + 1 < len(commands):
                stream.readline()


if __name__ == "__main__":
    main()
