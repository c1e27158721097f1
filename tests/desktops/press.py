#!/usr/bin/env python3
"""Presses a push button of a running program through the accessibility bus,
as assistive technology would: it needs no pointer and works on any desktop.

    press.py PROGRAM BUTTON [TIMEOUT_S]
"""
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402


def find(node, name, depth=0):
    if node is None or depth > 12:
        return None
    try:
        if node.get_role() == Atspi.Role.PUSH_BUTTON and node.get_name() == name:
            return node
        for i in range(node.get_child_count()):
            found = find(node.get_child_at_index(i), name, depth + 1)
            if found:
                return found
    except gi.repository.GLib.Error:
        return None
    return None


def main():
    program, button = sys.argv[1], sys.argv[2]
    deadline = time.monotonic() + (float(sys.argv[3]) if len(sys.argv) > 3 else 10.0)
    while time.monotonic() < deadline:
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is not None and app.get_name() == program:
                found = find(app, button)
                if found:
                    found.do_action(0)
                    return 0
        time.sleep(0.2)
    desktop = Atspi.get_desktop(0)
    seen = [desktop.get_child_at_index(i) for i in range(desktop.get_child_count())]
    print(f'press.py: no button "{button}" in {program}; programs: '
          + ", ".join(a.get_name() for a in seen if a is not None), file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main())
