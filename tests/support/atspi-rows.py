#!/usr/bin/python3
"""The download list of the running program PID as a screen reader reads it.

atspi-rows.py PID dump         prints {"rows": rows of cells [name, controls],
                               a control [name, role, actions, value];
                               "unnamed": shown buttons without a name}
atspi-rows.py PID press R C N  performs the first action of the control named
                               N in the cell at row R, column C
"""
import json
import sys

import pyatspi


def descendants(node):
    for child in node:
        if child is not None:
            yield child
            yield from descendants(child)


def control(node):
    kinds = pyatspi.listInterfaces(node)
    actions = node.queryAction() if "Action" in kinds else None
    return [node.name, node.getRoleName(), [actions.getName(i) for i in range(actions.nActions)] if actions else [],
            node.queryValue().currentValue if "Value" in kinds else None]


def main(pid, command, *arguments):
    app = next(app for app in pyatspi.Registry.getDesktop(0) if app and app.get_process_id() == pid)
    table = next(node for node in descendants(app) if node.getRole() == pyatspi.ROLE_TABLE).queryTable()
    if command == "press":
        cell = table.getAccessibleAt(int(arguments[0]), int(arguments[1]))
        next(child for child in cell if child.name == arguments[2]).queryAction().doAction(0)
        return
    rows = [[[cell.name, [control(child) for child in cell]]
             for cell in (table.getAccessibleAt(row, column) for column in range(table.nColumns))]
            for row in range(table.nRows)]
    unnamed = [node.getRoleName() + " in " + (node.parent.name or node.parent.getRoleName())
               for node in descendants(app)
               if node.getRole() in (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON) and not node.name
               and node.getState().contains(pyatspi.STATE_SHOWING)]
    print(json.dumps({"rows": rows, "unnamed": unnamed}))


if __name__ == "__main__":
    main(int(sys.argv[1]), *sys.argv[2:])
