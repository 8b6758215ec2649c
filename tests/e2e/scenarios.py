#!/usr/bin/env python3
"""The end-to-end scenarios, one ctest each: scenarios.py --exe EXE ... NAME."""

import os, shutil, signal, subprocess, sys, time

from driver import (IDCANCEL, IDOK, SESSION_CLASS, TICKER_H, WS_BORDER, WS_DISABLED, WS_EX_STATICEDGE, check,
                    main, scenario, wait_until, wine_processes)

TOP_LEFT = [0, 5, 84, TICKER_H]


def check_icons(rig, ticker, count):
    """Room for the ticker: count blank icons of its own."""
    want = [f"{ticker['hwnd']} {i} 0x1 0x200" for i in range(1, count + 1)]  # NIF_MESSAGE, WM_MOUSEMOVE
    wait_until(lambda: (lambda s: [s[f"icon.{i}"] for i in range(int(s["icons"]))])(rig.state()) == want, 3, want)


def check_restored(rig, events, owner, how):
    """The way out: the icons go once the ticker has left the tray and hidden, then the taskbar repaints;
    and the ticker never shows as a window of its own."""
    icons = [(i, v) for i, (_, k, v) in enumerate(events) if k == "icon"]
    check(icons and all((v["verb"], v["owner"], v["inside"]) == ("delete", owner, "0") for _, v in icons),
          f"{how}: icon traffic {icons}")
    rig.expect(all(v["shown"] == "0" for _, v in icons), f"{how}: the ticker shown as the taskbar was given back")
    painted = {v.get("window") for _, k, v in events[icons[-1][0]:] if k == "paint"}
    check({"taskbar", "tray"} <= painted, f"{how}: not repainted after the icons went")
    strays = [v for _, k, v in rig.events() if k == "stray"]
    rig.expect(not strays, f"{how}: the ticker showed as a window of its own: {strays}")
    check(rig.snap()["icons"] == "0" and rig.ticker() is None, f"{how}: icons or the ticker left in the taskbar")


def ink(rig, name):
    """The commonest colour inside the ticker's edge, and the other colours' counts."""
    x, y, w, h = rig.screen_rect()
    counts = rig.colours(rig.screenshot(name), [x + 1, y + 1, w - 2, h - 2])
    background = max(counts, key=counts.get)
    return background, {c: n for c, n in counts.items() if c != background}


def box_icon(rig, hwnd, shot):
    icon = [c["rect"] for c in rig.controls(hwnd) if c["cls"] == "Static" and c["style"] & 0x1F == 3]  # SS_ICON
    counts = rig.colours(rig.screenshot(shot), icon[0]).items()
    return ("exclamation" if sum(n for (r, g, b), n in counts if r > 200 and 80 < g < 200 and b < 80) > 100 else
            "information" if sum(n for (r, g, b), n in counts if b > 150 and r < 120) > 100 else None)


@scenario
def startup(rig):
    """Defaults with no INI; a second start is turned away and changes nothing."""
    rig.start_shell()
    mark = rig.mark()
    first = rig.start_program()
    ticker = rig.wait_ticker(TOP_LEFT)
    check(ticker["exstyle"] & WS_EX_STATICEDGE and not ticker["style"] & WS_BORDER, f"not a sunken edge: {ticker}")
    check_icons(rig, ticker, 5)
    check(("redraw", "1") in [(k, v.get("on")) for _, k, v in rig.events(mark)], "the taskbar stayed frozen")
    rig.check_clock()
    mark = rig.mark()
    second = rig.start_program("second")
    box = rig.wait_window("the second instance's box", cls="#32770", title="Clepsydrium")
    check(box["pid"] != ticker["pid"] and box_icon(rig, box["hwnd"], "second") == "exclamation" and
          rig.texts(box["hwnd"]) == (["Clepsydrium already running"], ["OK"]), f"box {rig.texts(box['hwnd'])}")
    rig.command("command", box["hwnd"], IDOK)
    rig.wait_exit(second)
    rig.watch_ticks(4)
    check(first.poll() is None and rig.ticker(rig.snap())["rect"] == TOP_LEFT and not rig.icon_events(mark) and
          os.listdir(rig.app) == ["Clepsydrium.exe"], "the ticker moved, the tray changed, or a file was written")
    rig.check_clock()


@scenario
def pixels(rig):
    """The taskbar inside the program: the text shows in ColourText on ColourBack, also where the watch moves it."""
    rig.write_ini(ColourText=255, ColourBack=16777215)
    rig.start_shell(injected=True)
    for place in ("top-left", "beside-clock"):
        wait_until(lambda: rig.ticker(rig.snap())["rect"][1] == (5 if place == "top-left" else 2), 5, place)
        rig.check_clock()
        background, others = ink(rig, place)
        check(background == (255, 255, 255) and sum(n for (r, g, b), n in others.items() if r > 200 and g + b < 60)
              >= 15 and all(r > g + 40 and r > b + 40 for r, g, b in others), f"{place}: {background} {others}")
        rig.command("extra", 40)  # then narrower: the watch moves it beside the clock
        rig.watch_ticks(2)
        rig.command("extra", 0)


@scenario
def settings(rig):
    """Options read from the INI; Hours, minutes, seconds and Borders from the menu, written back."""
    rig.write_ini(DisplaySeconds=0, MedievalScript=0, Lowercase=1, ZeroAsDash=1)
    before, style = rig.read_ini(), dict(medieval=False, dash=True, lower=True)
    rig.start_shell()
    rig.start_program()
    ticker = rig.wait_ticker([0, 5, 56, TICKER_H])
    check_icons(rig, ticker, 3)
    rig.check_clock(seconds=False, **style)
    rig.pick("Hours, minutes")
    rig.wait_ticker(TOP_LEFT, timeout=5)  # a wider tray is no reason to move
    check_icons(rig, ticker, 5)
    rig.check_clock(**style)
    for on in (False, True):
        rig.pick("Borders")
        now = wait_until(lambda: rig.ini_values().get("Borders") == str(int(on)) and (lambda t: t if bool(
            t["exstyle"] & WS_EX_STATICEDGE) == on else None)(rig.ticker(rig.snap())), 5, f"Borders={int(on)}")
        check((now["style"], now["exstyle"] | WS_EX_STATICEDGE, now["rect"]) == (
            ticker["style"], ticker["exstyle"], TOP_LEFT), f"Borders {on}: {now}, before {ticker}")
        if not on:  # the face fills the client area, which has just grown
            wait_until(lambda: rig.ticker(rig.snap())["face"] == [0, 0, 84, TICKER_H], 3, "the face to grow")
    check(rig.read_ini() == before.replace(b"DisplaySeconds=0", b"DisplaySeconds=1") + b"Borders=1\r\n", "INI")


@scenario
def dialogs(rig):
    """A colour chosen, the font dialog cancelled (the colour dialog's Cancel is in shell_restart); then,
    for a Japanese user, the About box and a font size too big for the font dialog."""
    font = dict(FontName="DejaVu Serif", FontSize=10, FontBold=1, FontItalic=0)
    rig.write_ini(**font)
    rig.start_shell()
    program = rig.start_program()
    ticker = rig.wait_ticker(TOP_LEFT)
    rig.pick("Text colour")
    dialog = rig.wait_window("the colour dialog", title="Color")["hwnd"]
    fields = {c["id"]: c["hwnd"] for c in rig.controls(dialog)}
    for ident, value in ((706, 18), (707, 52), (708, 86)):  # red, green, blue
        rig.command("settext", fields[ident], value)
    rig.command("command", dialog, IDOK)
    wait_until(lambda: rig.ini_values().get("ColourText") == str(86 << 16 | 52 << 8 | 18), 5, "the colour chosen")
    wait_until(lambda: not rig.windows(visible="1", title="Color"), 10, "the colour dialog to close")
    rig.pick("Set font")
    rig.command("command", rig.wait_window("the font dialog", title="Font")["hwnd"], IDCANCEL)
    wait_until(lambda: {k: rig.ini_values().get(k) for k in font} == {k: str(v) for k, v in font.items()}, 5,
               "the font keys as they were")
    rig.command("close", ticker["hwnd"])
    rig.wait_exit(program)

    rig.write_ini(FontSize=10000, FontName="DejaVu Sans")  # a face the prefix lists
    rig.start_shell(injected=True, env=rig.japanese())
    check(" acp=932 " in rig.read_events(), "Wine did not take the Japanese code page")
    rig.wait_ticker(TOP_LEFT)
    rig.pick("About")
    box = rig.wait_window("the About box", title=f"Clepsydrium {rig.args.version}")
    texts, buttons = rig.texts(box["hwnd"])
    lines = (texts + [""])[0].split("\r\n")
    purpose = "Display time in roman numerals and date in Latin in Windows systray"
    check(len(lines) == 4 and lines[:2] == [purpose, ""] and lines[3] and buttons == ["OK"] and
          (lines[3] in rig.args.home or rig.args.home in lines[3]), f"About {texts} {buttons}")
    check(box_icon(rig, box["hwnd"], "about") == "information", "the About box's icon")
    rig.expect(lines[2].startswith("\u00a9") and len(lines[2]) > 2, f"About's third line, code page 932: {lines[2]!r}")
    rig.command("command", box["hwnd"], IDOK)
    wait_until(lambda: not rig.windows(visible="1", title=box["title"]), 10, "the About box to close")
    rig.pick("Set font")
    dialog = rig.wait_window("the font dialog", cls="#32770")["hwnd"]  # its title is Japanese
    size = [c["text"] for c in rig.controls(dialog) if c["id"] == 1138]  # cmb3, the size box
    rig.expect(size == ["72"], f"FontSize=10000 shows as {size} in the font dialog, expected 72")
    rig.command("command", dialog, IDCANCEL)


@scenario
def no_shell(rig):
    """No usable taskbar: the error report, exit code 1, no icon, no ticker."""
    for mode, error in (("probe", "80040001"), ("no-tray", "80040001"), ("no-clock", "80040002")):
        rig.start_shell(mode)  # probe: only Wine's own hidden taskbar, which has no notification area
        program = rig.start_program(f"program-{mode}")
        box = rig.wait_window(f"the error report ({mode})", cls="#32770", title="Clepsydrium")["hwnd"]
        check(f"{int(error, 16) - (1 << 32)} ({error})" in rig.texts(box)[0][0], f"{mode}: {rig.texts(box)}")
        rig.command("command", box, IDOK)
        shown = [w for w in rig.windows(visible="1") if w["title"] in ("Wine System Tray", "Clepsydrium ticker")]
        check(rig.wait_exit(program) == 1 and not shown and not [
            k for _, k, _ in rig.events() if k in ("icon", "children", "stray")],
              f"{mode}: exit code {program.returncode}, or the taskbar touched, or a tray or ticker shown")


@scenario
def watch(rig):
    """The taskbar moves and shrinks; the ticker follows."""
    rig.start_shell()
    rig.start_program()
    rig.wait_ticker(TOP_LEFT)
    for what, command, arg, x in (("top edge", "edge", 1, 83), ("wider tray: no move", "extra", 40, None),
                                  ("narrower tray", "extra", 0, 83), ("clock hidden", "clock", "hide", 83),
                                  ("clock shown: no move", "clock", "show", None), ("auto-hide", "autohide", 1, ""),
                                  ("bottom edge, auto-hide: over the clock", "edge", 3, 0), ("", "autohide", 0, ""),
                                  ("left edge: top-left", "edge", 0, "left"), ("left edge: stays", "extra", 0, None)):
        mark, rect = rig.mark(), rig.ticker()["rect"]
        rig.command(command, arg)

        def place(s):  # beside the clock, or over it when the taskbar hides itself
            clock = int(s["clock_rect"].split()[2]) * (s["clock_shown"] == "1")
            return [0, 5] if x == "left" else [int(s["tray_client"].split()[0]) - clock - x, 2]
        if x is None:
            rig.watch_ticks(4)
            check(rig.ticker()["rect"] == rect and not rig.icon_events(mark), f"{what}: moved from {rect}")
        elif x != "":
            wait_until(lambda: rig.ticker(s := rig.snap())["rect"] == place(s) + [84, TICKER_H], 5, what)
            check_icons(rig, rig.ticker(), 5)
    rig.check_clock()


@scenario
def exit(rig):
    """Exit, WM_CLOSE, the session's end and a failure in the watch's handler give the taskbar
    back and leave the INI alone; the failure then says so, exit code 1."""
    rig.write_ini(Lowercase=1, ToolTip=0)
    before = rig.read_ini()
    rig.start_shell()
    for how in ("Exit", "close", "endsession") + (("failure",) if rig.args.faultable else ()):
        if how == "failure":
            shutil.copy(rig.args.faultable, rig.exe)
        program = rig.start_program(f"program-{how}")
        ticker = rig.wait_ticker(TOP_LEFT)
        mark = rig.mark()
        if how == "Exit":
            rig.pick("Exit")
        elif how == "close":
            rig.command("close", ticker["hwnd"])
        elif how == "failure":
            open(os.path.join(rig.app, "fail-now"), "w").close()
            box = rig.wait_window("the error box", cls="#32770", title="Clepsydrium")["hwnd"]
            texts, buttons = rig.texts(box)
            check(texts[0].startswith("Run-time error -2147467259 (80004005)") and buttons == ["OK"], f"box {texts}")
            rig.command("command", box, IDOK)
        else:
            session = rig.windows(cls=SESSION_CLASS, pid=ticker["pid"])[0]["hwnd"]
            check("query=1" in rig.command("endsession", session), "WM_QUERYENDSESSION said no")
        events = rig.events(mark)  # given back before the box shows, before WM_ENDSESSION returns
        end = [i for i, (_, k, v) in enumerate(events) if (k, how) in (("dialog", "failure"), ("done", "endsession"))]
        check(rig.wait_exit(program) == (how == "failure"), f"{how}: exit code {program.returncode}")
        check_restored(rig, events[:end[-1]] if end else rig.events(mark), ticker["hwnd"], how)
        check(rig.read_ini() == before, f"{how}: the INI file changed")


@scenario
def shell_restart(rig):
    """The taskbar ends and a new one says "TaskbarCreated": the ticker comes back, also under
    the colour dialog, and is then disabled until the dialog closes."""
    rig.write_ini(ColourText=255, ColourBack=16777215)
    rig.start_shell()
    program = rig.start_program()
    old = rig.wait_ticker(TOP_LEFT)
    rig.start_shell("probe")
    deadline = time.monotonic() + 1.0  # four looks of the program's watch: nothing may show
    while time.monotonic() < deadline:
        shown = [w for w in rig.windows(visible="1") if w["pid"] == old["pid"] or w["title"] == "Wine System Tray"]
        check(program.poll() is None and not shown, f"the program ended, or shows without a taskbar: {shown}")
    rig.start_shell()
    rig.command("broadcast", "TaskbarCreated")
    ticker = rig.wait_ticker(TOP_LEFT, timeout=1.5)  # the watch looks every 250 ms
    check(ticker["hwnd"] != old["hwnd"] and ticker["pid"] == old["pid"], f"ticker {ticker}, before {old}")
    check_icons(rig, ticker, 5)
    rig.check_clock()

    rig.pick("Text colour")
    dialog = rig.wait_window("the colour dialog", title="Color")["hwnd"]
    rig.start_shell()
    rig.command("broadcast", "TaskbarCreated")
    ticker = rig.wait_ticker(TOP_LEFT, timeout=3)
    if rig.expect(rig.windows(hwnd=dialog, visible="1"), "the colour dialog went with the old taskbar"):
        rig.expect(ticker["style"] & WS_DISABLED, "the ticker came back enabled under the colour dialog")
        rig.right_click_ticker()
        if not rig.expect(not rig.soon(lambda: rig.windows(visible="1", cls="#32768"), 1), "a menu over the dialog"):
            rig.xdotool("key", "Escape")
        rig.command("command", dialog, IDCANCEL)
        wait_until(lambda: not rig.windows(visible="1", hwnd=dialog), 10, "the colour dialog to close")
        rig.expect(rig.soon(lambda: not rig.ticker(rig.snap())["style"] & WS_DISABLED, 2), "disabled after Cancel")
    values = rig.ini_values()
    rig.expect(values.get("ColourText") == "255" != values.get("ColourBack"), f"colours after Cancel: {values}")
    mark = rig.mark()
    rig.pick("Exit")
    check(rig.wait_exit(program) == 0, f"exit code {program.returncode}")
    check_restored(rig, rig.events(mark), ticker["hwnd"], "Exit")


def win11_rect(s):
    """Left of the notification area (or 88 px from the bar's end when it is empty), centred on Start's row."""
    bar = {s[f"bar.{i}.class"]: [int(v) for v in s[f"bar.{i}.rect"].split()] for i in range(int(s["bar.count"]))}
    tray, start = bar["TrayNotifyWnd"], bar["Start"]
    right = tray[0] if tray[2] > 0 and tray[3] > 0 else int(s["taskbar_client"].split()[0]) - 88
    return [right - 84, start[1] + (start[3] - TICKER_H) // 2, 84, TICKER_H]


@scenario
def win11(rig):
    """Windows 11: the ticker is a child of the bar, above the XAML island, with no icons."""
    rig.start_shell(layout="win11")
    program = rig.start_program()

    def in_bar():
        box = [v["window"] for _, k, v in rig.events() if k == "dialog"]
        check(not box, f"no Windows 11 support: the program said {rig.texts(box[0])[0] if box else ''}")
        return (lambda t: t and t["parent"] == "bar" and t["visible"])(rig.ticker(rig.snap()))
    wait_until(in_bar, 20, "the ticker as a child of Shell_TrayWnd")
    for extra in (0, 40, -88):  # the notification area as it is, widened, and empty
        rig.command("extra", extra)
        wait_until(lambda: rig.ticker(s := rig.snap())["rect"] == win11_rect(s), 1.5,
                   f"the ticker at {win11_rect(rig.state())}, the notification area widened by {extra}")
    s = rig.snap()
    check(rig.ticker(s)["z"] < [s[f"bar.{i}.class"] for i in range(int(s["bar.count"]))].index(
        "Windows.UI.Composition.DesktopWindowContentBridge"), "the ticker is under the XAML island")
    rig.check_clock()
    rig.pick("Exit")
    check(rig.wait_exit(program) == 0 and rig.ticker(rig.snap()) is None and not [
        k for _, k, _ in rig.events() if k in ("icon", "stray")], "an icon, a stray ticker, or the ticker left")
    rig.start_shell(injected=True, layout="win11")
    wait_until(lambda: rig.ticker(rig.snap())["parent"] == "bar", 20, "the painted ticker")
    rig.check_clock()
    background, others = ink(rig, "win11")
    check(background != (0x20, 0x40, 0x80) and sum(n for c, n in others.items() if sum(c) < 200) >= 15,
          f"the ticker's text does not show: {others}")


@scenario
def hang(rig):
    """For the clean-up test: everything up, then a failure, or a wait for SIGTERM."""
    rig.start_shell()
    rig.start_program()
    rig.wait_ticker()
    open(os.path.join(rig.dir, "up"), "w").close()
    wait_until(lambda: False, float(os.environ.get("CLEP_E2E_HANG", 120)), "a signal")


def cleanup(args):
    """A scenario that fails, and one stopped by SIGTERM, leave nothing running."""
    folder = os.path.join(args.work, "hang")
    for seconds in (0, 120):
        shutil.rmtree(folder, ignore_errors=True)
        run = subprocess.Popen([sys.executable, __file__] + args.forward + ["hang"], stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT, env=dict(os.environ, CLEP_E2E_HANG=str(seconds)))
        if seconds:
            wait_until(lambda: os.path.exists(os.path.join(folder, "up")) or run.poll() is not None, 90, "up")
            run.send_signal(signal.SIGTERM)
        output = run.communicate(timeout=90)[0].decode(errors="replace")
        running, display = wine_processes(f"{folder}/prefix"), open(f"{folder}/display").read().strip()
        kept = all(os.path.exists(f"{folder}/{f}") for f in ("failure.png", "shell1/events.log"))
        check(run.returncode == 1 and not running and not os.path.exists(f"/tmp/.X{display}-lock") and kept,
              f"exit code {run.returncode}, left running {running}, logs kept {kept}: {output}")


if __name__ == "__main__":
    sys.exit(main(dict(startup=startup, pixels=pixels, settings=settings, dialogs=dialogs, no_shell=no_shell,
                       watch=watch, exit=exit, shell_restart=shell_restart, win11=win11, hang=hang,
                       cleanup=cleanup)))
