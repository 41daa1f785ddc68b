#!/usr/bin/python3
"""What a screen reader finds in the native tarvik through AT-SPI: the painted title bar,
caption buttons and grips as children of the window with names, roles and extents; hit-testing;
a maximize and back through the buttons' click action, with the events that announce it; the
minimize button; and the close button, which ends the program with status 0.

Runs on a desktop (tools/with-desktop.sh) inside a session bus of its own (dbus-run-session),
which starts the accessibility bus on demand.    Usage: atspi_test.py TARVIK
"""
import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

failures = []


def check(ok, message):
    if not ok:
        failures.append(message)
        print("FAILED: " + message, flush=True)


def pump(seconds):
    end = time.time() + seconds
    while time.time() < end:
        while GLib.MainContext.default().iteration(False):
            pass
        time.sleep(0.02)


def wait_for(condition, timeout=15):
    end = time.time() + timeout
    while time.time() < end:
        try:
            if condition():
                return True
        except Exception:
            pass
        pump(0.1)
    return False


def extents(acc):
    e = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return e.x, e.y, e.width, e.height


def describe(acc, origin):
    x, y, w, h = extents(acc)
    return f'{acc.getRoleName()} "{acc.name}" at +{x - origin[0]},+{y - origin[1]} {w}x{h}'


def tree(frame):
    origin = extents(frame)[:2]
    return [describe(child, origin) for child in frame]


def show(title, frame):
    x, y, w, h = extents(frame)
    print(f'{title}\n  {frame.getRoleName()} "{frame.name}" at {x},{y} {w}x{h}')
    for line in tree(frame):
        print("    " + line)
    sys.stdout.flush()


def child_named(frame, name):
    return next(child for child in frame if child.name == name)


def click(frame, name):
    action = child_named(frame, name).queryAction()
    check(action.getName(0) == "click", f'the action of "{name}" is called "{action.getName(0)}", expected "click"')
    action.doAction(0)


def find_frame(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.get_process_id() == pid:
            for frame in app:
                if frame is not None and frame.name == "Lumenta":
                    return frame
    return None


def main():
    program = subprocess.Popen([sys.argv[1]])
    found = []
    check(wait_for(lambda: found.append(find_frame(program.pid)) or found[-1] is not None and found[-1].childCount == 7,
                   timeout=60), "no window \"Lumenta\" with seven children on the accessibility bus")
    frame = found[-1]
    if frame is None:
        program.kill()
        return 1
    show("AT-SPI tree, normal window:", frame)
    check(tree(frame) == ['title bar "Lumenta" at +0,+0 217x17',
                          'push button "最小化" at +217,+8 17x16',
                          'push button "最大化" at +238,+8 17x16',
                          'push button "关闭" at +259,+8 17x16',
                          'separator "调整高度" at +0,+218 274x13',
                          'separator "调整宽度" at +281,+0 9x199',
                          'separator "调整大小" at +273,+214 17x17'], "the normal window's tree")
    x, y = extents(frame)[:2]
    for (px, py), want in [((245, 15), "最大化"), ((100, 5), "Lumenta"), ((273, 220), "+273,+214 17x17")]:
        hit = frame.queryComponent().getAccessibleAtPoint(x + px, y + py, pyatspi.DESKTOP_COORDS)
        got = describe(hit, (x, y)) if hit else "nothing"
        check(want in got, f"at +{px},+{py} expected {want}, found {got}")

    # The default actions: a button's click, the title bar's double-click (activate), none for a grip.
    for name, want in [("Lumenta", ["activate"]), ("最大化", ["click"]), ("调整大小", [])]:
        action = child_named(frame, name).queryAction()
        got = [action.getName(i) for i in range(action.nActions)]
        check(got == want, f'the actions of "{name}" are {got}, expected {want}')

    # Maximize through the click action, listening as a screen reader listens.
    heard = []
    def listen(event):
        if event.type.startswith("object:children-changed") and event.source == frame:
            heard.append(f"{event.type.split(':')[2]} {event.any_data.getRoleName()}")
        elif event.type.startswith("object:property-change:accessible-name") and event.source.parent == frame:
            heard.append(f"name {event.source.name}")
    events = ["object:children-changed", "object:property-change:accessible-name"]
    pyatspi.Registry.registerEventListener(listen, *events)
    click(frame, "最大化")
    check(wait_for(lambda: frame.childCount == 5 and child_named(frame, "还原")), "no \"还原\" after the maximize")
    pump(0.5)
    show("AT-SPI tree, maximized window:", frame)
    w, h = extents(frame)[2:]
    check(tree(frame) == ['title bar "Lumenta" at +0,+0 %dx17' % (w - 73),
                          'push button "最小化" at +%d,+8 17x16' % (w - 73),
                          'push button "还原" at +%d,+8 17x16' % (w - 52),
                          'push button "关闭" at +%d,+8 17x16' % (w - 31),
                          'separator "调整大小" at +%d,+%d 17x17' % (w - 17, h - 17)], "the maximized window's tree")
    check(heard == ["name 还原", "remove separator", "remove separator"], f"events of the maximize: {heard}")

    heard.clear()
    click(frame, "还原")
    check(wait_for(lambda: frame.childCount == 7 and child_named(frame, "最大化")), "no \"最大化\" after the restore")
    pump(0.5)
    check(heard == ["name 最大化", "add separator", "add separator"], f"events of the restore: {heard}")
    pyatspi.Registry.deregisterEventListener(listen, *events)

    # A Wayland compositor reports no minimized window, and no taskbar brings one back there.
    if not os.environ.get("WAYLAND_DISPLAY"):
        click(frame, "最小化")
        check(wait_for(lambda: frame.getState().contains(pyatspi.STATE_ICONIFIED) and frame.childCount == 0),
              "the minimize button's click did not minimize the window, or it still exposes children")

        # Back from the taskbar, then the close button ends the program.
        subprocess.run(["xdotool", "search", "--name", "^Lumenta$", "windowactivate"], check=False)
        check(wait_for(lambda: frame.childCount == 7), "the window did not come back with its seven children")
    click(frame, "关闭")
    try:
        status = program.wait(timeout=15)
    except subprocess.TimeoutExpired:
        program.kill()
        status = "still running"
    check(status == 0, f"the close button's click should end the program with status 0, got {status}")
    print(f"{len(failures)} failed", flush=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
