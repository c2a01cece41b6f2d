#!/usr/bin/python3
"""zrt02600-server start to ready: from exec to the READY=1 it sends to systemd (Type=notify),
over N starts on one SQLite plant; prints each time and the median.

Usage: bench/service/start_ready.py [SERVER] [N]
  SERVER  the program (default build/release/bin/zrt02600-server)
  N       starts (default 10)
"""
import os
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import time

server = sys.argv[1] if len(sys.argv) > 1 else "build/release/bin/zrt02600-server"
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 10

with tempfile.TemporaryDirectory(prefix="zrt-ready.") as work:
    db = "sqlite:" + os.path.join(work, "plant.db")
    subprocess.run([server, "init", "--db", db, "--demo"], check=True, stdout=subprocess.DEVNULL)
    notify = os.path.join(work, "notify.sock")
    sock = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
    sock.bind(notify)
    sock.settimeout(30)
    env = dict(os.environ, NOTIFY_SOCKET=notify)
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        proc = subprocess.Popen([server, "serve", "--db", db, "--port", "0"], env=env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        while b"READY=1" not in sock.recv(4096):
            pass
        times.append((time.perf_counter() - start) * 1000)
        proc.send_signal(signal.SIGTERM)
        proc.wait(30)
        while True:  # the STOPPING=1 of this run, so the next run reads its own READY
            sock.settimeout(0.2)
            try:
                sock.recv(4096)
            except socket.timeout:
                break
        sock.settimeout(30)
    print("start to READY=1 (ms):", " ".join(f"{t:.1f}" for t in times))
    print(f"median {statistics.median(times):.1f} ms over {runs} starts")
