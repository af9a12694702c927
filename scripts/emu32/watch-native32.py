#!/usr/bin/env python3
"""Watches for 32-bit programs running natively while the emulated 32-bit route is tested on a machine
that could run them: on the machines the route is for, such a program would not start at all, so every
one seen here is a fault of the route. Each is written to the report file as "<pid> <exe> <command line>"
once. Only the processes of the route's own Wine prefix count (by the WINEPREFIX they were started
with): another run beside it, such as the x86_64 suite's, may run 32-bit Wine natively on its own
prefix. Runs until killed; looks at every new process twice a second.

    watch-native32.py <report file> <Wine prefix>
"""
import os
import sys
import time

ELF32_HEADER = b"\x7fELF\x01"


def prefix_of(pid):
    with open(f"/proc/{pid}/environ", "rb") as f:
        for entry in f.read().split(b"\0"):
            if entry.startswith(b"WINEPREFIX="):
                return os.path.realpath(entry[len(b"WINEPREFIX="):].decode(errors="replace"))
    return None


def describe(pid, prefix):
    try:
        exe = os.readlink(f"/proc/{pid}/exe")
        with open(f"/proc/{pid}/exe", "rb") as f:
            header = f.read(5)
        with open(f"/proc/{pid}/cmdline", "rb") as f:
            command = f.read().replace(b"\0", b" ").decode(errors="replace").strip()
        if header != ELF32_HEADER or prefix_of(pid) != prefix:
            return None
    except OSError:
        return None  # gone, or a kernel thread
    return f"{pid} {exe} {command}"


def main():
    report, prefix = sys.argv[1], os.path.realpath(sys.argv[2])
    seen = set()
    while True:
        # A process id that went away may come back as another program, so only the live ones count
        # as seen.
        current = {name for name in os.listdir("/proc") if name.isdigit()}
        for pid in current - seen:
            line = describe(pid, prefix)
            if line:
                with open(report, "a") as f:
                    f.write(line + "\n")
        seen = current
        time.sleep(0.5)


if __name__ == "__main__":
    main()
