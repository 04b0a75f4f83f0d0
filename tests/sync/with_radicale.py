#!/usr/bin/python3
"""Runs a command against a Radicale of its own on 127.0.0.1: the command
gets "--radicale URL USER PASSWORD" after its own arguments."""
import subprocess
import sys

from radicale_server import Radicale

USER, PASSWORD = "model", "gizli"

server = Radicale({USER: PASSWORD}).start()
try:
    code = subprocess.run(sys.argv[1:] + ["--radicale", server.url, USER, PASSWORD],
                          timeout=600).returncode
finally:
    server.stop()
sys.exit(code)
