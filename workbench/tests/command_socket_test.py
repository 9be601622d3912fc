#!/usr/bin/env python3
# Two copies of the headless test host and an independent client in plain
# Python: the first copy listens; a second one started elsewhere hands over
# the names "a.pj" and "b c,d.c" and ends with 0; "--dde" and a raw socket client get their
# answers. Every wait has a deadline and fails cleanly.
import os, socket, struct, subprocess, sys, tempfile, time

HOST = sys.argv[1]
DEADLINE_S = 20

def wait_for(pred, what):
    end = time.monotonic() + DEADLINE_S
    while time.monotonic() < end:
        if pred():
            return
        time.sleep(0.05)
    sys.exit("timed out waiting for " + what)

def log_lines(log):
    try:
        with open(log) as f:
            return f.read().splitlines()
    except FileNotFoundError:
        return []

def frame(kind, payload):
    return struct.pack("<II", kind, len(payload)) + payload

def ask(sock, kind, payload):
    sock.sendall(frame(kind, payload))
    head = b""
    while len(head) < 8:
        chunk = sock.recv(8 - len(head))
        if not chunk:
            sys.exit("server closed the connection")
        head += chunk
    _, length = struct.unpack("<II", head)
    body = sock.recv(length)
    return struct.unpack("<I", body)[0]

def main():
    tmp = tempfile.mkdtemp()
    first_dir, second_dir = os.path.join(tmp, "one"), os.path.join(tmp, "two")
    os.mkdir(first_dir)
    os.mkdir(second_dir)
    log = os.path.join(tmp, "host.log")
    env = dict(os.environ, XDG_RUNTIME_DIR=tmp, ORVTY_INSTANCE_KEY="t",
               ORVTY_HOST_LOG=log, ORVTY_HOST_SECONDS="60")
    first = subprocess.Popen([HOST], cwd=first_dir, env=env)
    try:
        wait_for(lambda: "ready" in log_lines(log), "the first copy")
        second = subprocess.run([HOST, "a.pj", "b c,d.c"], cwd=second_dir, env=env, timeout=DEADLINE_S)
        assert second.returncode == 0, second.returncode
        wait_for(lambda: len([l for l in log_lines(log) if l.startswith("open ")]) == 2, "two opens")
        opens = [l for l in log_lines(log) if l.startswith("open ")]
        assert opens == ["open " + os.path.join(second_dir, "a.pj"),
                         "open " + os.path.join(second_dir, "b c,d.c")], opens

        dde = subprocess.run([HOST, "--dde", "About ;"], env=env, timeout=DEADLINE_S,
                             capture_output=True, text=True)
        assert dde.returncode == 0 and dde.stdout.strip() == "0x8000", (dde.returncode, dde.stdout)

        with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
            s.settimeout(DEADLINE_S)
            s.connect(os.path.join(tmp, "orvty", "t.sock"))
            assert ask(s, 2, b"Other\0System\0") == 0
            assert ask(s, 2, b"Revision Server\0System\0") == 1
            assert ask(s, 3, b"OpenArchive /x/a.c ;") == 0x8000
            assert ask(s, 3, b"OpenArchive /x/a.c") == 0
            assert ask(s, 7, b"") == 0
        wait_for(lambda: "execute OpenArchive /x/a.c" in log_lines(log), "the execute")
        assert "execute About" in log_lines(log)
    finally:
        first.kill()
        first.wait(timeout=DEADLINE_S)
    print("ok")

main()
