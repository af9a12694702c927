#!/usr/bin/env python3
"""Writes what a followed session of the program showed (scripts/session.sh): one contact sheet of
its screenshots, each with its time (and caption, if it has one), and a text with its processes,
windows, shortcuts and portal requests. Prints the paths of both."""

import argparse
import json
import os
import subprocess
import sys
import textwrap

FONT = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
NO_HTML_ENGINE = ("Wine here has no HTML engine (\"Could not find Wine Gecko\"): the login page, the game "
                  "and the hall stay empty areas; windows reparented into the launcher are not drawn on Xvfb.")


def rows(path, min_fields=1):
    """Tab-separated lines of a file (missing file: none)."""
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8", errors="replace") as f:
        return [line.rstrip("\n").split("\t") for line in f if line.strip() and len(line.split("\t")) >= min_fields]


def since(start, t):
    return f"+{float(t) - start:.1f} s"


def window_events(folder):
    """(time, handle, fields or None when gone) for each line of the lookout's window log."""
    events = []
    for r in rows(os.path.join(folder, "windows.log"), 3):
        if r[1] == "gone":
            events.append((float(r[0]), r[2], None))
        elif len(r) >= 8:
            pid, handle, cls, title, size, state, role = r[1:8]
            events.append((float(r[0]), handle, {"pid": pid, "class": cls, "title": title, "size": size,
                                                  "shown": state == "shown", "role": role,
                                                  "parent": r[8] if len(r) > 8 else ""}))
    return events


def shown_at(events, t):
    """What of the program was on show at time t: "launcher 1x1, login backdrop 851x521". The lookout
    looks every 0.2 s, so what it saw within 0.3 s after the screenshot counts."""
    t += 0.3
    now = {}
    for when, handle, fields in events:
        if when > t:
            break
        now[handle] = fields
    parts = []
    for fields in now.values():
        if fields and fields["shown"]:
            part = f"{fields['role']} {fields['size']}"
            if fields["parent"]:
                part += " (not drawn)"
            if part not in parts:
                parts.append(part)
    return ", ".join(parts)


def processes(folder, start):
    started, ended = [], {}
    for r in rows(os.path.join(folder, "processes.tsv"), 3):
        if r[0] == "start" and len(r) >= 4:
            started.append((float(r[1]), r[2], r[3]))
        elif r[0] == "end":
            ended[r[2]] = float(r[1])
    lines = []
    for t, pid, command in started:
        end = ended.get(pid)
        until = since(start, end) if end is not None else "still running at the end"
        lines.append(f"  {since(start, t):>8} to {until:>8}:  {command}")
    return lines


def windows(folder, start):
    """One line per window of the program, from the moment it was shown (or first seen)."""
    seen = {}
    order = []
    for t, handle, f in window_events(folder):
        if f is None:
            if handle in seen:
                seen[handle]["gone"] = t
            continue
        w = seen.get(handle)
        if w is None:
            w = seen[handle] = dict(f, first=t, sizes=[], shown_at=None, gone=None)
            order.append(handle)
        if f["title"]:
            w["title"] = f["title"]
        w["role"], w["parent"] = f["role"], f["parent"] or w["parent"]
        if not w["sizes"] or w["sizes"][-1] != f["size"]:
            w["sizes"].append(f["size"])
        if f["shown"] and w["shown_at"] is None:
            w["shown_at"] = t
    def shown_or_first(handle):
        w = seen[handle]
        return w["shown_at"] if w["shown_at"] is not None else w["first"]

    lines = []
    for handle in sorted(order, key=shown_or_first):
        w = seen[handle]
        when = since(start, shown_or_first(handle))
        text = (f"  {when:>8}  {w['role']:<25} process {w['pid']:>4}  {w['class']}  \"{w['title']}\"  "
                f"{' -> '.join(w['sizes'])}")
        notes = [w["parent"]] if w["parent"] else []
        if w["shown_at"] is None:
            notes.append("never shown")
        if w["gone"] is not None:
            notes.append(f"gone {since(start, w['gone'])}")
        if notes:
            text += f"  ({', '.join(notes)})"
        lines.append(text)
    return lines


def portal_requests(folder, start):
    lines = []
    path = os.path.join(folder, "portal.jsonl")
    if not os.path.exists(path):
        return lines
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            try:
                r = json.loads(line)
            except ValueError:
                continue
            cookie = "  (cookie Pauth)" if r.get("cookies", {}).get("Pauth") else ""
            lines.append(f"  {since(start, r.get('time', start)):>8}  {r.get('method', '?')} {r.get('path', '?')}{cookie}")
    return lines


def contact_sheet(folder, start, columns, out):
    shots = rows(os.path.join(folder, "shots.tsv"), 2)
    if not shots:
        return False
    events = window_events(folder)
    columns = max(1, min(columns, len(shots)))
    args = ["montage", "-font", FONT, "-pointsize", "13", "-background", "#1e1e1e", "-fill", "#f0f0f0"]
    for r in shots:
        t, name = float(r[0]), r[1]
        caption = r[2] if len(r) > 2 else ""
        label = f"{caption} ({since(start, t)})" if caption else f"{since(start, t)}: {shown_at(events, t) or 'none of its windows'}"
        label = "\n".join(textwrap.wrap(label, 62))
        args += ["-label", label, os.path.join(folder, "shots", name)]
    args += ["-tile", f"{columns}x", "-geometry", "480x300+8+6", out]
    subprocess.run(args, check=True)
    return True


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--dir", required=True)
    ap.add_argument("--start", type=float, required=True)
    ap.add_argument("--what", default="")
    ap.add_argument("--build", default="")
    ap.add_argument("--columns", type=int, default=4)
    a = ap.parse_args()

    sheet = os.path.join(a.dir, "contact-sheet.png")
    have_sheet = contact_sheet(a.dir, a.start, a.columns, sheet)
    wine_log = os.path.join(a.dir, "wine.log")
    no_engine = os.path.exists(wine_log) and "Could not find Wine Gecko" in open(
        wine_log, encoding="utf-8", errors="replace").read()

    links = [l.rstrip("\n") for l in open(os.path.join(a.dir, "links.txt"), encoding="utf-8", errors="replace")
             if l.strip()] if os.path.exists(os.path.join(a.dir, "links.txt")) else []
    shots = rows(os.path.join(a.dir, "shots.tsv"), 2)
    text = [f"Session: {a.what} ({a.build} build)"]
    if no_engine:
        text.append(NO_HTML_ENGINE)
    text += ["", "Processes of the program (first seen and ended, from the start):"]
    text += processes(a.dir, a.start) or ["  none"]
    text += ["", "Windows of the program (shown at, what, process, class, title, size):"]
    text += windows(a.dir, a.start) or ["  none"]
    text += ["", "Shortcuts:"]
    text += [f"  {l}" for l in links] or ["  none"]
    text += ["", "Requests to the local portal:"]
    text += portal_requests(a.dir, a.start) or ["  none"]
    text += ["", f"Screenshots: {len(shots)} in {os.path.join(a.dir, 'shots')}"]
    report = os.path.join(a.dir, "session.txt")
    with open(report, "w", encoding="utf-8") as f:
        f.write("\n".join(text) + "\n")

    print(f"contact sheet: {sheet if have_sheet else '(no screenshots)'}")
    print(f"what it saw:   {report}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
