#!/usr/bin/python3
"""Reads the Quillfen window through AT-SPI, as a screen reader does.

Loads the sample files, runs the extraction, and checks that every result
row a reader reaches has its text as its name and its file as its
description. Run by read-results.sh, which starts the window on a virtual
display with its own accessibility bus."""
import sys
import time

import pyatspi


def application(name, seconds=20):
    for _ in range(int(seconds * 4)):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name:
                return app
        time.sleep(0.25)
    sys.exit(f"no application {name!r} on the accessibility bus")


def descendants(node, role=None, name=None):
    found = []
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is None:
            continue
        if (role is None or child.getRoleName() == role) and (name is None or child.name == name):
            found.append(child)
        # Lists of rows are not walked into: they may hold millions.
        if child.getRoleName() != "list":
            found.extend(descendants(child, role, name))
    return found


def press(node):
    actions = node.queryAction()
    for i in range(actions.nActions):
        if actions.getName(i) in ("Press", "press", "click"):
            actions.doAction(i)
            return
    actions.doAction(0)


def answer_boxes(app, answers=("No", "OK")):
    """Presses No or OK in every message box the window shows."""
    pressed = False
    for dialog in descendants(app, "dialog") + descendants(app, "alert"):
        for answer in answers:
            buttons = descendants(dialog, "push button", answer)
            if buttons:
                press(buttons[0])
                pressed = True
                break
    return pressed


def until(condition, seconds, what):
    for _ in range(int(seconds * 4)):
        if condition():
            return
        time.sleep(0.25)
    sys.exit(f"timed out waiting for {what}")


def main():
    app = application(sys.argv[1] if len(sys.argv) > 1 else "quillfen")
    window = descendants(app, "frame")[0]
    files = descendants(window, "list", "File(s)")[0]
    press(descendants(window, "push button", "Load Sample/Example Files")[0])
    until(lambda: answer_boxes(app) or files.childCount > 0, 20, "the sample files")
    answer_boxes(app)
    until(lambda: files.childCount > 0, 20, "the sample files in the list")
    press(descendants(window, "push button", "Start Extracting")[0])
    results = [r for r in descendants(window, "list") if r.name.startswith("Results")][0]
    until(lambda: answer_boxes(app, ("OK",)), 120, 'the "Done." box')

    rows = results.childCount
    if rows == 0:
        sys.exit("the results list has no rows")
    without_file = 0
    for i in range(rows):
        row = results.getChildAtIndex(i)
        if not row.name:
            sys.exit(f"row {i} has no name")
        if "\u21b5" in row.name:
            sys.exit(f"row {i} reads its line breaks as a drawn mark: {row.name[:60]!r}")
        if not row.description.startswith("/"):
            without_file += 1
    if without_file:
        sys.exit(f"{without_file} of {rows} rows do not give their file as description")
    first = results.getChildAtIndex(0)
    print(f"{rows} result rows read through AT-SPI, each with its file; "
          f"row 1: {first.name[:50]!r} in {first.description!r}")


main()
