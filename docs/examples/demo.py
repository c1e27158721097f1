#!/usr/bin/python3
"""Drives the stand-in host velmora-zep over the session bus: a low and a
geostationary satellite, the low orbit kept, and the transfer between them
with what it costs.

Finds the host, or starts it: the program named by VELMORA_ZEP when set, else
through the bus (the installed service file), else velmora-zep from PATH.
Needs Debian's python3-dbus.
"""

import os
import subprocess
import sys
import tempfile
import time

import dbus

NAME = "ZEP.Application"
DATE = '"1 Jul 2005 12:00:00.00"'
STOP = '"2 Jul 2005 12:00:00.00"'


def start_host(bus):
    """The host's start-up is the slow part; the bus name says when it is ready."""
    if bus.name_has_owner(NAME):
        return
    program = os.environ.get("VELMORA_ZEP")
    if not program:
        try:
            bus.start_service_by_name(NAME)
            return
        except dbus.DBusException:
            program = "velmora-zep"
    # Its own session: the host outlives this script.
    subprocess.Popen([program, "--automation"], start_new_session=True,
                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(200):
        if bus.name_has_owner(NAME):
            return
        time.sleep(0.05)
    sys.exit(f"{program} did not take the name {NAME}")


def main():
    bus = dbus.SessionBus()
    start_host(bus)
    app = bus.get_object(NAME, "/Application")
    properties = dbus.Interface(app, "org.freedesktop.DBus.Properties")
    host = dbus.Interface(bus.get_object(NAME, "/Application/Personality"), "ZEP.Personality")

    def run(line):
        return [str(word) for word in host.ExecuteCommand(line)]

    properties.Set("ZEP.Application", "Visible", True)
    # One scenario per host: use the open one if there is one.
    if run("CheckScenario /") == ["0"]:
        run("New / Scenario Demo")
    for name, a, inclination in (("LEO", 6778137, 51.6), ("GEO", 42164137, 0)):
        try:
            run(f"New / */Satellite {name}")
        except dbus.DBusException as error:
            if "exists already" not in error.get_dbus_message():
                raise
        run(f"SetState */Satellite/{name} Classical TwoBody {DATE} {STOP} 60 J2000 {DATE} "
            f"{a} 0 {inclination} 0 0 0")
    run("Keep */Satellite/LEO")
    dv1, dv2, total, seconds = (float(word) for word in run("Transfer */Satellite/LEO */Satellite/GEO"))
    print(f"LEO to GEO: {dv1:.1f} m/s + {dv2:.1f} m/s = {total:.1f} m/s in {seconds / 3600:.2f} h")
    # The host writes the picture: give it a full path.
    picture = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(tempfile.gettempdir(), "velmora-demo.png"))
    run(f'SavePicture * "{picture}"')
    print(f"picture: {picture}")


if __name__ == "__main__":
    try:
        main()
    except dbus.DBusException as error:
        sys.exit(f"{error.get_dbus_name()}: {error.get_dbus_message()}")
