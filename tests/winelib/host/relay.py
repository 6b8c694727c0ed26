#!/usr/bin/env python3
"""A TCP relay on 127.0.0.1 that records what it forwards.

    relay.py LISTEN_PORT TARGET_PORT RECORD_FILE

Forwards every connection to LISTEN_PORT to TARGET_PORT and appends the bytes
of both directions to RECORD_FILE.  Runs until it is killed."""
import socket
import sys
import threading

listen_port, target_port, record = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
lock = threading.Lock()


def pump(source, target):
    try:
        while data := source.recv(65536):
            with lock, open(record, "ab") as out:
                out.write(data)
            target.sendall(data)
    except OSError:
        pass
    for end in (source, target):
        try:
            end.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass


server = socket.create_server(("127.0.0.1", listen_port))
while True:
    client, _ = server.accept()
    try:
        upstream = socket.create_connection(("127.0.0.1", target_port))
    except OSError:  # the target is not up yet (a probe of the relay's port)
        client.close()
        continue
    for pair in ((client, upstream), (upstream, client)):
        threading.Thread(target=pump, args=pair, daemon=True).start()
