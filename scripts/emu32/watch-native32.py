#!/usr/bin/env python3
"""Watches for 32-bit programs running natively while the emulated 32-bit route is tested on a machine
that could run them: on the machines the route is for, such a program would not start at all, so every
one seen here is a fault of the route. Each is written to the report file as "<pid> <exe> <command line>"
once. Runs until killed; looks at every new process twice a second.

    watch-native32.py <report file>
"""
import os
import sys
import time

ELF32_HEADER = b"\x7fELF\x01"


def describe(pid):
    try:
        exe = os.readlink(f"/proc/{pid}/exe")
        with open(f"/proc/{pid}/exe", "rb") as f:
            header = f.read(5)
        with open(f"/proc/{pid}/cmdline", "rb") as f:
            command = f.read().replace(b"\0", b" ").decode(errors="replace").strip()
    except OSError:
        return None  # gone, or a kernel thread
    return f"{pid} {exe} {command}" if header == ELF32_HEADER else None


def main():
    report = sys.argv[1]
    seen = set()
    while True:
        # A process id that went away may come back as another program, so only the live ones count
        # as seen.
        current = {name for name in os.listdir("/proc") if name.isdigit()}
        for pid in current - seen:
            line = describe(pid)
            if line:
                with open(report, "a") as f:
                    f.write(line + "\n")
        seen = current
        time.sleep(0.5)


if __name__ == "__main__":
    main()
