#!/usr/bin/env python3
"""Asks Ardour's OSC surface for the transport's speed and prints it: 0 while stopped, 1 while
rolling forward. Usage: transport_speed.py ARDOUR_PORT REPLY_PORT. The question goes out from
REPLY_PORT, where Ardour answers (to the sender's port, or to the session's fixed reply port,
which the GUI test sets to the same). Exits with 1 when no answer comes within two seconds."""
import socket
import struct
import sys


def padded(text):
    data = text.encode() + b"\0"
    return data + b"\0" * (-len(data) % 4)


def read_string(data, at):
    end = data.index(b"\0", at)
    return data[at:end].decode(), end + 1 + (-(end + 1) % 4)


def main():
    ardour_port, reply_port = int(sys.argv[1]), int(sys.argv[2])
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as connection:
        connection.bind(("127.0.0.1", reply_port))
        connection.settimeout(2)
        connection.sendto(padded("/transport_speed") + padded(","), ("127.0.0.1", ardour_port))
        try:
            while True:
                data = connection.recv(4096)
                address, at = read_string(data, 0)
                if address != "/transport_speed":
                    continue  # feedback of other kinds
                tags, at = read_string(data, at)
                layout = ">d" if tags == ",d" else ">f"
                print(struct.unpack_from(layout, data, at)[0])
                return 0
        except socket.timeout:
            return 1


if __name__ == "__main__":
    sys.exit(main())
