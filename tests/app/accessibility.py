"""Reads the running program through AT-SPI as a screen reader does, works it with real key
presses (xdotool) and checks what it is told: the list and its check marks, the tool-bar
buttons, a menu entry with its key, and the item dialog's fields. Prints the main window's
accessible tree and one row before and after Space.
Usage: accessibility.py PROGRAM_PID   (DISPLAY and the session bus set; the program has just
been started on a trip whose first row is Tent in Camping, unchecked, and whose second is Socks
in Clothes, checked, 2 pairs)"""

import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

program_pid = int(sys.argv[1])
# No call into the program may hang the test.
pyatspi.setTimeout(3000, 5000)
context = GLib.MainContext.default()


def pump(seconds):
    """Hands the events that arrive during the time to the listeners."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        while context.pending():
            context.iteration(False)
        time.sleep(0.02)


def wait_for(find, seconds):
    """The first true result of find within the time, or None."""
    end = time.monotonic() + seconds
    while True:
        try:
            found = find()
        except GLib.Error:
            found = None
        if found or time.monotonic() >= end:
            return found
        pump(0.1)


def quoted(text):
    return '"' + text.replace("\t", "\\t") + '"'


def describe(accessible):
    states = accessible.getState()
    names = sorted(pyatspi.stateToString(s) for s in states.getStates())
    return f"{accessible.getRoleName()} {quoted(accessible.name)} [{', '.join(names)}]"


def print_tree(accessible, depth=0):
    print("  " * depth + describe(accessible))
    for child in accessible:
        if child is not None:
            print_tree(child, depth + 1)


def descendants(accessible):
    for child in accessible:
        if child is None:
            continue
        yield child
        yield from descendants(child)


def find(root, test):
    return next((a for a in descendants(root) if test(a)), None)


def has(accessible, state):
    return accessible.getState().contains(state)


def same(one, other):
    return one is not None and other is not None and one.path == other.path


def key(name, action="key"):
    subprocess.run(["xdotool", action, name], check=True, timeout=5)


def program():
    desktop = pyatspi.Registry.getDesktop(0)
    return next((a for a in desktop if a is not None and a.get_process_id() == program_pid), None)


app = wait_for(program, 20)
if app is None:
    sys.exit("FAILED: the program does not show up on the accessibility bus")
frame = wait_for(lambda: find(app, lambda a: a.getRole() == pyatspi.ROLE_FRAME and has(a, pyatspi.STATE_ACTIVE)), 10)
if frame is None:
    sys.exit("FAILED: the program's main window does not become active")
list_roles = (pyatspi.ROLE_TREE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_TABLE)
items = find(frame, lambda a: a.getRole() in list_roles)
# The keys go to the list, which has the focus at start.
if items is not None:
    wait_for(lambda: has(items, pyatspi.STATE_FOCUSED), 5)
print("The main window as a screen reader gets it:")
print_tree(frame)

failures = 0


def check(title, run):
    """Runs one check: it returns None when it passes, else why it fails."""
    global failures
    try:
        problem = run()
    except Exception as error:  # a call the program does not answer, an interface it lacks
        problem = f"{type(error).__name__}: {error}"
    if problem is None:
        print(f"PASS {title}")
    else:
        failures += 1
        print(f"FAIL {title}: {problem}")


def the_list():
    if items is None:
        return "no tree, tree table or table in the main window"
    if items.name != "Items":
        return f"the {items.getRoleName()} is named {quoted(items.name)}, not \"Items\""
    return None


def row_of(table, name):
    """The row whose cells include one named so."""
    for row in range(table.nRows):
        for column in range(table.nColumns):
            if table.getAccessibleAt(row, column).name == name:
                return row
    raise LookupError(f"no row holds {name}")


def row_text(table, row):
    return "\n".join("  " + describe(table.getAccessibleAt(row, c)) for c in range(table.nColumns))


def check_marks():
    if items is None:
        return "no list"
    table = items.queryTable()
    header = table.getColumnHeader(0)
    if header is None or header.name != "Quantity":
        return f"the first column is {quoted(header.name) if header else 'without header'}, not \"Quantity\""
    socks = table.getAccessibleAt(row_of(table, "Socks"), 0)
    tent = table.getAccessibleAt(row_of(table, "Tent"), 0)
    problems = []
    if socks.name != "taken along, 2 pairs":
        problems.append(f"Socks' cell is named {quoted(socks.name)}, not \"taken along, 2 pairs\"")
    if tent.name != "not taken along":
        problems.append(f"Tent's cell is named {quoted(tent.name)}, not \"not taken along\"")
    if has(socks, pyatspi.STATE_CHECKABLE) or has(tent, pyatspi.STATE_CHECKABLE):
        if not has(socks, pyatspi.STATE_CHECKED) or has(tent, pyatspi.STATE_CHECKED):
            problems.append("checkable, but the checked states are not Socks' alone")
    return "; ".join(problems) or None


def tool_bar():
    bar = find(frame, lambda a: a.getRole() == pyatspi.ROLE_TOOL_BAR)
    if bar is None:
        return "no tool bar"
    names = [b.name for b in bar if b is not None and b.getRole() == pyatspi.ROLE_PUSH_BUTTON]
    print("Tool-bar buttons: " + ", ".join(quoted(n) for n in names))
    if len(names) != 12:
        return f"{len(names)} buttons, not 12"
    bad = [quoted(n) for n in names if not n or "\t" in n or "&" in n]
    if bad:
        return f"{len(bad)} of the names are empty or hold a tab or \"&\": {', '.join(bad)}"
    if names[:4] != ["New", "Open...", "Save", "Print..."]:
        return "the first four are not New, Open..., Save, Print..."
    return None


def menu_entry():
    bar = find(frame, lambda a: a.getRole() == pyatspi.ROLE_MENU_BAR)
    file_menu = bar and next((m for m in bar if m is not None and m.name.replace("&", "") == "File"), None)
    if file_menu is None:
        return "no File menu in the menu bar"
    entry = find(file_menu, lambda a: a.getRole() == pyatspi.ROLE_MENU_ITEM and
                 a.name.replace("&", "").split("\t")[0].strip() == "New")
    if entry is None:
        return "no entry New in the File menu"
    action = entry.queryAction()
    binding = action.getKeyBinding(0) if action.nActions > 0 else ""
    print(f"File > New: named {quoted(entry.name)}, key binding {quoted(binding)}")
    problems = []
    if entry.name != "New":
        problems.append(f"named {quoted(entry.name)}, not \"New\"")
    lower = binding.lower()
    if not any(f"{ctrl}n" in lower for ctrl in ("ctrl+", "<control>", "<primary>", "control+")):
        problems.append(f"its key binding {quoted(binding)} does not name Ctrl+N")
    return "; ".join(problems) or None


def space_on_tent():
    if items is None:
        return "no list"
    table = items.queryTable()
    row = row_of(table, "Tent")
    # Tent is the first row: Down selects it when nothing is selected yet, Up from below.
    for name in ("Down", "Up"):
        key(name)
        if wait_for(lambda: table.isRowSelected(row), 1):
            break
    else:
        return f"neither Down nor Up selects Tent's row ({row})"
    cell = table.getAccessibleAt(row, 0)
    print("Tent's row before Space:")
    print(row_text(table, row))
    events = []
    listened = ("object:state-changed:checked", "object:property-change:accessible-name")
    listener = events.append
    pyatspi.Registry.registerEventListener(listener, *listened)
    try:
        pump(0.3)  # the program learns what is listened to
        key("space")

        def for_the_cell():
            return any(same(e.source, cell) or
                       (same(e.source.parent, items) and e.source.getIndexInParent() == cell.getIndexInParent())
                       for e in events)
        arrived = wait_for(for_the_cell, 2)
    finally:
        pyatspi.Registry.deregisterEventListener(listener, *listened)
    print("Tent's row after Space:")
    print(row_text(table, row))
    seen = "; ".join(f"{e.type} from {e.source.getRoleName()} {quoted(e.source.name)}" for e in events)
    print(f"Events after Space: {seen or 'none'}")
    if not arrived:
        return "no state-changed:checked or accessible-name event for Tent's cell within 2 s"
    cell = table.getAccessibleAt(row, 0)
    if not wait_for(lambda: cell.name == "taken along", 2):
        return f"after Space Tent's cell is named {quoted(cell.name)}, not \"taken along\""
    if has(cell, pyatspi.STATE_CHECKABLE) and not has(cell, pyatspi.STATE_CHECKED):
        return "after Space Tent's cell is checkable but not checked"
    return None


def item_dialog():
    key("Return")

    def dialog():
        return next((a for a in app if a is not None and a.name == "Edit Item and Quantity" and
                     has(a, pyatspi.STATE_SHOWING)), None)
    shown = wait_for(dialog, 5)
    if shown is None:
        return "Return did not bring up the dialog \"Edit Item and Quantity\""
    said = []
    for field in (a for a in descendants(shown) if a.getRole() == pyatspi.ROLE_TEXT):
        labels = [t.name.replace("&", "") for r in field.getRelationSet()
                  if r.getRelationType() == pyatspi.RELATION_LABELLED_BY
                  for t in (r.getTarget(i) for i in range(r.getNTargets()))]
        said.append((field.name, labels))
    print("Item dialog's text fields: " + ", ".join(f"{quoted(n)} labelled by {ls}" for n, ls in said))
    missing = [label for label in ("Name:", "Group:", "Quantity:")
               if not any(name == label or label in labels for name, labels in said)]
    problems = [f"no text field named or labelled {', '.join(missing)}"] if missing else []
    # Back in the list, the screen reader hears where the user is: Tent's row, checked now.
    # Read as the event comes: a cell's object may be gone soon after.
    events = []

    def listener(event):
        try:
            events.append((event.type, event.source.getRoleName(), event.source.name))
        except GLib.Error:
            events.append((event.type, "gone", ""))
    listened = ("object:state-changed:focused", "focus:")
    pyatspi.Registry.registerEventListener(listener, *listened)
    try:
        # Escape comes up once the dialog is gone, as a finger does. Qt's accessibility bridge
        # holds each key until the screen reader has seen it, and loses a held release whose
        # widget has gone meanwhile: a leak of Qt's, not the program's, when both are held.
        key("Escape", "keydown")
        closed = wait_for(lambda: dialog() is None, 5)
        key("Escape", "keyup")
        if not closed:
            problems.append("the dialog stays after Escape")
        # The last word is the row's: what the screen reader says once the focus is back.
        back = wait_for(lambda: [(role, name) for kind, role, name in events if kind == "focus:"][-1:] ==
                        [("table cell", "taken along")], 2)
    finally:
        pyatspi.Registry.deregisterEventListener(listener, *listened)
    seen = "; ".join(f"{kind} from {role} {quoted(name)}" for kind, role, name in events)
    print(f"Focus events after Escape: {seen or 'none'}")
    if not back:
        problems.append("closing the dialog does not announce the current row's cell")
    return "; ".join(problems) or None


# Space and Return change the list and open the dialog: they come last.
check("the list is a tree or table named Items", the_list)
check("the Quantity cells tell the check marks", check_marks)
check("the tool-bar buttons are named", tool_bar)
check("File > New is named New and has Ctrl+N as key", menu_entry)
check("Space on Tent tells its cell's new check mark", space_on_tent)
check("the item dialog's fields are labelled and the list's row is told after it", item_dialog)
sys.exit(1 if failures else 0)
