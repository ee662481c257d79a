#!/usr/bin/env python3
"""The control panel used as a person uses it.

Each scenario starts the real panel (padcfg.exe, or with --panel the Windows
95 one, penpanel.exe) with the stand-in driver and a tablet description of
its own, in the Wine desktop of a harness state, and
works it only through that desktop: keys and mouse clicks from xdotool on the
harness's display, the pen from the stand-in's pen tool (wtpen.exe) or its
virtual tablet (vtablet.exe) moved with the mouse. What a person would see is
read by the probe (padcfg_probe.exe --serve, beside the panel in the same
desktop: every visible window with its controls' texts and states), what the
driver then holds from the description file, where the stand-in writes back
what the panel changes. Every scenario ends with Tablet > Exit and exit code 0.

    scenarios.py --build build/x64 --state build/x64/wine-scenarios
                 [--panel penpanel.exe] [--shots DIR] [NAME...]

With --shots the scenarios also save the pictures of the README into DIR
(scripts/shoot-dialogs.sh), named after the panel (padcfg-about.png,
penpanel-about.png). NAMEs choose scenarios. Exit code 0 when all pass.
"""

import argparse
import configparser
import json
import os
import subprocess
import sys
import time
import traceback

WINE = "/usr/lib/wine/wine64"
PANEL = "Tablet Control Panel"
INFO, FEATURES, SETUP = "Tablet Information", "Features", "Tablet Setup"
ABOUT = "About Tablet Control Panel..."
DRIVER_DIALOG = "Stand-in Tablet Settings"
RESTART = "Tablet Driver Settings Change"
WARNING = "Warning"
W = 11999  # the stand-in's own tablet: 0 to 11999 counts on both axes, 1000 per inch

# Setup dialog controls
WHOLE, UNITS, WIDTH, HEIGHT, LEFT, TOP, RIGHT, BOTTOM = 28, 31, 33, 36, 39, 42, 45, 48
AREA, STATUS, TEST, ACTION_LIST = 50, 51, 52, 27


class Failure(Exception):
    pass


# ---- The harness: display, Wine, the probe ----

env = {}  # the environment of the harness's Wine (WINEPREFIX, DISPLAY, ...)
build = ""  # the build tree
work = ""  # where descriptions, scripts and failure pictures go
shots = None  # where the README's pictures go, or None
panel_exe = "padcfg.exe"  # the panel under test
probe = None  # the probe process
started = []  # processes a scenario started (the panel, the virtual tablet), ended after it


def harness_env(state):
    """The harness's variables, as `wine-env STATE env` prints them."""
    here = os.path.dirname(os.path.abspath(__file__))
    out = subprocess.run([os.path.join(here, "..", "harness", "wine-env"), state, "env"],
                         check=True, capture_output=True, text=True).stdout
    result = dict(os.environ)
    for word in out.split()[1:]:
        name, value = word.split("=", 1)
        result[name] = value.strip("'")
    return result


def start_probe():
    global probe
    probe = subprocess.Popen([WINE, os.path.join(build, "tests", "padcfg_probe.exe"), "--serve"],
                             stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, env=env, text=True, encoding="utf-8")


def look():
    """What a person sees now: the windows on the desktop, the panel's with
    their controls, and the panel's input state ("thread")."""
    probe.stdin.write("\n")
    probe.stdin.flush()
    view = {"thread": {}, "windows": []}
    for line in probe.stdout:
        item = json.loads(line)
        if "end" in item:
            return view
        if "thread" in item:
            view["thread"] = item
        elif "window" in item:
            item["controls"] = []
            view["windows"].append(item)
        else:
            next(w for w in view["windows"] if w["window"] == item["in"])["controls"].append(item)
    raise Failure("the probe ended")


def window(view, title):
    """The panel's visible window with that title, or None."""
    return next((w for w in view["windows"] if w["panel"] and w["title"] == title), None)


def control(win, cid):
    return next(c for c in win["controls"] if c["id"] == cid)


def texts(win, ids):
    return [control(win, i)["text"] for i in ids]


def active(view, title):
    """The window titled so, when it is the panel's active window."""
    win = window(view, title)
    return win if win and view["thread"].get("active") == win["window"] else None


def wait(what, found, timeout=15):
    """Waits until found(view) gives something true and returns it."""
    end = time.monotonic() + timeout
    while True:
        view = look()
        result = found(view)
        if result:
            return result
        if time.monotonic() > end:
            raise Failure("waited %d s for %s; the panel shows:\n%s"
                          % (timeout, what, describe(view)))
        time.sleep(0.05)


def wait_active(title, timeout=15):
    return wait("'%s' active" % title, lambda v: active(v, title), timeout)


def wait_gone(title):
    wait("'%s' gone" % title, lambda v: window(v, title) is None)


def wait_text(title, cid, text):
    return wait("'%s' in control %d of '%s'" % (text, cid, title),
                lambda v: (window(v, title) and control(window(v, title), cid)["text"] == text
                           and window(v, title)))


def describe(view):
    lines = ["  input: %s" % json.dumps(view["thread"])]
    for w in view["windows"]:
        lines.append("  window '%s' (%s) at %s%s" % (w["title"], w["class"], w["rect"],
                                                 "" if w["panel"] else " of another program"))
        for c in w["controls"]:
            extra = {k: c[k] for k in ("checked", "entries", "selected", "icon") if k in c}
            lines.append("    %d %s %r%s%s %s" % (c["id"], c["class"], c["text"],
                                                  "" if c["enabled"] else " disabled",
                                                  " focus" if c["focus"] else "",
                                                  json.dumps(extra) if extra else ""))
    return "\n".join(lines)


def expect(what, actual, expected):
    if actual != expected:
        raise Failure("%s: %r, expected %r" % (what, actual, expected))


# ---- A person's hands: keys and the mouse through the Wine desktop ----

def xdotool(*args):
    subprocess.run(["xdotool", *args], env=env, check=True)


def keys(*names):
    """Keys as a person types them: to the window in front, which Wine gives
    the X input focus when it activates it (the panel's caption was clicked
    at the start, as a person does)."""
    xdotool("key", "--delay", "40", *names)


def menu(*then):
    """Drops the Tablet menu down and, once it is down, presses the keys then
    (a command's underlined letter typed sooner goes to the menu bar, where
    T is the Tablet menu itself)."""
    wait_active(PANEL)
    keys("alt+t")
    wait("the Tablet menu dropped down",
         lambda v: v["thread"].get("menu") and any(w["class"] == "#32768" for w in v["windows"]))
    if then:
        keys(*then)


def type_text(text):
    xdotool("type", "--delay", "40", text)


def centre(rect):
    return (rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2


def click(x, y, count=1):
    xdotool("mousemove", str(x), str(y), "sleep", "0.05",
            "click", "--repeat", str(count), "--delay", "80", "1")


def click_control(title, cid, count=1):
    """A click in the middle of a control of the window titled so."""
    click(*centre(control(wait_active(title), cid)["rect"]), count=count)


# ---- The panel and the driver ----

def description(name, text):
    """A tablet description of the scenario's own; returns its path."""
    path = os.path.join(work, name + ".ini")
    with open(path, "w", newline="\r\n") as f:
        f.write(text)
    return path


def driver_holds(path):
    """The description as the driver has written it back."""
    ini = configparser.ConfigParser(strict=False, interpolation=None)
    ini.optionxform = str
    with open(path, encoding="latin-1") as f:
        ini.read_string(f.read())
    return ini


def area_held(path, section):
    ctx = driver_holds(path)[section]
    return [int(ctx[k], 0) for k in ("InOrgX", "InOrgY", "InExtX", "InExtY")]


def start_panel(tablet):
    """Starts the panel with the stand-in reading this description, waits for
    its window and clicks its caption, as a person brings it to the front."""
    run_env = dict(env, WINTAB_STANDIN_TABLET=tablet)
    process = subprocess.Popen([WINE, os.path.join(build, "bin", panel_exe)], env=run_env,
                               cwd=work, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    started.append(process)

    def shown(view):
        if process.poll() is not None:
            raise Failure("the panel ended with code %d before showing its window"
                          % process.returncode)
        return window(view, PANEL)

    # A Wine start on a machine busy with the other suites can take a while.
    main = wait("the panel's window", shown, timeout=30)
    click(main["rect"][0] + 60, main["rect"][1] + 10)
    wait_active(PANEL)
    return process


def exit_panel(process):
    """Tablet > Exit: the process ends with code 0."""
    menu("x")
    try:
        code = process.wait(timeout=15)
    except subprocess.TimeoutExpired:
        raise Failure("the panel did not end after Tablet > Exit")
    expect("exit code", code, 0)


def tile(view, caption):
    return next(c for c in window(view, PANEL)["controls"] if c["text"] == caption)


def run_tool(name, *args):
    """Runs a program of the build beside the panel; returns its exit code and output."""
    out_path = os.path.join(work, name + ".out")
    with open(out_path, "w") as out:
        code = subprocess.run([WINE, os.path.join(build, "bin", name), *args], env=env,
                              stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT,
                              timeout=60).returncode
    with open(out_path) as f:
        return code, f.read()


def unix_to_wine(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


# ---- Pictures ----

def shoot(name, *titles):
    """Saves the windows titled so (a title, or a class for untitled ones), and
    the panel's main window when they overlap it, as DIR/NAME.png, when
    pictures are asked for."""
    if not shots:
        return
    name = name.replace("padcfg", os.path.splitext(panel_exe)[0], 1)
    time.sleep(0.3)  # the last paint
    view = look()
    wins = [w for w in view["windows"] if (w["title"] or w["class"]) in titles]
    main = window(view, PANEL)
    if main and any(overlap(main["rect"], w["rect"]) for w in wins):
        wins.append(main)
    left = max(min(w["rect"][0] for w in wins) - 12, 0)
    top = max(min(w["rect"][1] for w in wins) - 12, 0)
    right = min(max(w["rect"][2] for w in wins) + 12, 1024)
    bottom = min(max(w["rect"][3] for w in wins) + 12, 768)
    subprocess.run(["import", "-window", "root", "-crop",
                    "%dx%d+%d+%d" % (right - left, bottom - top, left, top), "+repage",
                    os.path.join(shots, name + ".png")], env=env, check=True)
    print("  saved %s.png" % os.path.join(shots, name))


def overlap(a, b):
    return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]


def failure_picture(name):
    path = os.path.join(work, name + "-failure.png")
    subprocess.run(["import", "-window", "root", path], env=env)
    return path


# ---- The scenarios ----

OWN_TABLET = "; the stand-in's own tablet: 12 x 12 inches, a stylus (active) and a puck\n"

# A tracking area of 5678 x 4567 counts (5.68 x 4.57 inches), 1234 from the
# left and 2345 from the bottom, counts that the fields show rounded, held by
# two "Default System" contexts of the device and its default system context;
# a third context of another name is no system context.
CUSTOM_AREA = """\
[Interface]
SystemContexts=3
[Context0]
Name=Default System
InOrgX=1234
InOrgY=2345
InExtX=5678
InExtY=4567
[Context1]
Name=Default System
InOrgX=1234
InOrgY=2345
InExtX=5678
InExtY=4567
[Context2]
Name=Overlay
Options=0
InOrgX=500
InOrgY=500
InExtX=1000
InExtY=1000
[DefaultSystem0]
Name=Default System
InOrgX=1234
InOrgY=2345
InExtX=5678
InExtY=4567
"""
SYSTEM_SECTIONS = ("Context0", "Context1", "DefaultSystem0")
CUSTOM_FIELDS = ['5.68"', '4.57"', '1.23"', '5.09"', '5.09"', '2.35"']

INCH_VALUES = ['12"', '12"', "1000 dpi", "1000 dpi"]
CM_VALUES = ["30.46 cm", "30.46 cm", "392.58 dpcm", "392.58 dpcm"]
INFO_VALUES = (55, 56, 57, 58)
AREA_FIELDS = (WIDTH, HEIGHT, LEFT, TOP, RIGHT, BOTTOM)


def menu_has_the_commands_and_no_help():
    """The Tablet menu, walked with the arrow keys, holds Information,
    Transducer, Setup, About and Exit in this order and nothing after Exit;
    F1 shows nothing; Exit ends the process with code 0."""
    panel = start_panel(description("menu", OWN_TABLET))
    menu()
    shoot("padcfg-menu", PANEL, "#32768")
    keys("Escape", "Escape")
    wait("the menu closed", lambda v: not v["thread"].get("menu") and active(v, PANEL))
    # Down from the first command; five steps come round to it again.
    for downs, title in ((0, INFO), (1, FEATURES), (2, SETUP), (3, ABOUT), (5, INFO)):
        menu(*["Down"] * downs, "Return")
        wait_active(title)
        keys("Escape")
        wait_gone(title)
    wait_active(PANEL)
    keys("F1")
    time.sleep(0.5)
    expect("windows after F1", [w["title"] for w in look()["windows"] if w["panel"]], [PANEL])
    # Up from the first command is the last one: Exit.
    menu("Up", "Return")
    try:
        expect("exit code", panel.wait(timeout=15), 0)
    except subprocess.TimeoutExpired:
        raise Failure("the last command of the menu did not end the panel")


def information_units_kept_by_ok_dropped_by_escape():
    """Information, from a double click on its tile: the tablet as the driver
    names it; Centimeters shows centimetres at once, Escape drops the choice,
    OK keeps it for the next opening and for the Setup dialog."""
    panel = start_panel(description("information", OWN_TABLET))
    click(*centre(tile(look(), "Information")["rect"]), count=2)
    info = wait_active(INFO)
    expect("identification", texts(info, (51, 52, 53)),
           ["QUORAX MM-Compatible Tablet", "MM Series format", "Stylus is installed."])
    expect("units", (control(info, 54)["entries"], control(info, 54)["selected"]),
           (["Inches", "Centimeters"], 0))
    expect("values in inches", texts(info, INFO_VALUES), INCH_VALUES)
    shoot("padcfg-information", INFO)
    keys("alt+u", "Down")
    info = wait_text(INFO, 55, CM_VALUES[0])
    expect("values in centimetres", texts(info, INFO_VALUES), CM_VALUES)
    shoot("padcfg-information-cm", INFO)
    keys("Escape")
    wait_gone(INFO)

    menu("i")
    info = wait_active(INFO)
    expect("units after Escape", control(info, 54)["selected"], 0)
    expect("values after Escape", texts(info, INFO_VALUES), INCH_VALUES)
    keys("alt+u", "Down")
    wait_text(INFO, 55, CM_VALUES[0])
    click_control(INFO, 1)  # OK
    wait_gone(INFO)

    # Enter on the Information tile, which has the focus again.
    wait_active(PANEL)
    keys("Return")
    info = wait_active(INFO)
    expect("units after OK", control(info, 54)["selected"], 1)
    expect("values after OK", texts(info, INFO_VALUES), CM_VALUES)
    keys("Return")
    wait_gone(INFO)
    menu("s")
    setup = wait_active(SETUP)
    expect("Setup's units", control(setup, UNITS)["selected"], 1)
    expect("Setup's width", control(setup, WIDTH)["text"], "30.46 cm")
    keys("Escape")
    wait_gone(SETUP)
    exit_panel(panel)


def features_choose_the_puck():
    """Features, for a driver without a dialog of its own, opened with Enter on
    its tile: the puck chosen and OK leaves the driver with the puck active
    and the stylus not; the next opening shows the puck and Cancel changes
    nothing; Information names the puck."""
    tablet = description("features", OWN_TABLET)
    panel = start_panel(tablet)
    keys("Right", "Return")
    # The focus reaches the list a moment after the dialog is active.
    feat = wait("the cursor types focused", lambda v: (active(v, FEATURES) and
                                                       control(active(v, FEATURES), 101)["focus"]
                                                       and active(v, FEATURES)))
    cursors = control(feat, 101)
    expect("cursor types", (cursors["entries"], cursors["selected"]), (["Stylus", "Puck"], 0))
    shoot("padcfg-features", FEATURES)
    keys("Down")
    wait("the puck chosen", lambda v: control(active(v, FEATURES), 101)["selected"] == 1)
    click_control(FEATURES, 1)  # OK
    wait_gone(FEATURES)
    held = driver_holds(tablet)
    expect("active cursors", (held["Cursor0"]["Active"], held["Cursor1"]["Active"]), ("0", "1"))

    with open(tablet) as f:
        before = f.read()
    menu("t")
    feat = wait_active(FEATURES)
    expect("preselected", control(feat, 101)["selected"], 1)
    keys("Up")
    wait("the stylus chosen", lambda v: control(active(v, FEATURES), 101)["selected"] == 0)
    click_control(FEATURES, 2)  # Cancel
    wait_gone(FEATURES)
    with open(tablet) as f:
        expect("description after Cancel", f.read(), before)

    menu("i")
    expect("transducer line", control(wait_active(INFO), 53)["text"], "Puck is installed.")
    keys("Escape")
    wait_gone(INFO)
    exit_panel(panel)


def second_start_brings_the_open_dialog_forward():
    """A second start of the panel while Information is open, in front and
    again after a click on the empty desktop: it ends at once and leaves no
    second window; the open dialog is in front and active, above the main
    window, so that the keys reach it: Escape closes it."""
    panel = start_panel(description("second-start", OWN_TABLET))
    keys("Return")
    wait_active(INFO)
    for background in (False, True):
        if background:
            click(1000, 740)
            wait("the panel in the background", lambda v: not v["thread"].get("active"))
        expect("the second start's exit code", run_tool(panel_exe)[0], 0)
        view = wait("the dialog active", lambda v: active(v, INFO) and v)
        expect("the panel's windows, front first",
               [w["title"] for w in view["windows"] if w["panel"]], [INFO, PANEL])
    keys("Escape")
    wait_gone(INFO)
    exit_panel(panel)


def button(win, text):
    return next(c for c in win["controls"] if c["class"] == "Button" and c["text"] == text)


def driver_dialog_restart_then_cancel():
    """Transducer, for a driver with a dialog of its own: the driver's dialog,
    owned by the panel; its Restart brings the panel's prompt to log off, with
    OK and Cancel and the warning icon. Cancel there (never OK: it would log
    the session off) changes nothing: the panel runs on, no Features dialog,
    the description as it was. From the Features tile the driver's OK shows
    nothing more."""
    # Cancel is the driver dialog's default button: only a click restarts.
    tablet = description("driver-dialog", "[Device0]\nConfigDialog=1\nConfigResult=1\n")
    with open(tablet) as f:
        before = f.read()
    panel = start_panel(tablet)
    main = window(look(), PANEL)
    menu("t")
    driver = wait_active(DRIVER_DIALOG)
    expect("the driver dialog's owner", driver["owner"], main["window"])
    click(*centre(button(driver, "&Restart")["rect"]))
    prompt = wait_active(RESTART)
    expect("prompt text", [c["text"] for c in prompt["controls"]
                           if c["class"] == "Static" and "icon" not in c],
           ["Your tablet driver settings have changed. You will need to exit and restart "
            "windows for the change to take effect. Choose OK to restart Windows NOW."])
    expect("prompt buttons", [c["text"] for c in prompt["controls"] if c["class"] == "Button"],
           ["OK", "Cancel"])
    expect("prompt icon", [c["icon"] for c in prompt["controls"] if "icon" in c], ["warning"])
    expect("prompt owner", prompt["owner"], main["window"])
    shoot("padcfg-restart", RESTART)
    cancel = button(prompt, "Cancel")
    click(*centre(cancel["rect"]))
    wait_gone(RESTART)
    wait_active(PANEL)
    time.sleep(0.5)
    expect("windows after Cancel", [w["title"] for w in look()["windows"] if w["panel"]], [PANEL])

    click(*centre(tile(look(), "Features")["rect"]), count=2)
    driver = wait_active(DRIVER_DIALOG)
    click(*centre(button(driver, "OK")["rect"]))
    wait_gone(DRIVER_DIALOG)
    wait_active(PANEL)
    time.sleep(0.5)
    expect("windows after the driver's OK",
           [w["title"] for w in look()["windows"] if w["panel"]], [PANEL])
    with open(tablet) as f:
        expect("description", f.read(), before)
    exit_panel(panel)


def setup_width_typed_from_the_keyboard():
    """Setup opened from its tile with the keyboard; a width typed, Tab, the
    other fields passed with Tab, OK: every "Default System" context of the
    device, and the default system context, holds the new width about the
    old centre and the rest of the area to the count, though the fields show
    it rounded; the other context keeps its own."""
    tablet = description("setup-keyboard", CUSTOM_AREA)
    panel = start_panel(tablet)
    keys("Right", "Right", "Return")
    setup = wait_active(SETUP)
    expect("Whole Tablet", control(setup, WHOLE)["checked"], 0)
    expect("area fields", texts(setup, AREA_FIELDS), CUSTOM_FIELDS)
    shoot("padcfg-setup", SETUP)
    keys("alt+w")
    wait("the width field focused", lambda v: control(active(v, SETUP), WIDTH)["focus"])
    type_text("5")
    keys("Tab")
    setup = wait_text(SETUP, WIDTH, '5"')
    expect("area fields", texts(setup, AREA_FIELDS),
           ['5"', '4.57"', '1.57"', '5.09"', '5.43"', '2.35"'])
    keys("Tab", "Tab", "Tab", "Tab")
    wait("the bottom margin focused", lambda v: control(active(v, SETUP), BOTTOM)["focus"])
    keys("Return")
    wait_gone(SETUP)
    for section in SYSTEM_SECTIONS:
        expect(section + " area", area_held(tablet, section), [1573, 2345, 5000, 4567])
    expect("Context2 area", area_held(tablet, "Context2"), [500, 500, 1000, 1000])
    exit_panel(panel)


def setup_whole_tablet_units_test_revert_cancel():
    """Setup from a double click on its tile: centimetres; Whole Tablet on
    shows the whole tablet and leaves only the units editable; Test gives it
    to the driver at once; Revert brings back the area and inches; Cancel
    leaves the driver as it was before the dialog."""
    tablet = description("setup-whole", CUSTOM_AREA)
    panel = start_panel(tablet)
    click(*centre(tile(look(), "Customization")["rect"]), count=2)
    wait_active(SETUP)
    keys("alt+u", "Down")
    setup = wait_text(SETUP, WIDTH, "14.42 cm")
    expect("area fields in centimetres", texts(setup, AREA_FIELDS),
           ["14.42 cm", "11.59 cm", "3.13 cm", "12.92 cm", "12.92 cm", "5.96 cm"])
    shoot("padcfg-setup-cm", SETUP)
    keys("alt+o")
    setup = wait_text(SETUP, WIDTH, "30.46 cm")
    expect("whole tablet", texts(setup, AREA_FIELDS),
           ["30.46 cm", "30.46 cm", "0 cm", "0 cm", "0 cm", "0 cm"])
    enabled = {c["id"]: c["enabled"] for c in setup["controls"]}
    expect("disabled with Whole Tablet", [i for i in range(29, 51) if enabled.get(i)], [30, 31])
    shoot("padcfg-setup-whole", SETUP)
    click_control(SETUP, TEST)
    wait("the driver holding the whole tablet",
         lambda v: area_held(tablet, "Context0") == [0, 0, W, W])
    click_control(SETUP, 10)  # Revert
    setup = wait_text(SETUP, WIDTH, CUSTOM_FIELDS[0])
    expect("reverted", (control(setup, WHOLE)["checked"], control(setup, UNITS)["selected"],
                        texts(setup, AREA_FIELDS)), (0, 0, CUSTOM_FIELDS))
    click_control(SETUP, 2)  # Cancel
    wait_gone(SETUP)
    for section in SYSTEM_SECTIONS:
        expect(section + " area", area_held(tablet, section), [1234, 2345, 5678, 4567])
    exit_panel(panel)


def start_pointing():
    """Setup from the menu, Whole Tablet off, a click on the tablet's picture:
    the prompt for the first corner."""
    menu("s")
    setup = wait_active(SETUP)
    if control(setup, WHOLE)["checked"]:
        keys("alt+o")
        wait("the picture enabled", lambda v: control(active(v, SETUP), AREA)["enabled"])
    click_control(SETUP, AREA)
    wait_text(SETUP, STATUS, "Click on lower-left corner of active area")


def setup_area_from_the_pen_tool():
    """The area pointed out with two pen clicks played by wtpen.exe from
    another process; OK stores it."""
    tablet = description("setup-pen", OWN_TABLET)
    panel = start_panel(tablet)
    start_pointing()
    script = os.path.join(work, "two-clicks.txt")
    with open(script, "w") as f:
        f.write("; y upward from the lower-left corner, as the driver counts\n"
                "pen 6000 6000 buttons 0\n"
                "pen 2000 3000\npen 2000 3000 buttons 1\npen 2000 3000 buttons 0\n"
                "wait 50\n"
                "pen 8000 9000\npen 8000 9000 buttons 1\npen 8000 9000 buttons 0\n")
    code, out = run_tool("wtpen.exe", unix_to_wine(script))
    expect("wtpen", (code, out), (0, "wtpen: 7 pen events to 1 program(s)\n"))
    setup = wait_text(SETUP, STATUS, "Active area rectangle defined.")
    setup = wait_text(SETUP, WIDTH, '6"')
    expect("area fields", texts(setup, AREA_FIELDS), ['6"', '6"', '2"', '3"', '4"', '3"'])
    keys("Return")
    wait_gone(SETUP)
    expect("area held", area_held(tablet, "Context0"), [2000, 3000, 6000, 6000])
    exit_panel(panel)


def setup_area_from_the_virtual_tablet():
    """The area pointed out on the virtual tablet with the mouse, as a person
    without a tablet does; OK stores it."""
    tablet = description("setup-vtablet", OWN_TABLET)
    panel = start_panel(tablet)
    started.append(subprocess.Popen([WINE, os.path.join(build, "bin", "vtablet.exe")], env=env,
                                    stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL))
    vt = wait("the virtual tablet", lambda v: next(
        (w for w in v["windows"] if w["class"] == "QuoraxVirtualTablet"), None))
    # Put by its caption beside where the Setup dialog opens, as a person may.
    # A hand pauses between moving and pressing or letting go; without the
    # pauses Wine may lose the release that ends the drag.
    caption = ((vt["rect"][0] + vt["rect"][2]) // 2, vt["rect"][1] + 8)
    to = (caption[0] - vt["rect"][0] + 580, caption[1] + 20)
    xdotool("mousemove", *map(str, caption), "sleep", "0.1", "mousedown", "1", "sleep", "0.1")
    xdotool("mousemove", *map(str, to), "sleep", "0.1", "mouseup", "1")
    vt = wait("the virtual tablet moved", lambda v: next(
        (w for w in v["windows"] if w["class"] == "QuoraxVirtualTablet" and w["rect"][0] == 580),
        None))
    # Its surface: 8 pixels in from the client's corner, square for this tablet.
    left, top = vt["client"][0] + 8, vt["client"][1] + 8
    size = vt["client"][2] - vt["client"][0] - 16

    def pen_click(x, y):  # tablet counts, y upward
        px, py = left + x * size // W, top + (W - y) * size // W
        xdotool("mousemove", str(px), str(py), "sleep", "0.1", "click", "1")

    wait_active(PANEL)
    start_pointing()
    pen_click(3000, 3000)
    wait_text(SETUP, STATUS, "Click on upper-right corner of active area")
    shoot("padcfg-setup-pen", SETUP, "Virtual Tablet")
    pen_click(9000, 9000)
    wait_text(SETUP, STATUS, "Active area rectangle defined.")
    click_control(SETUP, 1)  # OK
    wait_gone(SETUP)
    held = area_held(tablet, "Context0")
    pixel = 2 * W // size + 1
    if any(abs(a - b) > pixel for a, b in zip(held, [3000, 3000, 6000, 6000])):
        raise Failure("area held %r, expected about [3000, 3000, 6000, 6000]" % held)
    exit_panel(panel)


def about_shows_the_driver_version():
    """About, from the menu: the panel's version and the driver's, found in
    the device name; Enter closes it."""
    panel = start_panel(description("about", OWN_TABLET))
    menu("a")
    about = wait_active(ABOUT)
    expect("About texts", [c["text"] for c in about["controls"]
                           if c["class"] == "Static" and "icon" not in c],
           ["QUORAX Tablet Control Panel", "Version 1.03",
            "Copyright (C) 2026 QUORAX. All rights reserved.",
            "QUORAX Wintab Driver Version 1.08 for Windows NT"])
    shoot("padcfg-about", ABOUT)
    keys("Return")
    wait_gone(ABOUT)
    exit_panel(panel)


def setup_warns_before_losing_a_mouse_button():
    """Setup: the stylus tip set to (None) and Test: the Warning box, Cancel
    its default; Enter keeps the driver's map and the dialog open."""
    tablet = description("warning", OWN_TABLET)
    panel = start_panel(tablet)
    menu("s")
    wait_active(SETUP)
    keys("alt+d")
    wait("the actions editable", lambda v: control(active(v, SETUP), ACTION_LIST)["enabled"])
    keys("Tab", "Tab")
    wait("the action list focused", lambda v: control(active(v, SETUP), ACTION_LIST)["focus"])
    keys("Home")
    wait("(None) chosen", lambda v: control(active(v, SETUP), ACTION_LIST)["selected"] == 0)
    click_control(SETUP, TEST)
    box = wait_active(WARNING)
    expect("warning", ([c["text"] for c in box["controls"]
                        if c["class"] == "Static" and "icon" not in c],
                       [(c["text"], c["default"]) for c in box["controls"]
                        if c["class"] == "Button"],
                       [c["icon"] for c in box["controls"] if "icon" in c]),
           (["Current settings will disable the left mouse button!"],
            [("OK", False), ("Cancel", True)], ["warning"]))
    shoot("padcfg-warning", WARNING, SETUP)
    keys("Return")
    wait_gone(WARNING)
    wait_active(SETUP)
    expect("the tip's action held",
           int(driver_holds(tablet)["Cursor0"].get("SysButtonMap", "1").split(",")[0], 0), 1)
    click_control(SETUP, 2)  # Cancel
    wait_gone(SETUP)
    exit_panel(panel)


SCENARIOS = [
    menu_has_the_commands_and_no_help,
    information_units_kept_by_ok_dropped_by_escape,
    second_start_brings_the_open_dialog_forward,
    features_choose_the_puck,
    driver_dialog_restart_then_cancel,
    setup_width_typed_from_the_keyboard,
    setup_whole_tablet_units_test_revert_cancel,
    setup_area_from_the_pen_tool,
    setup_area_from_the_virtual_tablet,
    about_shows_the_driver_version,
    setup_warns_before_losing_a_mouse_button,
]

def end_leftovers():
    """Ends what a scenario left running (the panel after a failure, the
    virtual tablet), so that the next starts afresh: a second panel would
    only bring the first forward."""
    for p in started:
        if p.poll() is None:
            p.kill()
            p.wait()
    started.clear()
    wait_gone(PANEL)


def main():
    global env, build, work, shots, panel_exe
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", required=True)
    parser.add_argument("--state", required=True)
    parser.add_argument("--panel", default=panel_exe)
    parser.add_argument("--shots")
    parser.add_argument("names", nargs="*")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    panel_exe = args.panel
    stem = os.path.splitext(panel_exe)[0]
    work = os.path.join(build, "tests", "scenarios" + ("" if stem == "padcfg" else "-" + stem))
    os.makedirs(work, exist_ok=True)
    shots = os.path.abspath(args.shots) if args.shots else None
    env = harness_env(args.state)
    start_probe()
    if window(look(), PANEL):
        print("a control panel is already running in this Wine desktop")
        return 1

    chosen = [s for s in SCENARIOS if not args.names or s.__name__ in args.names]
    failed = []
    begin = time.monotonic()
    for scenario in chosen:
        t = time.monotonic()
        try:
            scenario()
            print("PASS %-50s %5.1f s" % (scenario.__name__, time.monotonic() - t), flush=True)
        except Exception as e:  # a scenario's fault must not stop the others
            failed.append(scenario.__name__)
            step = [f for f in traceback.extract_tb(e.__traceback__) if f.name == scenario.__name__]
            print("FAIL %-50s %5.1f s\n  at line %s: %s\n  %s: %s\n  picture: %s" % (
                scenario.__name__, time.monotonic() - t, step[-1].lineno if step else "?",
                step[-1].line if step else "", type(e).__name__, e,
                failure_picture(scenario.__name__)), flush=True)
        end_leftovers()
    print("%d scenarios, %d failed, %.1f s" % (len(chosen), len(failed), time.monotonic() - begin))
    probe.stdin.close()
    probe.wait()
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
