"""The running program as a screen reader meets it over AT-SPI.

Lists every control with its role and what a reader says for it, checks that each
focusable control is named in Spanish for what it is, then works the window the way a
reader's user does: focus moved through AT-SPI, keys typed as key events, values and the
message read back through the accessibility tree, and "Cerrar" pressed through its action.

Each list is also worked as voice-control and automation tools do: opened with a click, the
row found in the open list through AT-SPI, its extents checked to lie inside that list, its
middle clicked; and one unit chosen through its row's action.

Run by run_atspi.sh inside a private D-Bus session with the accessibility bus up and the
program started with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 in the locale given as the first
argument (es_ES.UTF-8 writes a comma decimal, en_US.UTF-8 a full stop). Needs Debian's
python3-pyatspi, so it runs under /usr/bin/python3.
"""

import subprocess
import sys
import time

try:
    import pyatspi
    from gi.repository import GLib
except ImportError as error:  # pragma: no cover - depends on the machine
    sys.exit(f"a11y: FAIL: {error}; install python3-pyatspi and run with /usr/bin/python3")

PROGRAM = "conversor-unidades"
CAPTION = "Conversor de unidades"

# (role, what is read as its label) of every control that takes the focus.
EXPECTED_FOCUSABLE = {
    ("list", "Magnitud"),
    ("text", "Valor A"),
    ("text", "Valor B"),
    ("combo box", "Unidad del valor A"),
    ("combo box", "Unidad del valor B"),
    ("push button", "Cerrar"),
}

KEY_END = 0xFF57
KEY_BACKSPACE = 0xFF08
KEY_DOWN = 0xFF54
KEY_TAB = 0xFF09


def fail(message):
    print(f"a11y: FAIL: {message}")
    sys.exit(1)


def pump(seconds):
    """Runs the main loop for a while, so that queued AT-SPI events are delivered."""
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        while context.iteration(False):
            pass
        time.sleep(0.02)


def wait_for(what, predicate, seconds=10):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        pump(0.05)
        value = predicate()
        if value:
            return value
    fail(f"timed out waiting for {what}")


class Events:
    """Records the events that say a text or a message changed, by source."""

    TYPES = (
        "object:text-changed:insert",
        "object:text-changed:delete",
        "object:property-change:accessible-name",
        "object:state-changed:showing",
    )

    def __init__(self):
        self.seen = []
        for event_type in self.TYPES:
            pyatspi.Registry.registerEventListener(self._record, event_type)

    def _record(self, event):
        self.seen.append((event.type, event.source, event.detail1, event.any_data))

    def clear(self):
        self.seen.clear()

    def of(self, source, event_type):
        return [e for e in self.seen if e[0] == event_type and e[1] == source]


def find_application():
    """The program the test started (its process named by the caller), never another by name."""
    pid = int(sys.argv[2]) if len(sys.argv) > 2 else None
    for application in pyatspi.Registry.getDesktop(0):
        if (application is not None and application.name == PROGRAM
                and pid in (None, application.get_process_id())):
            return application
    return None


def states(accessible):
    return {pyatspi.stateToString(s) for s in accessible.getState().getStates()}


def labels_of(accessible):
    """The texts of the objects that label this one, as a reader finds them."""
    texts = []
    for relation in accessible.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            for i in range(relation.getNTargets()):
                texts.append(relation.getTarget(i).name)
    return texts


def spoken_label(accessible):
    """What a reader announces as the control's label: the labelling objects, else the name."""
    return " ".join(labels_of(accessible)) or accessible.name


def text_of(accessible):
    text = accessible.queryText()
    return text.getText(0, text.characterCount)


def extents(accessible):
    box = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return box.x, box.y, box.width, box.height


def inside(inner, outer):
    x, y, w, h = inner
    ox, oy, ow, oh = outer
    return w > 0 and h > 0 and ox <= x and oy <= y and x + w <= ox + ow and y + h <= oy + oh


def click(accessible):
    x, y, w, h = extents(accessible)
    subprocess.run(["xdotool", "mousemove", str(x + w // 2), str(y + h // 2), "click", "1"], check=True)


def open_list(box):
    """The list a unit list shows once clicked, as its child, with its rows."""
    click(box)
    rows = wait_for(f"{spoken_label(box)!r} to show its open list",
                    lambda: box.childCount == 1 and "showing" in states(box[0]) and box[0])
    if "expanded" not in states(box):
        fail(f"{spoken_label(box)!r} is open but not expanded: {sorted(states(box))}")
    return rows


def choose(rows, name, by_action=False):
    """Chooses a row of an open list as a tool does: found by name, clicked in its middle
    (once its extents are checked to lie inside the list), or through its action."""
    row = next((r for r in rows if r is not None and r.name == name), None)
    if row is None:
        fail(f"no row {name!r} in the open list: {[r.name for r in rows if r is not None]}")
    row_states = states(row)
    if not {"showing", "selectable"} <= row_states:
        fail(f"row {name!r} of the open list has the states {sorted(row_states)}")
    if not inside(extents(row), extents(rows)):
        fail(f"row {name!r} lies at {extents(row)}, not inside its list at {extents(rows)}")
    action = row.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if not names:
        fail(f"row {name!r} offers no action to choose it")
    if by_action:
        action.doAction(0)
    else:
        click(row)
    return names


def press_keys(*keysyms):
    for keysym in keysyms:
        pyatspi.Registry.generateKeyboardEvent(keysym, None, pyatspi.KEY_SYM)
        pump(0.03)


def type_text(text):
    press_keys(*(ord(c) for c in text))


def main():
    events = Events()
    application = wait_for(f"{PROGRAM} on the accessibility bus", find_application, 20)
    window = wait_for(
        f'its window "{CAPTION}"',
        lambda: next((w for w in application if w is not None and w.name == CAPTION), None),
    )

    # ---- What a reader finds, control by control -----------------------------------------
    controls = [c for c in window if c is not None]
    print(
        f'a11y: window "{window.name}" ({window.getRoleName()}, '
        f'{" ".join(sorted(states(window)))}), {len(controls)} children:'
    )
    focusable = set()
    by_label = {}
    message_line = None
    for control in controls:
        role = control.getRoleName()
        shown = "showing" in states(control)
        label = spoken_label(control)
        # A labelled control's name is its value (the chosen unit); a box's value is its text.
        if labels_of(control):
            value = control.name
        elif role == "text":
            value = text_of(control)
        else:
            value = ""
        print(
            f"a11y:   {role:12} label {label!r:24} value {value!r:6} "
            f"description {control.description!r}{'' if shown else ' (not shown)'}"
        )
        if "focusable" in states(control):
            if not label.strip():
                fail(f"a focusable {role} has no name")
            focusable.add((role, label))
            by_label[label] = control
        if role == "notification":
            message_line = control
    if focusable != EXPECTED_FOCUSABLE:
        fail(
            f"focusable controls {sorted(focusable)}; "
            f"missing {sorted(EXPECTED_FOCUSABLE - focusable)}, "
            f"unexpected {sorted(focusable - EXPECTED_FOCUSABLE)}"
        )
    if message_line is None:
        fail("no notification among the window's children: the message line is not announced")
    if message_line.name != "" or "showing" not in states(message_line):
        fail(
            f"the message line starts as {message_line.name!r}, "
            f"states {sorted(states(message_line))}"
        )

    value_a, value_b = by_label["Valor A"], by_label["Valor B"]
    unit_a, unit_b = by_label["Unidad del valor A"], by_label["Unidad del valor B"]
    close, categories = by_label["Cerrar"], by_label["Magnitud"]
    if unit_b.name != "m":
        fail(f"the unit of value B reads {unit_b.name!r}, not the chosen unit 'm'")
    comma = sys.argv[1].startswith("es_") if len(sys.argv) > 1 else True

    # ---- Each list worked with the pointer, each row found through AT-SPI ----------------
    if unit_a.childCount != 1:
        fail(f"the unit list has {unit_a.childCount} children, not its one list of units")
    shown = [r.name for r in unit_a[0] if r is not None and "showing" in states(r)]
    if "showing" in states(unit_a[0]) or shown:
        fail(f"the closed unit list shows its list or the rows {shown}")
    for box, unit, by_action in ((unit_a, "km", False), (unit_b, "cm", True)):
        names = choose(open_list(box), unit, by_action)
        wait_for(f"{spoken_label(box)!r} to read {unit!r}", lambda: box.name == unit and
                 "expanded" not in states(box))
        print(f"a11y: {spoken_label(box)!r}: opened by a click, row {unit!r} found inside the "
              f"open list and {'pressed' if by_action else 'clicked'} (actions {names})")
    # Each new unit re-expresses its own box: A 0,001 km, then B 100,0 cm.
    wait_for("value B to read a metre in centimetres",
             lambda: text_of(value_b) == ("100,0" if comma else "100.0"))
    names = choose(categories, "Area")
    wait_for("the category Area", lambda: unit_a.name == "m²")
    print(f"a11y: category 'Area' found inside its list and clicked (actions {names})")
    choose(categories, "Longitud")
    wait_for("the category Longitud", lambda: unit_a.name == "m")
    by_label["Valor A"].queryComponent().grabFocus()
    wait_for("the focus back in value A", lambda: "focused" in states(value_a))

    # ---- The Tab key walks the controls; a unit is chosen with the keyboard ---------------
    def focused():
        return next((c for c in by_label.values() if "focused" in states(c)), None)

    def tab_to(expected):
        before = focused()

        def moved():
            now = focused()
            return now if now is not None and now != before else None

        press_keys(KEY_TAB)
        now = wait_for(f"the focus to leave {spoken_label(before)!r}", moved)
        value = f" {now.name!r}" if labels_of(now) else ""
        print(f"a11y: Tab: {now.getRoleName()} {spoken_label(now)!r}{value}")
        if spoken_label(now) != expected:
            fail(f"Tab took the focus to {spoken_label(now)!r}, not {expected!r}")

    start = wait_for("the focus in a control", focused)
    if spoken_label(start) != "Valor A":
        fail(f"the focus is in {spoken_label(start)!r}, not in 'Valor A'")
    for expected in ("Valor B", "Unidad del valor A", "Unidad del valor B"):
        tab_to(expected)
    press_keys(KEY_DOWN)
    wait_for("the unit of value B to read 'cm'", lambda: unit_b.name == "cm")
    print(f"a11y: Down in the unit list of value B: it now reads {unit_b.name!r}")
    for expected in ("Magnitud", "Cerrar", "Valor A"):
        tab_to(expected)

    # ---- A value typed into A; B read back ------------------------------------------------
    events.clear()
    press_keys(KEY_END, *[KEY_BACKSPACE] * 6)
    type_text("2.5")  # the full stop types the desktop's decimal separator
    typed, result = ("2,5", "250,0") if comma else ("2.5", "250.0")
    wait_for(f"value A to read {typed!r}", lambda: text_of(value_a) == typed)
    wait_for(f"value B to read {result!r}", lambda: text_of(value_b) == result)
    print(f"a11y: typed 2.5 into value A: A reads {text_of(value_a)!r}, B {text_of(value_b)!r}")
    written = [e[3] for e in events.of(value_b, "object:text-changed:insert")]
    if result not in written:
        fail(f"value B got {result} without a text-insert event (inserts: {written})")
    print(f"a11y: value B raised object:text-changed:insert with {result!r}")

    # ---- A message appears --------------------------------------------------------------
    events.clear()
    press_keys(*[KEY_BACKSPACE] * 3)
    wait_for("value A to be empty", lambda: text_of(value_a) == "")
    wait_for(
        "the message 'Valores no numéricos'", lambda: message_line.name == "Valores no numéricos"
    )
    # The events come after the text: waited for, each, a loaded machine sending them late.
    announced = wait_for("the message line to report itself shown", lambda: [
        e for e in events.of(message_line, "object:state-changed:showing") if e[2] == 1])
    renamed = wait_for("the message line's name-change event",
             lambda: events.of(message_line, "object:property-change:accessible-name"))
    print(
        f"a11y: value A emptied: the message line reads {message_line.name!r}, "
        f"raised {len(announced)} showing and {len(renamed)} name-change event(s)"
    )

    # ---- "Cerrar" pressed as a reader's user presses it -----------------------------------
    action = close.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    press = next((i for i, name in enumerate(names) if name.lower() in ("press", "click")), None)
    if press is None:
        fail(f"Cerrar offers no press action (actions {names})")
    print(f"a11y: pressing Cerrar through its action {names[press]!r}")
    try:
        action.doAction(press)
    except GLib.Error as error:
        # The program may end before it replies; run_atspi.sh checks that it ended well.
        print(f"a11y: the press got no reply ({error.message})")
    print("a11y: PASS")


if __name__ == "__main__":
    main()
