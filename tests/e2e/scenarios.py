#!/usr/bin/env python3
"""The end-to-end scenarios, one ctest each: scenarios.py --exe EXE ... NAME."""

import os, shutil, sys, time

from driver import (IDCANCEL, IDOK, TOP_LEFT, WS_BORDER, WS_DISABLED, WS_EX_STATICEDGE, check, main, prepared,
                    wait_until)


def check_icons(rig, ticker, count):
    """Room for the ticker: count blank icons of its own."""
    want = [f"{ticker['hwnd']} {i} 0x1 0x200" for i in range(1, count + 1)]  # NIF_MESSAGE, WM_MOUSEMOVE
    wait_until(lambda: (lambda s: [s[f"icon.{i}"] for i in range(int(s["icons"]))])(rig.snap()) == want, 3, want)


def answer_box(rig, text):
    """The program's message box says text first and has one button, OK, which is then pressed."""
    box = rig.wait_window("the program's message box", cls="#32770", title="Clepsydrium")
    texts, buttons = rig.texts(box["hwnd"])
    check(texts[:1] and texts[0].startswith(text) and buttons == ["OK"], f"box {texts} {buttons}, not {text!r}")
    rig.command("command", box["hwnd"], IDOK)
    return box["pid"]


def startup(rig):
    """Defaults with no INI; a second start is turned away and changes nothing."""
    first, ticker = rig.start()
    check(ticker["exstyle"] & WS_EX_STATICEDGE and not ticker["style"] & WS_BORDER, f"not a sunken edge: {ticker}")
    check_icons(rig, ticker, 5)
    check(("redraw", "1") in [(k, v.get("on")) for _, k, v in rig.events()], "the taskbar stayed frozen")
    rig.check_clock()
    mark, second = rig.mark(), rig.start_program("second")
    check(answer_box(rig, "Clepsydrium already running") != ticker["pid"], "the first instance answered")
    rig.wait_exit(second)
    rig.watch_ticks(4)
    check(first.poll() is None and rig.ticker()["rect"] == TOP_LEFT and not rig.icon_events(mark) and
          os.listdir(rig.app) == ["Clepsydrium.exe"], "the ticker moved, the tray changed, or a file was written")
    rig.check_clock()


def settings(rig):
    """Options and colours read from the INI (the taskbar inside the program, so that its painting shows);
    Hours, minutes, seconds and Borders from the menu, written back."""
    rig.write_ini(DisplaySeconds=0, MedievalScript=0, Lowercase=1, ZeroAsDash=1, ColourText=255, ColourBack=16777215)
    before, style = rig.read_ini(), dict(medieval=False, dash=True, lower=True)
    _, ticker = rig.start([0, 5, 56, 14], injected=True)
    check_icons(rig, ticker, 3)
    rig.check_clock(seconds=False, **style)
    background, others = rig.ink("colours")
    check(background == (255, 255, 255) and sum(n for (r, g, b), n in others.items() if r > 200 and g + b < 60)
          >= 15 and all(r > g + 40 and r > b + 40 for r, g, b in others), f"not red on white: {background} {others}")
    rig.pick("Hours, minutes")
    rig.wait_ticker(TOP_LEFT, timeout=5)  # a wider tray is no reason to move
    check_icons(rig, ticker, 5)
    rig.check_clock(**style)
    for on in (False, True):
        rig.pick("Borders")
        now = wait_until(lambda: rig.ini_values().get("Borders") == str(int(on)) and (lambda t: t if bool(
            t["exstyle"] & WS_EX_STATICEDGE) == on else None)(rig.ticker()), 5, f"Borders={int(on)}")
        check((now["style"], now["exstyle"] | WS_EX_STATICEDGE, now["rect"]) == (
            ticker["style"], ticker["exstyle"], TOP_LEFT), f"Borders {on}: {now}, before {ticker}")
        if not on:  # the face fills the client area, which has just grown
            wait_until(lambda: rig.ticker()["face"] == [0, 0, 84, 14], 3, "the face to grow")
    check(rig.read_ini() == before.replace(b"DisplaySeconds=0", b"DisplaySeconds=1") + b"Borders=1\r\n", "INI")


def dialogs(rig):
    """For a Japanese user: the About box, a font size too big for the font dialog, Cancel, a colour chosen."""
    font = dict(FontName="DejaVu Sans", FontSize=10000, FontBold=1, FontItalic=0)  # a face the prefix lists
    rig.write_ini(**font)
    # Wine takes code page 932 from a Japanese environment; the locale is built, not installed.
    locale = prepared(rig.args.work, "locale", ["mkdir", "@"], ["localedef", "-i", "ja_JP", "-f", "UTF-8", "@/ja"])
    rig.start(injected=True, env=dict(LOCPATH=locale, LANG="ja", LC_ALL="ja"))
    check(" acp=932 " in rig.read_events(), "Wine did not take the Japanese code page")
    rig.pick("About")
    box = rig.wait_window("the About box", title=f"Clepsydrium {rig.args.version}")["hwnd"]
    texts, buttons = rig.texts(box)
    lines = (texts + [""])[0].split("\r\n")
    purpose = "Display time in roman numerals and date in Latin in Windows systray"
    check(len(lines) == 4 and lines[:2] == [purpose, ""] and lines[2].startswith("\u00a9") and len(lines[2]) > 2
          and lines[3] and (lines[3] in rig.args.home or rig.args.home in lines[3]) and buttons == ["OK"],
          f"About {texts} {buttons}")
    rig.press(box, IDOK)
    rig.pick("Set font")
    dialog = rig.wait_window("the font dialog", cls="#32770")["hwnd"]  # its title is Japanese
    size = [c["title"] for c in rig.windows(dialog, id="1138")]  # cmb3, the size box
    check(size == ["72"], f"FontSize=10000 shows as {size} in the font dialog, expected 72")
    rig.press(dialog, IDCANCEL)
    rig.pick("Text colour")
    dialog = rig.wait_window("the colour dialog", cls="#32770")["hwnd"]
    for ident, value in (("706", 18), ("707", 52), ("708", 86)):  # red, green, blue
        rig.command("settext", rig.windows(dialog, id=ident)[0]["hwnd"], value)
    rig.command("command", dialog, IDOK)
    wait_until(lambda: rig.ini_values().get("ColourText") == str(86 << 16 | 52 << 8 | 18), 5, "the colour chosen")
    # Written after the font dialog's Cancel, had it written anything.
    check({k: rig.ini_values().get(k) for k in font} == {k: str(v) for k, v in font.items()}, "font keys changed")


def no_shell(rig):
    """No usable taskbar: the error report, exit code 1, no icon, no ticker."""
    for mode, error in (("probe", "80040001"), ("no-tray", "80040001"), ("no-clock", "80040002")):
        rig.start_shell(mode)  # probe: only Wine's own hidden taskbar, which has no notification area
        program = rig.start_program(f"program-{mode}")
        answer_box(rig, f"Run-time error {int(error, 16) - (1 << 32)} ({error})")
        shown = [w for w in rig.windows(visible="1") if w["title"] in ("Wine System Tray", "Clepsydrium ticker")]
        check(rig.wait_exit(program) == 1 and not shown and not [
            k for _, k, _ in rig.events() if k in ("icon", "children", "stray")],
              f"{mode}: exit code {program.returncode}, or the taskbar touched, or a tray or ticker shown")


def watch(rig):
    """The taskbar moves and shrinks; the ticker follows: x px left of the clock (0: over it, as when the
    taskbar hides itself), "left": at the top-left of a vertical taskbar, None: where it was, "": unchecked."""
    rig.start()
    for command, arg, x in (("edge", 1, 83), ("extra", 40, None), ("extra", 0, 83), ("clock", "hide", 83),
                            ("clock", "show", None), ("autohide", 1, ""), ("edge", 3, 0), ("autohide", 0, ""),
                            ("edge", 0, "left")):
        mark, rect = rig.mark(), rig.ticker()["rect"]
        rig.command(command, arg)

        def place(s):
            clock = int(s["clock_rect"].split()[2]) * (s["clock_shown"] == "1")
            return [0, 5] if x == "left" else [int(s["tray_client"].split()[0]) - clock - x, 2]
        if x is None:
            rig.watch_ticks(4)
            check(rig.ticker()["rect"] == rect and not rig.icon_events(mark), f"{command} {arg}: moved from {rect}")
        elif x != "":
            wait_until(lambda: rig.ticker(s := rig.snap())["rect"] == place(s) + [84, 14], 5, f"{command} {arg}")
            check_icons(rig, rig.ticker(), 5)
    rig.check_clock()


def exit(rig):
    """Exit, WM_CLOSE, the session's end and a failure in the watch's handler give the taskbar back: the icons
    go once the ticker has left the tray and hidden, then the taskbar repaints; the ticker never shows as a
    window of its own; the INI is left alone; the failure then says so, exit code 1."""
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
            answer_box(rig, "Run-time error -2147467259 (80004005)")
        else:
            session = rig.windows(cls="ClepsydriumSession", pid=ticker["pid"])[0]["hwnd"]
            check("query=1" in rig.command("endsession", session), "WM_QUERYENDSESSION said no")
        events = rig.events(mark)  # given back before the box shows, before WM_ENDSESSION returns
        end = [i for i, (_, k, v) in enumerate(events) if (k, how) in (("dialog", "failure"), ("done", "endsession"))]
        check(rig.wait_exit(program) == (how == "failure"), f"{how}: exit code {program.returncode}")
        events = events[:end[-1]] if end else rig.events(mark)
        icons = [(i, v) for i, (_, k, v) in enumerate(events) if k == "icon"]
        check(icons and all((v["verb"], v["owner"], v["inside"], v["shown"]) == ("delete", ticker["hwnd"], "0", "0")
                            for _, v in icons), f"{how}: icon traffic {icons}")
        painted = {v.get("window") for _, k, v in events[icons[-1][0]:] if k == "paint"}
        strays = [v for _, k, v in rig.events() if k == "stray"]
        check({"taskbar", "tray"} <= painted and not strays, f"{how}: not repainted after the icons went, {strays}")
        check(rig.snap()["icons"] == "0" and rig.ticker() is None and rig.read_ini() == before,
              f"{how}: icons or the ticker left in the taskbar, or the INI changed")


def shell_restart(rig):
    """The taskbar ends and a new one says "TaskbarCreated": the ticker comes back, also under
    the colour dialog, and is then disabled until the dialog closes."""
    rig.write_ini(ColourText=255, ColourBack=16777215)
    program, old = rig.start()
    rig.start_shell("probe")
    time.sleep(1)  # four looks of the program's watch, with no taskbar
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
    check(rig.windows(hwnd=dialog, visible="1") and ticker["style"] & WS_DISABLED,
          "the colour dialog went with the old taskbar, or the ticker came back enabled under it")
    rig.right_click_ticker()
    time.sleep(1)
    check(not rig.windows(visible="1", cls="#32768"), "a menu over the colour dialog")
    rig.press(dialog, IDCANCEL)
    wait_until(lambda: not rig.ticker()["style"] & WS_DISABLED, 2, "the ticker enabled after Cancel")
    values = rig.ini_values()
    check(values.get("ColourText") == "255" != values.get("ColourBack"), f"colours after Cancel: {values}")


def win11(rig):
    """Windows 11: the ticker is a child of the bar, left of the notification area (or 88 px from the bar's end
    when it is empty), centred on Start's row, above the XAML island, with no icons; its text shows."""
    def rect(s):
        bar = {s[f"bar.{i}.class"]: [int(v) for v in s[f"bar.{i}.rect"].split()] for i in range(int(s["bar.count"]))}
        tray, start = bar["TrayNotifyWnd"], bar["Start"]
        right = tray[0] if tray[2] > 0 and tray[3] > 0 else int(s["taskbar_client"].split()[0]) - 88
        return [right - 84, start[1] + (start[3] - 14) // 2, 84, 14]
    program, ticker = rig.start(None, layout="win11")
    check(ticker["parent"] == "bar", "the ticker is not a child of Shell_TrayWnd")
    for extra in (0, 40, -88):  # the notification area as it is, widened, and empty
        rig.command("extra", extra)
        wait_until(lambda: rig.ticker(s := rig.snap())["rect"] == rect(s), 1.5,
                   f"the ticker at {rect(rig.snap())}, the notification area widened by {extra}")
    s = rig.snap()
    check(rig.ticker(s)["z"] < [s[f"bar.{i}.class"] for i in range(int(s["bar.count"]))].index(
        "Windows.UI.Composition.DesktopWindowContentBridge"), "the ticker is under the XAML island")
    rig.check_clock()
    rig.pick("Exit")
    check(rig.wait_exit(program) == 0 and rig.ticker() is None and not [
        k for _, k, _ in rig.events() if k in ("icon", "stray")], "an icon, a stray ticker, or the ticker left")
    rig.start(None, injected=True, layout="win11")
    rig.check_clock()
    background, others = rig.ink("win11")
    check(background != (0x20, 0x40, 0x80) and sum(n for c, n in others.items() if sum(c) < 200) >= 15,
          f"the ticker's text does not show: {others}")


if __name__ == "__main__":
    sys.exit(main({f.__name__: f for f in (startup, settings, dialogs, no_shell, watch, exit, shell_restart, win11)}))
