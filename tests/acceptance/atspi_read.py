#!/usr/bin/python3
"""Reads the windows of the program PID over AT-SPI, as a screen reader does, and asks no
other program anything (an office driven while asked about its own events stopped answering).

  atspi_read.py controls PID WINDOW  the controls shown in WINDOW, one a line: "role: label name"
  atspi_read.py watch PID SECONDS    "listening", then each new description of a control, as it
                                     is announced: "role: label name | description"
"""
import sys

import pyatspi
from gi.repository import GLib

CONTROLS = {pyatspi.ROLE_TABLE, pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_TEXT,
            pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_PROGRESS_BAR}


def spoken(node):
    labels = [rel.getTarget(i).name for rel in node.getRelationSet()
              if rel.getRelationType() == pyatspi.RELATION_LABELLED_BY
              for i in range(rel.getNTargets())]
    return f"{node.getRoleName()}: {' '.join(labels + [node.name] * (node.name not in labels))}"


def controls(node):
    for child in node:
        if child.getState().contains(pyatspi.STATE_SHOWING):
            if child.getRole() in CONTROLS:
                print(spoken(child))
            else:
                controls(child)


def heard(event):
    if event.source.get_process_id() == int(sys.argv[2]):
        print(f"{spoken(event.source)} | {event.source.description}", flush=True)


if sys.argv[1] == "controls":
    for app in pyatspi.Registry.getDesktop(0):
        if app.get_process_id() == int(sys.argv[2]):
            for window in app:
                if spoken(window) == sys.argv[3]:
                    controls(window)
else:
    pyatspi.Registry.registerEventListener(heard, "object:property-change:accessible-description")
    print("listening", flush=True)
    GLib.timeout_add(int(sys.argv[3]) * 1000, pyatspi.Registry.stop)
    pyatspi.Registry.start()
