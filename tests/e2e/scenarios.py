#!/usr/bin/env python3
"""The end-to-end scenarios, one ctest each: scenarios.py --exe EXE ... NAME."""

import os, shutil, signal, subprocess, sys, time

from driver import (CAPTION, IDCANCEL, IDOK, SESSION_CLASS, TICKER_H, WS_BORDER, WS_DISABLED,
                    WS_EX_STATICEDGE, Failure, Rig, check, main, scenario, wait_until, wine_processes)

TOP_LEFT = [0, 5, 84, TICKER_H]
ABOUT_PURPOSE = "Display time in roman numerals and date in Latin in Windows systray"


def blank_icons(rig, ticker, count):
    want = [f"{ticker['hwnd']} {i} 0x1 0x200" for i in range(1, count + 1)]  # NIF_MESSAGE, WM_MOUSEMOVE
    check(rig.icons() == want, f"icons {rig.icons()}, expected {count} blank ones")


def check_refit(icon_events, count):
    """Ids 1 to 6 deleted, then 1 to count added."""
    got = [(v["verb"], int(v["id"])) for v in icon_events]
    check(got == [("delete", i) for i in range(1, 7)] + [("add", i) for i in range(1, count + 1)],
          f"icon traffic {got}, expected a refit with {count}")


def check_restored(rig, events, owner):
    """The way out: the ticker hidden and out of the tray, ids 1 to 6 deleted
    with the taskbar frozen, then the taskbar repainted."""
    kinds = [(k, v) for _, k, v in events]
    deletes = [v for k, v in kinds if k == "icon" and v["verb"] == "delete"]
    check([(d["id"], d["owner"], d["inside"]) for d in deletes] == [(str(i), owner, "0") for i in range(1, 7)],
          f"deletes {deletes}: expected ids 1 to 6 of {owner}, out of the tray")
    check([d["result"] for d in deletes] == ["1"] * 5 + ["0"], f"delete results {deletes}")
    rig.expect(all(d["shown"] == "0" for d in deletes),
               f"the ticker was shown while the taskbar was given back: {[d['shown'] for d in deletes]}")
    check(not [v for k, v in kinds if k == "icon" and v["verb"] == "add"], "icons added at exit")
    at = [i for i, (k, v) in enumerate(kinds) if k == "icon" and v["verb"] == "delete"]
    check(("redraw", "0") in [(k, v.get("on")) for k, v in kinds[:at[0]]], "the taskbar was not frozen")
    after = [(k, v.get("on") or v.get("window")) for k, v in kinds[at[-1]:]]
    check({("redraw", "1"), ("paint", "taskbar"), ("paint", "tray")} <= set(after),
          f"the taskbar not thawed and repainted after the icons went: {after}")
    strays = [v for _, k, v in rig.events() if k == "stray"]
    rig.expect(not strays, f"the ticker showed as a window of its own: {strays}")
    s = rig.snap()
    check(s["icons"] == "0" and rig.ticker(s) is None, "icons or the ticker left in the taskbar")


def beside_clock_x(s, width, auto_hide=False):
    tray_width = int(s["tray_client"].split()[0])
    clock = int(s["clock_rect"].split()[2]) if s["clock_shown"] == "1" else 0
    return tray_width - clock - (0 if auto_hide else width - 1)


def ink(rig, name, s=None):
    """The commonest colour in the ticker (inside its edge), and the other colours' counts."""
    x, y, w, h = rig.screen_rect(s)
    counts = rig.colours(rig.screenshot(name), [x + 1, y + 1, w - 2, h - 2])
    background = max(counts, key=counts.get)
    return background, {c: n for c, n in counts.items() if c != background}


def dark(colours):
    return sum(n for c, n in colours.items() if sum(c) < 200)


def box_icon(rig, hwnd, shot):
    """Which of Wine's message box icons a box shows, told by its colours."""
    icons = [c for c in rig.controls(hwnd) if c["cls"] == "Static" and c["style"] & 0x1F == 3]  # SS_ICON
    counts = rig.colours(rig.screenshot(shot), icons[0]["rect"]) if len(icons) == 1 else {}
    if sum(n for (r, g, b), n in counts.items() if r > 200 and 80 < g < 200 and b < 80) > 100:
        return "exclamation"
    return "information" if sum(n for (r, g, b), n in counts.items() if b > 150 and r < 120) > 100 else None


@scenario
def startup(rig):
    """Defaults with no INI; a second start is turned away and changes nothing."""
    rig.start_shell()
    mark = rig.mark()
    first = rig.start_program()
    ticker = rig.wait_ticker(TOP_LEFT)
    check(rig.state()["caption"] == str(CAPTION), "the caption height is not 19")
    check(ticker["exstyle"] & WS_EX_STATICEDGE and not ticker["style"] & WS_BORDER,
          f"not a sunken edge alone: {ticker['style']:#x} {ticker['exstyle']:#x}")
    blank_icons(rig, ticker, 5)
    check_refit(rig.icon_events(mark), 5)
    check(("redraw", "1") in [(k, v.get("on")) for _, k, v in rig.events(mark)], "the taskbar stayed frozen")
    print(f"startup-to-fitted-ms: {rig.fitted_ms(mark, ticker['pid']):.0f}")
    rig.check_clock()
    rig.watch_ticks(4)
    check(rig.ticker()["rect"] == TOP_LEFT, "the ticker moved on its own")

    mark = rig.mark()
    second = rig.start_program("second")
    box = rig.wait_window("the second instance's box", cls="#32770", title="Clepsydrium")
    check(box["pid"] != ticker["pid"], "the box belongs to the first instance")
    check(box_icon(rig, box["hwnd"], "second-instance") == "exclamation", "the box's icon")
    check(rig.texts(box["hwnd"]) == (["Clepsydrium already running"], ["OK"]), f"box {rig.texts(box['hwnd'])}")
    rig.command("command", box["hwnd"], IDOK)
    rig.wait_exit(second)
    after = rig.ticker(rig.snap())
    check(first.poll() is None and (after["hwnd"], after["rect"]) == (ticker["hwnd"], TOP_LEFT) and
          not rig.icon_events(mark), "the second instance touched the first or the tray")
    rig.check_clock()
    check(os.listdir(rig.app) == ["Clepsydrium.exe"], f"files written: {os.listdir(rig.app)}")


@scenario
def pixels(rig):
    """The taskbar inside the program: the text shows, in ColourText on ColourBack."""
    program = rig.start_injected()
    rig.wait_ticker(TOP_LEFT)
    rig.check_clock()
    check(dark(ink(rig, "default")[1]) >= 15, "the ticker looks blank")
    rig.command("extra", 40)  # then narrower: the watch moves it beside the clock
    rig.watch_ticks(2)
    rig.command("extra", 0)
    wait_until(lambda: rig.ticker(rig.snap())["rect"][1] == 2, 5, "the ticker beside the clock")
    rig.check_clock()
    check(dark(ink(rig, "beside-clock")[1]) >= 15, "the ticker looks blank beside the clock")
    rig.command("close", rig.ticker()["hwnd"])
    check(rig.wait_exit(program) == 0, f"exit code {program.returncode} after WM_CLOSE")

    rig.write_ini(ColourText=255, ColourBack=16777215)
    rig.start_injected("program2")
    rig.wait_ticker(TOP_LEFT)
    rig.check_clock()
    background, colours = ink(rig, "red-on-white")
    check(background == (255, 255, 255), f"background {background}, expected white")
    check(sum(n for (r, g, b), n in colours.items() if r > 200 and g < 60 and b < 60) >= 15, "no red text")
    check(all(r > g + 40 and r > b + 40 for r, g, b in colours), f"ink that is not red: {colours}")


@scenario
def settings(rig):
    """Options read from the INI; Hours, minutes, seconds and Borders from the menu."""
    rig.write_ini(DisplaySeconds=0, MedievalScript=0, Lowercase=1, ZeroAsDash=1)
    before = rig.read_ini()
    style = dict(medieval=False, dash=True, lower=True)
    rig.start_shell()
    rig.start_program()
    ticker = rig.wait_ticker([0, 5, 56, TICKER_H])
    blank_icons(rig, ticker, 3)
    rig.check_clock(seconds=False, **style)
    check(rig.read_ini() == before, "the INI file changed at start-up")

    mark = rig.mark()
    rig.pick("Hours, minutes")
    wait_until(lambda: rig.ini_values().get("DisplaySeconds") == "1", 5, "DisplaySeconds=1")
    rig.wait_ticker(TOP_LEFT, timeout=5)  # a wider tray is no reason to move
    check_refit(rig.icon_events(mark), 5)
    blank_icons(rig, ticker, 5)
    rig.check_clock(**style)

    def edge(on):
        rig.pick("Borders")
        wait_until(lambda: rig.ini_values().get("Borders") == str(int(on)), 5, f"Borders={int(on)}")
        return wait_until(lambda: (lambda t: t if bool(t["exstyle"] & WS_EX_STATICEDGE) == on else None)(
            rig.ticker(rig.snap())), 5, f"the sunken edge {'back' if on else 'gone'}")
    bare = edge(False)
    check((bare["style"], bare["exstyle"], bare["rect"]) ==
          (ticker["style"], ticker["exstyle"] & ~WS_EX_STATICEDGE, TOP_LEFT), f"without borders: {bare}")
    wait_until(lambda: rig.ticker(rig.snap())["face"] == [0, 0, 84, TICKER_H], 3, "the face to fill the ticker")
    again = edge(True)
    check((again["style"], again["exstyle"]) == (ticker["style"], ticker["exstyle"]), "styles after Borders twice")
    want = before.replace(b"DisplaySeconds=0", b"DisplaySeconds=1") + b"Borders=1\r\n"
    check(rig.read_ini() == want, f"INI {rig.read_ini()!r}")


@scenario
def dialogs(rig):
    """Colour dialog cancelled and accepted, font dialog cancelled; then, for a
    Japanese user, the About box and a font size too big for the font dialog."""
    font = dict(FontName="DejaVu Serif", FontSize=10, FontBold=1, FontItalic=0)
    rig.write_ini(**font)
    rig.start_shell()
    program = rig.start_program()
    ticker = rig.wait_ticker(TOP_LEFT)
    pid = ticker["pid"]
    for colour, want in ((None, "0"), ((18, 52, 86), str(86 << 16 | 52 << 8 | 18))):
        rig.pick("Text colour")
        dialog = rig.wait_window("the colour dialog", cls="#32770", title="Color", pid=pid)
        if colour:
            fields = {c["id"]: c["hwnd"] for c in rig.controls(dialog["hwnd"])}
            for ident, value in zip((706, 707, 708), colour):  # red, green, blue
                rig.command("settext", fields[ident], value)
        rig.command("command", dialog["hwnd"], IDOK if colour else IDCANCEL)
        wait_until(lambda: rig.ini_values().get("ColourText") == want, 5, f"ColourText={want}")
        rig.wait_no_window("the colour dialog to close", title="Color")
    rig.pick("Set font")
    rig.command("command", rig.wait_window("the font dialog", title="Font", pid=pid)["hwnd"], IDCANCEL)
    wait_until(lambda: "FontItalic" in rig.ini_values(), 5, "the font keys")
    check({k: rig.ini_values().get(k) for k in font} == {k: str(v) for k, v in font.items()},
          f"font keys after Cancel: {rig.ini_values()}")
    rig.command("close", ticker["hwnd"])
    rig.wait_exit(program)

    rig.write_ini(FontSize=10000)
    rig.start_injected("program-ja", env=rig.japanese())  # the taskbar logs the program's code page
    check(" acp=932 " in rig.read_events(), "Wine did not take the Japanese code page")
    pid = rig.wait_ticker(TOP_LEFT)["pid"]
    rig.pick("About")
    box = rig.wait_window("the About box", title=f"Clepsydrium {rig.args.version}", pid=pid)
    check(box_icon(rig, box["hwnd"], "about") == "information", "the About box's icon")
    texts, buttons = rig.texts(box["hwnd"])
    lines = texts[0].split("\r\n") if len(texts) == 1 else texts
    check(len(lines) == 4 and lines[:2] == [ABOUT_PURPOSE, ""] and len(lines[2]) > 2 and buttons == ["OK"] and
          lines[3] and (lines[3] in rig.args.home or rig.args.home in lines[3]), f"About {lines} {buttons}")
    rig.expect(lines[2].startswith("\u00a9"), f"About's third line under code page 932: {lines[2]!r}")
    rig.command("command", box["hwnd"], IDOK)
    rig.wait_no_window("the About box to close", title=box["title"])
    rig.pick("Set font")
    dialog = rig.wait_window("the font dialog", cls="#32770", pid=pid)
    size = [c["text"] for c in rig.controls(dialog["hwnd"]) if c["id"] == 1138]  # cmb3, the size box
    rig.expect(size == ["72"], f"FontSize=10000 shows as {size} in the font dialog, expected 72")
    rig.command("command", dialog["hwnd"], IDCANCEL)


@scenario
def no_shell(rig):
    """No usable taskbar: the error report, exit code 1, no icon, no ticker."""
    for mode, error, about in (("probe", "80040001", "Wine's own hidden taskbar, no notification area"),
                               ("no-tray", "80040001", "a taskbar without a notification area"),
                               ("no-clock", "80040002", "a notification area without a clock")):
        rig.start_shell(mode)
        mark = rig.mark()
        program = rig.start_program(f"program-{mode}")
        box = rig.wait_window(f"the error report ({about})", cls="#32770", title="Clepsydrium")
        text = " ".join(rig.texts(box["hwnd"])[0])
        check(error in text.upper() or str(int(error, 16) - (1 << 32)) in text, f"{about}: report {text!r}")
        rig.command("command", box["hwnd"], IDOK)
        check(rig.wait_exit(program) == 1, f"{about}: exit code {program.returncode}")
        check(not [k for _, k, _ in rig.events(mark) if k in ("icon", "children", "stray")] and
              rig.snap()["icons"] == "0", f"{about}: the taskbar was touched")
        check(not [w for w in rig.windows(visible="1") if w["title"] in ("Wine System Tray", "Clepsydrium ticker")],
              f"{about}: a tray or ticker window shows")


@scenario
def watch(rig):
    """The taskbar moves and shrinks; the ticker follows."""
    rig.start_shell()
    rig.start_program()
    rig.wait_ticker(TOP_LEFT)

    def moves(what, command, *args, refit=True, auto_hide=False, top_left=False):
        mark = rig.mark()
        rig.command(command, *args)
        wait_until(lambda: (lambda s: rig.ticker(s)["rect"] == ([0, 5] if top_left else [
            beside_clock_x(s, 84, auto_hide), 2]) + [84, TICKER_H] and len(rig.icon_events(mark)) >= 11 * refit)(
            rig.snap()), 5, what)
        if refit:
            check_refit(rig.icon_events(mark), 5)
        check(refit or not rig.icon_events(mark), f"{what}: a refit")

    def quiet():
        mark, rect = rig.mark(), rig.ticker()["rect"]
        rig.watch_ticks(4)
        check(rig.ticker()["rect"] == rect and not rig.icon_events(mark), f"the ticker moved from {rect}")

    moves("top edge: refit, beside the clock", "edge", 1)
    quiet()
    rig.command("extra", 40)  # a wider tray is no reason to move
    quiet()
    moves("narrower tray: refit, beside the clock", "extra", 0)
    moves("clock hidden: refit, at the tray's end", "clock", "hide")
    rig.command("clock", "show")
    quiet()
    rig.command("autohide", 1)
    moves("bottom edge with auto-hide: over the clock", "edge", 3, auto_hide=True)
    rig.command("autohide", 0)
    moves("left edge: top-left place", "edge", 0, refit=False, top_left=True)
    quiet()
    rig.check_clock()


@scenario
def exit(rig):
    """Exit, WM_CLOSE and the session's end give the taskbar back and leave the INI alone."""
    rig.write_ini(Lowercase=1, ToolTip=0)
    before = rig.read_ini()
    rig.start_shell()
    for how in ("Exit", "close", "endsession"):
        program = rig.start_program(f"program-{how}")
        ticker = rig.wait_ticker(TOP_LEFT)
        mark = rig.mark()
        if how == "Exit":
            rig.pick("Exit")
        elif how == "close":
            rig.command("close", ticker["hwnd"])
        else:
            session = rig.windows(cls=SESSION_CLASS, pid=ticker["pid"])
            check(len(session) == 1, f"session windows {session}")
            check("query=1" in rig.command("endsession", session[0]["hwnd"]), "WM_QUERYENDSESSION said no")
            # All given back before WM_ENDSESSION returns: before the command's "done".
            ended = rig.events(mark)
            ended = ended[:max(i for i, (_, k, _) in enumerate(ended) if k == "done")]
        check(rig.wait_exit(program) == 0, f"{how}: exit code {program.returncode}")
        check_restored(rig, ended if how == "endsession" else rig.events(mark), ticker["hwnd"])
        check(rig.read_ini() == before, f"{how}: the INI file changed")


@scenario
def handler_failure(rig):
    """A failure in the watch's handler: ticker hidden, taskbar given back, then the box, exit code 1."""
    shutil.copy(rig.args.faultable, rig.exe)
    rig.start_shell()
    program = rig.start_program()
    ticker = rig.wait_ticker(TOP_LEFT)
    mark = rig.mark()
    open(os.path.join(rig.app, "fail-now"), "w").close()
    box = rig.wait_window("the error box", cls="#32770", title="Clepsydrium", pid=ticker["pid"])
    wait_until(lambda: f"dialog window={box['hwnd']} " in rig.read_events(), 5, "the taskbar to see the box")
    events = rig.events(mark)
    check_restored(rig, events[:[i for i, (_, k, v) in enumerate(events) if k == "dialog"][0]], ticker["hwnd"])
    texts, buttons = rig.texts(box["hwnd"])
    check(len(texts) == 1 and texts[0].startswith("Run-time error -2147467259 (80004005)") and buttons == ["OK"],
          f"box {texts} {buttons}")
    rig.command("command", box["hwnd"], IDOK)
    check(rig.wait_exit(program) == 1, f"exit code {program.returncode}")
    check(not rig.windows(visible="1", title="Wine System Tray"), "Wine's tray showed up")


@scenario
def shell_restart(rig):
    """The taskbar ends and a new one says "TaskbarCreated": the ticker comes back,
    also while the colour dialog is open, and stays disabled until it closes."""
    rig.write_ini(ColourText=255, ColourBack=16777215)
    rig.start_shell()
    program = rig.start_program()
    old = rig.wait_ticker(TOP_LEFT)
    rig.start_shell("probe")  # the program lives on with nothing shown
    deadline = time.monotonic() + 1.0  # four looks of its watch
    while time.monotonic() < deadline:
        check(program.poll() is None, f"the program ended with code {program.returncode}")
        shown = [w for w in rig.windows(visible="1") if w["pid"] == old["pid"] or w["title"] == "Wine System Tray"]
        check(not shown, f"shown without a taskbar: {shown}")
    rig.start_shell()
    mark = rig.mark()
    rig.command("broadcast", "TaskbarCreated")
    ticker = rig.wait_ticker(TOP_LEFT, timeout=3)
    check(ticker["hwnd"] != old["hwnd"] and ticker["pid"] == old["pid"], f"ticker {ticker}, before {old}")
    blank_icons(rig, ticker, 5)
    sent = [t for t, k, _ in rig.events(mark) if k == "done"][0]
    back = [t for t, k, v in rig.events(mark) if k == "children" and v.get("window") == ticker["hwnd"]][0]
    check(back - sent < 1000, f"back in the new tray {back - sent} ms after the broadcast")
    rig.check_clock()

    rig.pick("Text colour")
    dialog = rig.wait_window("the colour dialog", title="Color", pid=old["pid"])
    rig.start_shell()
    rig.command("broadcast", "TaskbarCreated")
    ticker = rig.wait_ticker(TOP_LEFT, timeout=3)
    if rig.expect(rig.windows(hwnd=dialog["hwnd"], visible="1"), "the colour dialog went with the old taskbar"):
        rig.expect(ticker["style"] & WS_DISABLED, "the ticker came back enabled under the colour dialog")
        rig.right_click_ticker()
        if rig.soon(lambda: rig.windows(visible="1", cls="#32768"), 1):
            rig.expect(False, "a right-click opened the menu under the colour dialog")
            rig.xdotool("key", "Escape")
        rig.command("command", dialog["hwnd"], IDCANCEL)
        rig.wait_no_window("the colour dialog to close", hwnd=dialog["hwnd"])
        rig.expect(rig.soon(lambda: not rig.ticker(rig.snap())["style"] & WS_DISABLED, 2),
                   "the ticker stayed disabled after Cancel")
    values = rig.ini_values()
    rig.expect(values.get("ColourText") == "255" != values.get("ColourBack"), f"colours after Cancel: {values}")
    mark = rig.mark()
    rig.pick("Exit")
    check(rig.wait_exit(program) == 0, f"exit code {program.returncode}")
    check_restored(rig, rig.events(mark), rig.ticker() and rig.ticker()["hwnd"] or ticker["hwnd"])


def win11_rect(s):
    """Beside the notification area, centred on Start's row, TickerSize(SM_CYCAPTION, 6)."""
    bar = {s[f"bar.{i}.class"]: [int(v) for v in s[f"bar.{i}.rect"].split()] for i in range(int(s["bar.count"]))}
    tray, start = bar["TrayNotifyWnd"], bar["Start"]
    right = tray[0] if tray[2] > 0 and tray[3] > 0 else int(s["taskbar_client"].split()[0]) - 88
    return [right - 84, start[1] + (start[3] - TICKER_H) // 2, 84, TICKER_H]


@scenario
def win11(rig):
    """Windows 11: the ticker is a child of the bar, above the XAML island, no icons."""
    rig.start_shell(layout="win11")
    mark = rig.mark()
    program = rig.start_program()

    def in_bar():
        boxes = [v for _, k, v in rig.events(mark) if k == "dialog"]
        if boxes:
            raise Failure(f"no Windows 11 support: the program said {rig.texts(boxes[0]['window'])[0]}")
        t = rig.ticker(rig.snap())
        return t if t and t["parent"] == "bar" and t["visible"] else None
    ticker = wait_until(in_bar, 20, "the ticker as a child of Shell_TrayWnd")
    for extra in (0, 40, -88):  # the tray as it is, widened, and empty
        rig.command("extra", extra)
        began = time.monotonic()
        wait_until(lambda: (lambda s: rig.ticker(s)["rect"] == win11_rect(s))(rig.snap()), 1.5,
                   f"the ticker at {win11_rect(rig.state())} with the tray widened by {extra}")
        print(f"placed {1000 * (time.monotonic() - began):.0f} ms after the tray changed by {extra}")
    s = rig.snap()
    island = [i for i in range(int(s["bar.count"])) if s[f"bar.{i}.class"].startswith("Windows.UI.")][0]
    check(rig.ticker(s)["z"] < island, "the ticker is under the XAML island")
    check(not rig.icon_events(mark), f"icons in Windows 11: {rig.icon_events(mark)}")
    rig.check_clock()
    rig.pick("Exit")
    check(rig.wait_exit(program) == 0, f"exit code {program.returncode}")
    check(rig.ticker(rig.snap()) is None and rig.state()["icons"] == "0", "left in the taskbar")
    check(not [k for _, k, _ in rig.events(mark) if k in ("icon", "stray")], "icons or a stray ticker")

    rig.start_injected("program-painted", layout="win11")
    wait_until(lambda: (lambda t: t and t["parent"] == "bar")(rig.ticker(rig.snap())), 20, "the painted ticker")
    background, colours = ink(rig, "win11")
    check(background != (0x20, 0x40, 0x80) and dark(colours) >= 15, f"the ticker's text does not show: {colours}")


def fail_on_purpose(args):
    with Rig(args, "fail_on_purpose") as rig:
        rig.start_shell()
        rig.start_program()
        rig.wait_ticker()
        raise Failure("failing on purpose")


def hang(args):
    with Rig(args, "hang") as rig:
        rig.start_shell()
        rig.start_program()
        rig.wait_ticker()
        open(os.path.join(rig.dir, "up"), "w").close()
        wait_until(lambda: False, 120, "a signal")


def cleanup(args):
    """A scenario that fails, and one stopped by SIGTERM, leave nothing running."""
    for name in ("fail_on_purpose", "hang"):
        folder = os.path.join(args.work, name)
        shutil.rmtree(folder, ignore_errors=True)
        run = subprocess.Popen([sys.executable, __file__] + args.forward + [name],
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        if name == "hang":
            wait_until(lambda: os.path.exists(os.path.join(folder, "up")) or run.poll() is not None, 90, "up")
            run.send_signal(signal.SIGTERM)
        output = run.communicate(timeout=90)[0].decode(errors="replace")
        check(run.returncode not in (0, None), f"{name}: exit code {run.returncode} ({output})")
        noted = [line.strip().split("=", 1) for line in open(os.path.join(folder, "pids.txt"))]
        pids = [int(v) for k, v in noted if k == "pid"]
        prefix, display = dict(noted)["prefix"], dict(noted)["display"]
        running = [p for p in pids if os.path.exists(f"/proc/{p}")] + wine_processes(prefix)
        check(len(pids) >= 3 and not running, f"{name}: noted {pids}, left running {running}")
        check(not os.path.exists(f"/tmp/.X{display[1:]}-lock"), f"{name}: Xvfb's lock is left")
        kept = os.listdir(folder) + os.listdir(os.path.join(folder, "shell1"))
        check("failure.png" in kept and "events.log" in kept, f"{name}: kept only {kept}")

if __name__ == "__main__":
    sys.exit(main(dict(startup=startup, pixels=pixels, settings=settings, dialogs=dialogs, no_shell=no_shell,
                       watch=watch, exit=exit, handler_failure=handler_failure, shell_restart=shell_restart,
                       win11=win11, cleanup=cleanup, fail_on_purpose=fail_on_purpose, hang=hang)))
