#!/usr/bin/python3
"""Prints the accessibility tree of a running program, as a screen reader sees it over AT-SPI:
one line per object, indented by depth: role, name in quotes, then the description if any.
   accessible_tree.py APPLICATION_NAME"""
import sys

import pyatspi


def dump(accessible, depth):
    line = f"{'  ' * depth}{accessible.getRoleName()} '{accessible.name}'"
    if accessible.description:
        line += f" ({accessible.description})"
    if not accessible.getState().contains(pyatspi.STATE_SHOWING):
        line += " [hidden]"
    print(line)
    for child in accessible:
        if child is not None:
            dump(child, depth + 1)


for application in pyatspi.Registry.getDesktop(0):
    if application is not None and application.name == sys.argv[1]:
        dump(application, 0)
        sys.exit(0)
sys.exit(f"no application named {sys.argv[1]} on the accessibility bus")
