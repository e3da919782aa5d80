"""What Orca, the screen reader, says while a user works the window with the keyboard.

Orca runs with its speech going nowhere and every utterance written to its debug log, on a
line "SPEECH OUTPUT: '...'". This script presses keys with xdotool and waits, step by step,
for what a user of the window must hear: each control's Spanish name, the values whole, the
chosen unit and category on focus and as they change, a unit list opened (expanded), walked
row by row and closed (collapsed) on the unit chosen, a message once while the focus stays
in a value box, and the window's title on Orca's read-title command. It also checks what must
never be heard: an empty notification, a message repeated, a value cut short.

Run by run_atspi.sh --orca, with the program started and focused in a comma locale.
"""

import re
import subprocess
import sys
import time

UTTERANCE = re.compile(r"SPEECH OUTPUT: '(.*)' ?\{'established'")


def fail(message):
    print(f"orca: FAIL: {message}")
    sys.exit(1)


class Unheard(Exception):
    """Orca did not say what was waited for."""


class Listener:
    """Reads Orca's log; each wait consumes the utterances up to the one it waited for."""

    def __init__(self, log, name="orca"):
        self.log = log
        self.name = name
        self.heard = 0

    def all(self):
        with open(self.log, encoding="utf-8", errors="replace") as lines:
            return [m.group(1) for m in map(UTTERANCE.search, lines) if m]

    def hear(self, what, pattern, seconds=15):
        end = time.monotonic() + seconds
        while True:
            said = self.all()
            for i in range(self.heard, len(said)):
                if re.fullmatch(pattern, said[i]):
                    self.heard = i + 1
                    print(f"{self.name}: {what}: {said[i]!r}")
                    return
            if time.monotonic() > end:
                raise Unheard(f"{what}: Orca never said /{pattern}/; after that point it said "
                              f"{said[self.heard:]}")
            time.sleep(0.05)


def keys(*names):
    subprocess.run(["xdotool", "key", "--delay", "80", *names], check=True)


def main():
    try:
        session(Listener(sys.argv[1]))
    except Unheard as unheard:
        fail(unheard)


def session(orca):
    orca.hear("the window", r"Conversor de unidades.*")
    orca.hear("the first box", r"Valor A.*")
    orca.hear("its whole value", r"1,0\.?")

    keys("Tab")
    orca.hear("the second box", r"Valor B.*")
    orca.hear("its whole value", r"1,0( seleccionado)?\.?")

    keys("Tab")
    orca.hear("the first unit list", r"Unidad del valor A.*")
    orca.hear("its unit on focus", r"m\.?")
    keys("Down")
    orca.hear("its unit after Down", r"cm\.?")

    keys("alt+Down")
    orca.hear("the list opened", r"Unidad del valor A.* expandido\.?")
    for unit in ("mm", "yd"):
        keys("Down")
        orca.hear("the row walked to in the open list", rf"{unit}\.?")
    keys("Return")
    orca.hear("the list closed", r"Unidad del valor A.* contraído\.?")
    orca.hear("the unit chosen", r"(Unidad del valor A.*)?yd\.?")

    keys("Tab")
    orca.hear("the second unit list", r"Unidad del valor B.*")
    keys("Tab")
    orca.hear("the category list", r"Magnitud.*")
    orca.hear("its category on focus", r"Longitud\.?")
    keys("Down")
    orca.hear("its category after Down", r"Area\.?")

    keys("Tab")
    orca.hear("the button", r"Cerrar.*")
    keys("Tab")
    orca.hear("back in the first box", r"Valor A.*")
    keys("End", *["BackSpace"] * 8)
    orca.hear("the message, focus still in the box", r".*Valores no numéricos.*")
    keys("BackSpace")  # the box stays empty: the message stands, unchanged

    keys("KP_Insert+KP_Enter")
    orca.hear("the title, on Orca's read-title command", r"Conversor de unidades")

    said = orca.all()
    messages = [s for s in said if "Valores no numéricos" in s]
    if len(messages) != 1:
        fail(f"the message was said {len(messages)} times: {messages}")
    empty = [s for s in said if re.fullmatch(r"notificación\.?", s)]
    if empty:
        fail(f"an empty notification was said: {empty}")
    if "1," in said:
        fail("a value was read without its last character ('1,')")
    print(f"orca: PASS ({len(said)} utterances)")


if __name__ == "__main__":
    main()
