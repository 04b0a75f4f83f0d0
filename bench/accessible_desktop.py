#!/usr/bin/python3
"""Runs the benchmark beside a private X display with the accessibility bus
up: its rows "accessibility on" run the window there, as on a desktop where
a screen reader is running (the bridge is active and every change of a
view reaches it); every other row runs offscreen."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness  # noqa: E402

desktop = harness.Desktop().start()
try:
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    sys.exit(subprocess.run(sys.argv[1:], env=env).returncode)
finally:
    desktop.stop()
