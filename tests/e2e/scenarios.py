#!/usr/bin/env python3
"""The end-to-end scenarios, one ctest each: scenarios.py --exe EXE ... NAME."""

import collections, datetime, glob, os, re, shutil, signal, subprocess, time

from driver import CELL, EDGES, ICONS, IDCANCEL, IDOK, TOP_LEFT, WS_BORDER, WS_DISABLED, WS_EX_STATICEDGE, check, main
from driver import clock_text, crop_pixels, glyph_runs, icons_for, idle_cost, prepared, roman, top_left, tray_changes
from driver import WIDEST, WINE, unescape, wait_until, wine_processes, winpath

# Windows 11's clock area when its notification area reads empty, and a stacked ticker's margin on each side.
MODERN_CLOCK_AREA, STACK_MARGIN = 88, 2


def answer_box(rig, text):
    """The program's message box says text first and has one button, OK, which is then pressed."""
    box = rig.wait_window("the program's message box", cls="#32770", title="Clepsydrium")
    texts, buttons = rig.texts(box["hwnd"])
    check(texts[:1] and texts[0].startswith(text) and buttons == ["OK"], f"box {texts} {buttons}, not {text!r}")
    rig.command("command", box["hwnd"], IDOK)


def check_tip(rig, t, roman_year=False, lower=False):
    """The tooltip over the ticker: today's Latin date and its year, from 14 December the next, or from 753 BC."""
    now = time.localtime()
    year = now.tm_year + (now.tm_mon == 12 and now.tm_mday >= 14) + 753 * roman_year
    want = " " + roman(year) + " a.u.c." * roman_year
    tip = rig.tip(t)
    check(tip.endswith(want.lower() if lower else want) and (tip == tip.lower()) == lower and re.fullmatch(
        r"((a\.d\. [ivxl]+|pridie) )?(kalend|non|id)[a-z]+ [a-z]+", tip[:-len(want)].lower()), f"tooltip {tip!r}")


def startup(rig):
    """Defaults with no INI; a second start turned away; the taskbar moves: the ticker goes x px left of the clock (0:
    over it, on a bar that hides, also when hiding alone is switched), "left": top-left, None: stays; a new taskbar:
    the ticker comes back, disabled under the colour dialog."""
    first, ticker = rig.start(icons=ICONS)
    check(ticker["exstyle"] & WS_EX_STATICEDGE and not ticker["style"] & WS_BORDER, f"not a sunken edge: {ticker}")
    fit = [(v.get("on", v["verb"]), v.get("inside"), v.get("shown")) for _, k, v in rig.events()
           if k in ("icon", "redraw") and v["verb"] != "version"]
    versions = [v["verb"] for _, k, v in rig.events() if k == "icon" and v["verb"] == "version"]
    check(fit == [("add", "1", "0")] * ICONS and len(versions) == ICONS,
          f"not one hidden fit, or the taskbar's redraw turned off: {fit}, {versions}")
    rig.check_clock()
    mark, second = len(rig.events()), rig.start_program("second")
    answer_box(rig, "Clepsydrium already running")
    rig.wait_exit(second)
    rig.watch_ticks(4)
    check(first.poll() is None and rig.ticker()["rect"] == TOP_LEFT and not tray_changes(rig.events(mark)) and
          os.listdir(rig.app) == ["Clepsydrium.exe"], "the ticker moved, the tray changed, or a file written")
    over = TOP_LEFT[2] - 1  # the ticker's width less the pixel it lies over the clock
    for commands, x in (("edge 1", over), ("extra 40", None), ("extra 0", over), ("clock hide", over),
                        ("clock show", None), ("autohide 1; edge 3", 0), ("autohide 0", over), ("autohide 1", 0),
                        ("autohide 0; edge 0", "left")):
        mark, rect = len(rig.events()), rig.ticker()["rect"]
        for command in commands.split("; "):
            rig.command(*command.split())
        rig.watch_ticks(4)  # the watch has seen the change and answered it
        if x is None:
            check(rig.ticker()["rect"] == rect and not tray_changes(rig.events(mark)), commands)
        else:
            def place(s):
                if x == "left":  # a bar 30 px wide: the time in lines, a margin on each side, the font made smaller
                    return [2, 5, int(s["tray_client"].split()[0]) - 4, 44]
                clock = int(s["clock_rect"].split()[2]) * (s["clock_shown"] == "1")
                return [int(s["tray_client"].split()[0]) - clock - x, 2] + TOP_LEFT[2:]
            rig.wait_ticker(place, icons=4 if x == "left" else ICONS, timeout=5)
    rig.pick("Text colour")
    dialog = rig.wait_window("the colour dialog", title="Color")["hwnd"]
    rig.start_shell()
    rig.command("broadcast", "TaskbarCreated")
    check(rig.wait_ticker(timeout=3)["style"] & WS_DISABLED and rig.windows(hwnd=dialog, visible="1"),
          "the ticker came back enabled under the colour dialog, or the dialog went with the old taskbar")
    rig.right_click_ticker()
    time.sleep(1)
    check(not rig.windows(visible="1", cls="#32768"), "a menu over the colour dialog")
    rig.press(dialog, IDCANCEL)
    wait_until(lambda: not rig.ticker()["style"] & WS_DISABLED, 2, "the ticker enabled after Cancel")
    check(rig.ini_values().get("ColourText", "0") == "0", f"Cancel changed the text colour: {rig.ini_values()}")


def settings(rig):
    """Every option and colour from the INI, in a folder code page 1252 cannot name, shown by each ticker (the taskbar
    inside the program, so painted) at 19:49, whose additive numerals are the widest without seconds, and by the
    menu's check marks; menu choices written back; all shown again in a new shell of the other layout."""
    rig.move_app("app-\u0416\u03a9", "Clepsydrium.exe")
    rig.pin_time(19, 49)
    rig.write_ini(DisplaySeconds=0, MedievalScript=0, Lowercase=1, ZeroAsDash=1, Borders=0, ToolTip=0, RomanYear=1,
                  ColourText=0x7F0000FF, ColourBack=-(1 << 31) + 5)  # red, stray high bits; the window colour: white
    before, style = rig.read_ini(), dict(medieval=False, dash=True, lower=True)
    _, ticker = rig.start(top_left(58), icons=icons_for(58), injected=True, monitors=2)

    def shown(*marks, seconds=False):
        wait_until(lambda: {t["text"].lstrip() for t in rig.tickers()} == {clock_text(time.time(), seconds, **style)}, 2,
                   "time")
        for t in rig.tickers():
            background, others, glyphs = rig.ink("colours", t)
            check(background == (255, 255, 255) and sum(n for (r, g, b), n in others.items() if r > 200 and g + b < 60)
                  >= 4 and all(r > g + 40 and r > b + 40 for r, g, b in others), f"not red on white: {others}")
            check(not t["exstyle"] & WS_EX_STATICEDGE and t["face"] == [0, 0] + t["rect"][2:], f"a border: {t}")
            check(rig.checked(t) == ["Use Roman year (from 753 BC)", "Display 0 as dash", "Lowercase"] + list(marks),
                  f"check marks {rig.checked(t)}")
            rig.tip(t, wait=False)
        return glyphs

    rig.check_clock(seconds=False, **style)
    check(shown("Hours and minutes") == len("xviiii:xxxxviiii"), "not every glyph of xviiii:xxxxviiii shown")
    rig.pick("Hours, minutes")
    wide = top_left(95)  # the widest line with seconds, xviiii:xxxxviiii:xxxxviiii
    rig.wait_ticker(wide, icons=icons_for(95), timeout=5)  # a wider tray is no reason to move
    for on in (1, 0):  # only the sunken edge changes; the face fills the client area
        rig.pick("Borders")
        want = dict(style=ticker["style"], exstyle=ticker["exstyle"] ^ WS_EX_STATICEDGE * on, rect=wide,
                    face=[0, 0, 95 - EDGES * on, CELL - EDGES * on])
        wait_until(lambda: rig.ini_values().get("Borders") == str(on) and want.items() <= rig.ticker().items(), 5, want)
    check(rig.read_ini() == before.replace(b"DisplaySeconds=0", b"DisplaySeconds=1"), "INI")
    rig.command("rebuild", "win11")
    rig.command("broadcast", "TaskbarCreated")
    wait_until(lambda: all(t and t["text"] and t["parent"] != "child" for t in rig.tickers()), 3, "the new tickers")
    shown("Hours, minutes, seconds", seconds=True)


def dialogs(rig):
    """For a Japanese user, the exe named ソ: the About box, a size too big for the font dialog, Cancel; OK in each
    colour dialog and in the font dialog (8 points, bold): every ticker shows it, and the file holds it."""
    font = dict(FontName="DejaVu Sans", FontSize="10000", FontBold="0", FontItalic="0")  # a face the prefix lists
    rig.write_ini(**font)
    locale = prepared(rig.args.work, "locale", ["mkdir", "@"], ["localedef", "-i", "ja_JP", "-f", "UTF-8", "@/ja"])
    rig.move_app("app", "\u30bd.exe")  # 0x83 0x5C in code page 932: its trail byte is a backslash
    # 72 points asked for no taller than the ticker: its widest line in DejaVu Sans, 14 pixels high, and the edge.
    rig.start(top_left(126), icons=icons_for(126), injected=True, monitors=2, env=dict(LOCPATH=locale, LANG="ja", LC_ALL="ja"))
    check(" acp=932 " in rig.read_events(), "Wine did not take code page 932 from the Japanese environment")
    rig.pick("About")
    box = rig.wait_window("the About box", title=f"Clepsydrium {rig.args.version}")["hwnd"]
    lines = (rig.texts(box)[0] + [""])[0].split("\r\n")
    check(lines[:2] == ["Display time in roman numerals and date in Latin in Windows systray", ""] and len(lines) == 4
          and lines[2][:1] == "\u00a9" and len(lines[2]) > 2 and rig.args.home in lines[3], lines)
    rig.press(box, IDOK)
    rig.pick("Set font")
    dialog = rig.wait_window("the font dialog", cls="#32770")["hwnd"]  # its title is Japanese
    check([c["title"] for c in rig.windows(dialog, id="1138")] == ["72"], "FontSize=10000: not 72 in the size box")
    rig.press(dialog, IDCANCEL)
    for caption, key, rgb in (("Text colour", "ColourText", (18, 52, 86)),
                              ("Background", "ColourBack", (200, 220, 240))):
        rig.pick(caption)
        dialog = rig.wait_window("the colour dialog", cls="#32770")["hwnd"]
        for ident, value in zip(("706", "707", "708"), rgb):  # red, green, blue
            rig.command("settext", rig.windows(dialog, id=ident)[0]["hwnd"], value)
        rig.command("command", dialog, IDOK)
        wait_until(lambda: rig.ini_values().get(key) == str(rgb[2] << 16 | rgb[1] << 8 | rgb[0]), 5, "the colour")
        for t in rig.tickers():
            background, others, _ = rig.ink("colours", t)
            check(rgb == background if key == "ColourBack" else max(b - r for r, g, b in others) > 30,  # smoothed
                  f"{caption} not shown: {background} {others}")
    # Written after the font dialog's Cancel, had that written anything.
    check(font.items() <= rig.ini_values().items(), f"the font dialog's Cancel changed {rig.ini_values()}")
    rig.pick("Set font")
    dialog = rig.wait_window("the font dialog", cls="#32770")["hwnd"]
    for ident, key, times in (("1137", 0x28, 2), ("1138", 0x26, 20), ("1138", 0x28, 2)):  # bold; 6, 7, 8 points
        for _ in range(times):
            rig.command("key", rig.windows(dialog, id=ident)[0]["hwnd"], key)
    rig.press(dialog, IDOK)
    wait_until(lambda: dict(font, FontSize="8", FontBold="1").items() <= rig.ini_values().items(), 5, "the font")
    rig.wait_ticker(top_left(129), icons=icons_for(129), timeout=5)  # 8 points bold: wider than the largest regular size
    # The secondary bar's ticker refits on its own poll, a moment after the primary's.
    wait_until(lambda: [t["rect"][2] for t in rig.tickers()] == [129, 129], 5, "every ticker fitted to the font")


def exit(rig):
    """No usable taskbar: an error, exit code 1, nothing touched; at once from a shell that shows its taskbar, after the
    wait (shortened in the tests' build) from one whose taskbar is still hidden. A taskbar that comes late is docked
    within a second; a close or the session's end while waiting ends the program without a word, a sign-out another
    program cancelled changes nothing, waiting or running. Exit, WM_CLOSE, the session's end and a failure give the
    taskbar back: icons go once the ticker has left and hidden, then it repaints; the INI is left alone."""
    for mode, error, wait in (("probe", "80040001", 2), ("no-tray", "80040001", 0), ("no-clock", "80040002", 0)):
        rig.start_shell(mode)  # probe: only Wine's own hidden taskbar, which has no notification area
        shutil.copy(rig.args.faultable if wait else rig.args.exe, rig.exe)
        began = time.monotonic()
        program = rig.wine(f"program-{mode}", [rig.exe], dict(rig.env, CLEP_FAULT_SHELL_WAIT_MS=str(wait * 1000)))
        answer_box(rig, f"Run-time error {int(error, 16) - (1 << 32)} ({error})")
        waited = time.monotonic() - began
        seen = [w for w in rig.windows(visible="1") if w["title"] in ("Wine System Tray", "Clepsydrium ticker")]
        seen += [k for _, k, _ in rig.events() if k in ("icon", "children", "stray")]  # the taskbar touched
        check(rig.wait_exit(program) == 1 and not seen and wait <= waited < wait + 3,
              f"{mode}: exit code {program.returncode}, seen {seen}, told after {waited:.1f} s")
    for how in ("close", "endsession", "late"):
        rig.start_shell("probe")
        program = rig.start_program(f"waiting-{how}")
        session = wait_until(lambda: rig.windows(cls="ClepsydriumSession"), 10, "the program waiting")[0]["hwnd"]
        check(time.sleep(1) or program.poll() is None and not rig.windows(visible="1", cls="#32770"), f"{how}: gone")
        if how == "late":  # a sign-out another program cancelled leaves it waiting
            check("query=1" in rig.command("endsession", session, "cancel") and not time.sleep(1) and
                  program.poll() is None, "a cancelled sign-out ended the wait")
            rig.start_shell()
            rig.wait_ticker(icons=ICONS, timeout=1)
            rig.pick("Exit")
        elif how == "close":
            rig.command("close", session)
        else:
            check("query=1" in rig.command("endsession", session), "WM_QUERYENDSESSION said no")
        check(rig.wait_exit(program) == 0 and not rig.windows(visible="1", cls="#32770"), f"{how} while waiting")
    rig.write_ini(Lowercase=1, ToolTip=0)
    before, ends = rig.read_ini(), (("dialog", "failure"), ("done", "endsession"))
    rig.start_shell()
    for how in ("Exit", "close", "endsession", "failure"):
        shutil.copy(rig.args.faultable if how == "failure" else rig.args.exe, rig.exe)
        program = rig.start_program(f"program-{how}")
        ticker, mark = rig.wait_ticker(top_left(6 * CELL), icons=icons_for(6 * CELL)), len(rig.events())  # lower case: the classic size
        if how == "Exit":  # after a sign-out another program cancelled, which changes nothing
            rig.command("endsession", rig.windows(cls="ClepsydriumSession")[0]["hwnd"], "cancel")
            place = lambda t: (t["hwnd"], t["rect"], t["visible"])  # noqa: E731
            check(not time.sleep(1) and not tray_changes(rig.events(mark)) and place(rig.ticker()) == place(ticker),
                  f"a cancelled sign-out: {tray_changes(rig.events(mark))} {rig.ticker()}")
            rig.pick("Exit")
        elif how == "close":
            rig.command("close", ticker["hwnd"])
        elif how == "failure":
            open(os.path.join(rig.app, "fail-now"), "w").close()
            answer_box(rig, "Run-time error -2147467259 (80004005)")
        else:
            session = rig.windows(cls="ClepsydriumSession", pid=ticker["pid"])[0]["hwnd"]
            check("query=1" in rig.command("endsession", session), "WM_QUERYENDSESSION said no")
        check(rig.wait_exit(program) == (how == "failure"), f"{how}: exit code {program.returncode}")
        events = rig.events(mark)  # given back before the box shows, before WM_ENDSESSION returns
        events = events[:max([i for i, (_, k, _) in enumerate(events) if (k, how) in ends], default=None)]
        icons = [i for i, (_, k, _) in enumerate(events) if k == "icon"] or [len(events)]
        traffic = {tuple(v.get(f) for f in ("verb", "owner", "inside", "shown")) for _, _, v in tray_changes(events)}
        check(traffic == {("delete", ticker["hwnd"], "0", "0")}, (how, traffic))
        wait_until(lambda: {"taskbar", "tray"} <= {v.get("window") for _, k, v in rig.events(mark + icons[-1])
                                                   if k == "paint"}, 2, f"{how}: the taskbar repainted")
        check(rig.snap()["icons"] == "0" and rig.ticker() is None and rig.read_ini() == before and
              "stray" not in [k for _, k, _ in rig.events()], f"{how}: icons or a ticker left, or the INI changed")
    rig.start_shell(kill_at_icon=3)  # killed in the middle of its fit: the taskbar still paints and shows
    program = rig.start_program("killed")
    rig.wait_exit(program)  # its code: Wine sometimes gives 0 to a process another one ended
    # The shell records the kill once TerminateProcess has returned, which may be after the exit is seen.
    wait_until(lambda: [v["ok"] for _, k, v in rig.events() if k == "kill"] == ["1"], 3, "the shell's kill recorded")
    mark = len(rig.events())
    rig.command("extra", 10)
    wait_until(lambda: ("paint", "taskbar") in [(k, v.get("window")) for _, k, v in rig.events(mark)], 2, "a paint")
    check(rig.snap()["redraw.off"] == "0" and rig.windows(cls="Shell_TrayWnd", visible="1"), "the taskbar frozen")


def win11(rig):
    """Windows 11: the ticker is a child of the bar, with no icons, placed as the notification area changes; Exit
    leaves neither an icon nor a ticker. (Its text in the bar's colours: theme_win11.)"""
    def placed(s):  # left of the notification area (or 88 px from the bar's end if empty), on Start's row
        bar = {s[f"bar.{i}.class"]: (i, list(map(int, s[f"bar.{i}.rect"].split()))) for i in range(int(s["bar.count"]))}
        (_, tray), (_, start), ticker = bar["TrayNotifyWnd"], bar["Start"], rig.ticker(s)
        right = tray[0] if tray[2] > 0 and tray[3] > 0 else int(s["taskbar_client"].split()[0]) - MODERN_CLOCK_AREA
        w = TOP_LEFT[2]
        return (ticker["parent"] == "bar" and ticker["rect"] == [right - w, start[1] + (start[3] - CELL) // 2, w, CELL]
                and ticker["z"] < bar["Windows.UI.Composition.DesktopWindowContentBridge"][0])  # above the XAML island
    program, _ = rig.start(None, layout="win11")
    for extra in (0, 40, -88):  # the notification area as it is, widened, and empty
        rig.command("extra", extra)
        wait_until(lambda: placed(rig.snap()), 1.5, f"the ticker's place, the notification area widened by {extra}")
    rig.pick("Exit")
    code = rig.wait_exit(program)
    ticker, left = rig.ticker(), [(k, v) for _, k, v in rig.events() if k in ("icon", "stray")]
    check(code == 0 and ticker is None and not left, f"exit code {code}, ticker {ticker}, icons or strays {left}")


def every_taskbar(rig, layout):
    """Two more monitors' bars: a ticker in each, placed by its bar's own size and children as they change; an option
    from one reaches all and the file; a dialog disables all, also one that comes meanwhile; a bar removed and added
    back; a new shell; Exit gives every bar back; EveryTaskbar=0 keeps to the primary."""
    def placed(s, n, t):  # before the clock button or the island's clock area, else at the far end; centred across
        w, h = map(int, s[f"secondary.{n}.rect"].split()[2:])
        clock = list(map(int, s.get(f"secondary.{n}.clock", f"{w} {h} 0 0").split()))
        tw = 6 * CELL if b"Lowercase=1" in (rig.read_ini() or b"") else TOP_LEFT[2]  # lower case: the classic size
        if layout == "win11":
            return t["rect"] == [w - MODERN_CLOCK_AREA - tw, (h - CELL) // 2, tw, CELL] and t["z"] < int(s[f"s{n}.count"]) - 1
        # too narrow for one line: the time in lines, inside the bar's margins
        tw, th = (w - 2 * STACK_MARGIN, 3 * CELL + EDGES) if h > w and tw > w else (tw, CELL)
        x, y = (int((w - tw) / 2), clock[1] - 2 - th) if h > w else (clock[0] - 2 - tw, (h - th) // 2)
        return t["rect"] == [x, y, tw, th]

    def all_placed(timeout=1.5, **want):
        def ok():
            s, ts = rig.snap(), rig.tickers()
            return all(t and want.items() <= {k: (v & WS_DISABLED if k == "style" else v) for k, v in t.items()}.items()
                       and (n == 0 or placed(s, n, t)) for n, t in enumerate(ts)) and ts
        return wait_until(ok, timeout, f"a ticker placed in every bar, {want}")

    program, _ = rig.start(None, layout=layout, monitors=3)
    all_placed()
    for commands in ["secondary 1 edge 0", "secondary 2 clock hide"] if layout == "classic" else [
            "secondary 1 thickness 70"]:
        rig.command(*commands.split())
        all_placed()
    rig.pick("Lowercase", rig.tickers()[2])
    wait_until(lambda: all(t["text"] == t["text"].lower() != t["text"].upper() for t in rig.tickers()), 2, "lower case")
    rig.pick("Use Roman year", rig.tickers()[1])
    wait_until(lambda: rig.read_ini() == b"[Configuration]\r\nLowercase=1\r\nRomanYear=1\r\n", 5, "the file")
    for t in rig.tickers()[:2]:
        check_tip(rig, t, roman_year=True, lower=True)
    rig.pick("Text colour", rig.tickers()[1])
    dialog = rig.wait_window("the colour dialog", title="Color")["hwnd"]
    rig.command("secondary", 3, "add")  # a new bar while the dialog is open: its ticker starts disabled
    check(len(all_placed(style=WS_DISABLED)) == 4, "not every ticker disabled under the dialog")
    for _ in range(40 if layout == "classic" else 0):  # more than the table's places, each left free when it goes
        rig.command("secondary", 3, "remove")
        wait_until(lambda: rig.tickers()[3] is None, 1.5, "bar 3's ticker gone")
        rig.command("secondary", 3, "add")
        ticker = wait_until(lambda: (t := rig.tickers()[3]) and t["visible"] and t, 1.5, "bar 3's ticker")
        check(ticker["text"], "a new ticker shown blank, not with the time")
    rig.press(dialog, IDCANCEL)
    all_placed(style=0)
    check(rig.ini_values().get("ColourText", "0") == "0", f"Cancel changed the colour: {rig.ini_values()}")
    before = rig.tickers()
    rig.command("secondary", 2, "remove")
    wait_until(lambda: rig.tickers()[2] is None, 1.5, "bar 2 gone")
    time.sleep(0.6)  # past the search the lost ticker asked for
    rig.command("secondary", 2, "add", "unheard")  # its notice lost: the watch's own search finds it
    after = all_placed(3)
    check(program.poll() is None and not rig.windows(visible="1", cls="#32770") and [t["hwnd"] for t in after] == [
        t["hwnd"] for t in before[:2]] + [after[2]["hwnd"], before[3]["hwnd"]] != [t["hwnd"] for t in before],
        "a bar's going and coming touched another ticker, or showed a box")
    rig.start_shell(layout=layout, monitors=3)
    rig.command("broadcast", "TaskbarCreated")
    all_placed()
    mark = len(rig.events())
    rig.pick("Exit", rig.tickers()[1])
    check(rig.wait_exit(program) == 0, "exit code")
    painted = {v.get("window") for _, k, v in rig.events(mark) if k == "paint"}
    check(rig.tickers() == [None] * 3 and {"secondary1", "secondary2"} <= painted and all(
        rig.snap()[f"s{n}.count"] == "1" for n in (1, 2)), f"a bar not given back: {painted}")
    rig.write_ini(EveryTaskbar=0)
    rig.start_program("primary-only")
    rig.wait_ticker(None)
    time.sleep(1)  # four looks of the watch
    check(rig.tickers()[1:] == [None, None], "EveryTaskbar=0, and yet a ticker in another bar")


def near(a, b):
    return max(abs(x - y) for x, y in zip(a, b)) <= 8


def taskbar_look(rig, layout):
    """Every ticker, the secondary bar's too, in its taskbar's look: dark at start; light and the accent colour within
    1 s of a switch, its text black or white, whichever is farther from its background; a colour chosen stands over a
    switch, and the dialog opens on the colour shown; Taskbar colours
    brings the taskbar's look back; GDI objects flat over 50 switches; without theme values, the system's button
    colours within 1 s of their change (high contrast's, as Wine cannot switch high contrast itself)."""
    def follows(what, bar, back=None, edge=False, within=None):
        def ok():
            found, taken = rig.looks(what)
            return all((bar is None or near(f["bar"], bar)) and (f["back"] == back if back else near(f["back"], f["bar"]))
                       and f["text"] == ((255, 255, 255) if sum(f["back"]) < 383 else (0, 0, 0))
                       and f["edge"] == edge for f in found) and (found, taken)
        start = time.monotonic()
        found, taken = wait_until(ok, 5, f"the tickers in the taskbar's look: {what}", interval=0)
        check(len(found) == 2 and (within is None or taken - start <= within), f"{what}: {taken - start:.2f} s {found}")

    dark = (0x1C, 0x1C, 0x1C)
    rig.start(None, injected=True, layout=layout, monitors=2, theme="dark")
    follows("dark", dark)
    rig.command("theme", "light")
    follows("light", (0xEE, 0xEE, 0xEE), within=1)
    rig.command("theme", "accent")
    follows("accent", (0, 0x5A, 0x9E), within=1)
    rig.pick("Background colour", rig.tickers()[1])
    dialog = rig.wait_window("the colour dialog", title="Color")["hwnd"]
    boxes = [rig.windows(dialog, id=str(ident))[0] for ident in (706, 707, 708)]  # red, green, blue
    check([b["title"] for b in boxes] == ["0", "90", "158"], f"the dialog opens on {boxes}, not the accent")
    for box, value in zip(boxes, (18, 52, 86)):
        rig.command("settext", box["hwnd"], value)
    rig.command("command", dialog, IDOK)
    wait_until(lambda: rig.ini_values().get("ColourBack") == str(86 << 16 | 52 << 8 | 18), 5, "the colour chosen")
    rig.command("theme", "dark")
    follows("chosen over dark", dark, back=(18, 52, 86))
    rig.pick("Taskbar colours")
    wait_until(lambda: not {"ColourText", "ColourBack"} & rig.ini_values().keys(), 5, "the colour keys removed")
    follows("dark again", dark)

    def gdi_objects():  # the fewest of three counts: a paint holds two for a moment
        time.sleep(1.5)  # the tickers' reads are over
        return min(int(rig.command("gdi").split("=")[1]) for _ in range(3))
    before = None
    for n in range(52):  # the first two switches may make what is kept for the run
        rig.command("theme", ("light", "dark")[n % 2])
        before = gdi_objects() if n == 1 else before
    follows("dark after 50 switches", dark)
    after = gdi_objects()
    if before:
        check(after == before, f"{before} GDI objects, {after} after 50 switches of the theme")
    else:
        print("GDI objects not checked: Wine keeps no count of them for a 32-bit process")
    rig.command("theme", "classic")
    rig.command("syscolours", 0, 0xFFFFFF)  # face, text
    follows("high contrast's colours", None, back=(0, 0, 0), edge=True, within=1)  # Windows 11's bar keeps its blue


def unsaved(rig):
    """A stray Clepsydrium.ini.new folder blocks no write; a read-only file: one message (the file, why) for two failed
    writes, and with Trace=1 a line in Clepsydrium.log; the keys not saved go with the next write that succeeds, and at exit. A hand-formatted file and one saved
    as UTF-16: a choice adds its one line, every other byte kept, and Exit writes nothing."""
    def told():
        box = rig.wait_window("the program's message box", cls="#32770", title="Clepsydrium")["hwnd"]
        lines = rig.texts(box)[0][0].split("\r\n")
        check(lines[1].endswith("\\Clepsydrium.ini") and lines[3], f"no file or reason in {lines}")
        rig.press(box, IDOK)
        wait_until(lambda: not rig.ticker()["style"] & WS_DISABLED, 2, "the ticker enabled after the message")

    rig.write_ini(Borders=1, Trace=1), os.mkdir(rig.ini + ".new")
    (program, _), want = rig.start(None), dict(Borders="1", Trace="1")
    log = os.path.join(os.path.dirname(rig.ini), "Clepsydrium.log")
    for caption, key, value, writable in (("Lowercase", "Lowercase", "1", True), ("Borders", "Borders", "0", False),
                                          ("Display 0", "ZeroAsDash", "1", False), ("Lowercase", "Lowercase", "0", True),
                                          ("Borders", "Borders", "1", False), ("Exit", None, None, True)):
        os.chmod(rig.ini, 0o644 if writable else 0o444), rig.pick(caption)
        before = rig.read_ini()
        want.update({key: value} if key else {})
        if not writable and value == "0":  # the first failure
            told()
            traced = open(log, "rb").read().decode("latin-1").splitlines()
            check(len(traced) == 1 and traced[0].endswith("(error 5)") and "settings file" in traced[0],
                  f"the trace of the failed write: {traced}")
        elif not writable:
            check(time.sleep(0.5) or not rig.windows(visible="1", cls="#32770") and rig.read_ini() == before, "2 boxes")
        elif key:
            wait_until(lambda: rig.ini_values() == want, 5, f"{want} written")
    check(rig.wait_exit(program) == 0 and rig.ini_values() == want, f"at exit: {rig.ini_values()}")
    hand = "; my settings\n\n[Configuration]\n  Lowercase = 1\n\tFontName = DejaVu Sans\n; a = b\n{}\n[Mine]\nx = 1"
    for name, text, encoding, line in (("hand", hand, "utf-8", "ZeroAsDash=1\n"),  # Notepad's "Unicode" next
                                       ("utf16", "\ufeff[Configuration]\r\n; \u0416 = x\r\nLowercase=1\r\n{}",
                                        "utf-16-le", "ZeroAsDash=1\r\n")):
        open(rig.ini, "wb").write(text.format("").encode(encoding))
        program, after = rig.start_program(name), text.format(line).encode(encoding)
        wait_until(lambda: rig.ticker()["text"] == rig.ticker()["text"].lower() != rig.ticker()["text"].upper(), 5,
                   f"{name}: read")
        rig.pick("Display 0")
        wait_until(lambda: rig.read_ini() == after, 5, f"{name}: one line added")
        rig.pick("Exit")
        check(rig.wait_exit(program) == 0 and rig.read_ini() == after, f"{name} at exit: {rig.read_ini()}")


def hung_shell(rig):
    """The demo taskbar stopped for 5 s across a minute's turn, when the blank icons' tips change: each ticker keeps its
    second and the program answers within 1 s (a probe)."""
    rig.start(None, monitors=2)
    wait_until(lambda: all(t and t["text"] for t in rig.tickers()), 5, "the tickers' time")
    faces = [rig.windows(t["hwnd"])[0]["hwnd"] for t in rig.tickers()]
    session = rig.windows(cls="ClepsydriumSession")[0]["hwnd"]
    shell = [p for p in wine_processes(rig.prefix) if b"demo_taskbar" in open(f"/proc/{p}/cmdline", "rb").read()]
    rig.shell = None  # not quit: a probe reads the program's windows while the taskbar cannot
    rig.start_shell("probe")
    wait_until(lambda: 57 <= time.localtime().tm_sec < 59, 65, "a minute's last seconds", interval=0.1)
    os.kill(shell[0], signal.SIGSTOP)  # the rig's end kills it stopped or not
    stop = time.monotonic() + 5
    while time.monotonic() < stop:
        check((ms := int(rig.command("settext", session, "", timeout=30)[3:])) < 1000, f"answered in {ms} ms")
        for face in faces:
            now, text = time.time(), rig.command("info", face, timeout=30).split("\ntext=")[1].split("\n")[0]
            check(text.lstrip() in [clock_text(s) for s in range(int(now - 0.25), int(time.time()) + 1)], (text, now))


def vertical(rig):
    """Bars 62 px wide, the primary on the left and another on the right, classic and Windows 11: the time in lines,
    one numeral each, with seconds and without, its whole ink centred inside each ticker and each ticker inside its
    bar; seconds turned off from the other bar's ticker reach both tickers' text and shape as the bars grow to 80 and
    100 px and back to 62; each in its bar's colour, accent and dark, against the screen's edges; one line again on a
    wide bar and a horizontal one."""
    def inside(t, bar):
        x, y, w, h = rig.screen_rect(t)
        return bar[0] <= x and x + w <= bar[0] + bar[2] and bar[1] <= y and y + h <= bar[1] + bar[3]

    def whole_ink(name, lines):  # a line each numeral, none touching the edge nor a stacked one off the middle; one
        def ok():                   # line as wide in both tickers, which show the same text in the same font
            ts, shot, widths = rig.tickers(), rig.screenshot(name), set()
            for t in ts:
                pixels, w = rig.pixels(shot, t), t["rect"][2] - 2
                ink = [p for p, c in pixels.items() if c != pixels[(0, 0)]]
                xs, rows = {x for x, _ in ink}, {y for _, y in ink}
                bands = len(rows - {y + 1 for y in rows})
                if not (ink and t["rect"][3] == lines * CELL + EDGES * (lines > 1) and 0 < min(xs) and max(xs) < w - 1
                        and (lines == 1 or abs(min(xs) + max(xs) - (w - 1)) <= 2) and bands == lines):
                    raise ValueError(f"{t['parent']} {t['rect']}: ink {min(xs, default=0)}..{max(xs, default=0)}, "
                                     f"{bands} lines, not {lines}")
                widths.add(max(xs) - min(xs))
            if lines == 1 and max(widths) - min(widths) > 1:
                raise ValueError(f"one line {sorted(widths)} px wide")
            return True
        rig.mouse_away()  # a pick from a ticker leaves the mouse on it, and its tooltip over it
        wait_until(ok, 3, f"the whole time in {lines} lines: {name}")

    def stacked_width(t):  # its parent's width less the margins; the demo taskbar's tray is 4 px narrower than its bar
        return 62 - 4 * (t["parent"] == "child") - 2 * STACK_MARGIN

    for layout in ("classic", "win11"):
        rig.write_ini(ZeroAsDash=1)  # no empty line at a zero
        program = rig.start_shell(layout=layout, monitors=2, edge=0, thickness=62, injected=True)
        for command in ("secondary 1 edge 2", "secondary 1 thickness 62"):
            rig.command(*command.split())
        for lines in (3, 2):
            def stacked():
                s, ts = rig.snap(), rig.tickers()
                bars = [s["taskbar_rect"], s["secondary.1.rect"]]
                return all(t and t["rect"][2:] == [stacked_width(t), lines * CELL + EDGES] and
                           inside(t, list(map(int, bar.split()))) for t, bar in zip(ts, bars)) and ts
            wait_until(stacked, 3, f"{lines} lines in both bars, {layout}")
            rig.check_clock(seconds=lines == 3, dash=True)
            whole_ink(f"{layout}-{lines}", lines)
            if lines == 3:
                rig.pick("Hours and minutes", rig.tickers()[1])
        for thickness, lines in ((80, 1), (100, 1), (62, 2)):
            for command in (f"thickness {thickness}", f"secondary 1 thickness {thickness}"):
                rig.command(*command.split())
            whole_ink(f"{layout}-{thickness}px", lines)
        for theme, bar in (("accent", (0, 0x5A, 0x9E)), ("dark", (0x1C, 0x1C, 0x1C))):  # the ring read off the screen
            rig.command("theme", theme)
            wait_until(lambda: all(near(f["back"], f["bar"]) and near(f["bar"], bar) for f in rig.looks(
                f"{layout}-{theme}")[0]), 3, f"each ticker in its {theme} bar's colour at the screen's edge, {layout}")
        for command in ("thickness 120", "secondary 1 edge 3"):
            rig.command(*command.split())
        wait_until(lambda: [t["rect"][3] for t in rig.tickers()] == [CELL, CELL], 3, "one line again")
        rig.pick("Exit")
        check(rig.wait_exit(program) == 0, "exit code")


MONTHS = "Ianuarius Februarius Martius Aprilis Maius Iunius Iulius Augustus September October November December".split()


def day_cells(rig, cal):
    """The calendar's cells of its month's days in order, each named for a screen reader; those outside it unnamed."""
    return [c for c in sorted(rig.windows(cal, cls="Static"), key=lambda c: int(c["id"]))
            if int(c["id"]) >= 100 and c["title"]]


def calendar(rig):
    """The month from the primary's and a secondary's ticker, beside its bar on the inner side and on screen: this
    month's title, today framed; a month on and back by button and by keys, Home; the next February's feasts dotted,
    named under the month and after the Latin date pointed at; in its ticker's look after a theme switch; closed by
    Escape, the item chosen again, its bar's going and Exit; left open over midnight, it moves on with the day, every
    text in the additive numerals it was set to."""
    ahead = 0  # seconds the program's clock is set ahead, in the tests' build

    def local():
        return time.localtime(time.time() + ahead)

    def title(shift, subtractive=True):
        t = local()
        index = t.tm_year * 12 + t.tm_mon - 1 + shift
        return f"{MONTHS[index % 12]} {roman(index // 12, subtractive)}"

    def opened(edge, rect, want):  # the calendar's window, title and framed cells, once it shows want
        def shown():
            cal = rig.windows(visible="1", cls="ClepsydriumCalendar")[0]
            framed = [roman(n + 1) for n, c in enumerate(day_cells(rig, cal["hwnd"])) if int(c["style"], 16) & WS_BORDER]
            return (cal["title"], framed) == want and cal
        cal = wait_until(shown, 5, f"the calendar showing {want}")
        x, y, w, h = map(int, cal["rect"].split())
        bx, by, bw, bh = map(int, rect.split())
        check([x >= bx + bw, y >= by + bh, x + w <= bx, y + h <= by][edge] and x >= 0 and y >= 0 and x + w <= 1024
              and y + h <= 768, f"the calendar at {cal['rect']}, its bar at {rect} on edge {edge}")
        return cal["hwnd"]

    def bar(s, key):
        return int(s[key + "edge"]), s[key + ("rect" if key else "taskbar_rect")]

    program, _ = rig.start(None, monitors=2)
    rig.command("secondary", 1, "edge", 0)  # at the left: the calendar on its right
    today = [roman(time.localtime().tm_mday)]
    rig.pick("Calendar")
    cal = opened(*bar(rig.snap(), ""), (title(0), today))
    for how, shift in ((("command", 3), 1), (("key", 33), 0), (("key", 34), 1), (("key", 36), 0)):
        rig.command(how[0], cal, how[1])  # >, PageUp, PageDown, Home
        opened(*bar(rig.snap(), ""), (title(shift), today if shift == 0 else []))
    for _ in range((2 - time.localtime().tm_mon) % 12):
        rig.command("key", cal, 34)
    feriae = "Feriae: XV Lupercalia, XVII Quirinalia, XXI Feralia, XXIII Terminalia, XXIV Regifugium, XXVII Equirria"
    wait_until(lambda: [c["title"] for c in rig.windows(cal, id="4")] == [feriae], 5, "February's feasts under it")
    cells = {roman(n + 1): list(map(int, c["rect"].split())) for n, c in enumerate(day_cells(rig, cal))}
    shot = rig.screenshot("feasts")

    def dotted(day):  # ink under the numeral, inside any frame
        x, y, w, h = cells[day]
        top = h * 2 // 3
        out = subprocess.run(["convert", shot, "-crop", f"{w - 2}x{h - 1 - top}+{x + 1}+{y + top}", "+repage", "-depth",
                              "8", "-format", "%k", "info:"], check=True, capture_output=True, text=True).stdout
        return int(out) > 1

    days = ["I", "XIII", "XIV", "XV", "XXIV", "XXVII", "XXVIII"]  # the Kalends and Ides underlined, not dotted
    check([dotted(d) for d in days] == [False, False, False, True, True, True, False],
          f"dots under {[d for d in days if dotted(d)]}")
    x, y, w, h = cells["XV"]
    rig.xdotool("mousemove", x + w // 2, y + h // 3, "sleep", 0.3, "mousemove", x + w // 2 + 1, y + h // 3)
    tip = "a.d. XV Kalendas Martias, Lupercalia"
    wait_until(lambda: tip in [t["title"] for t in rig.windows(visible="1", cls="tooltips_class32")], 5, tip)
    rig.command("theme", "dark")  # the ticker takes the dark bar's colour, and the calendar the ticker's
    wait_until(lambda: glyph_runs(crop_pixels(rig.screenshot("dark"), list(map(int, rig.windows(hwnd=cal)[0][
        "rect"].split()))))[0] == (0x1C, 0x1C, 0x1C), 5, "the calendar in its ticker's dark look")
    rig.command("key", cal, 27)
    wait_until(lambda: not rig.windows(cls="ClepsydriumCalendar", hwnd=cal), 5, "Escape to close the calendar")
    rig.pick("Calendar", rig.tickers()[1])
    opened(*bar(rig.snap(), "secondary.1."), (title(0), today))
    rig.pick("Calendar", rig.tickers()[1])  # chosen again
    wait_until(lambda: not rig.windows(visible="1", cls="ClepsydriumCalendar"), 5, "the item chosen again to close it")
    rig.pick("Calendar", rig.tickers()[1])
    opened(*bar(rig.snap(), "secondary.1."), (title(0), today))
    rig.command("secondary", 1, "remove")
    wait_until(lambda: not rig.windows(visible="1", cls="ClepsydriumCalendar"), 2, "the calendar gone with its bar")
    rig.pick("Calendar")
    opened(*bar(rig.snap(), ""), (title(0), today))
    rig.pick("Exit")
    check(rig.wait_exit(program) == 0, "exit code")
    def additive(cal):  # every text it shows in the additive numerals: title, cells, legend
        texts = [rig.windows(hwnd=cal)[0]["title"]] + [c["title"] for c in rig.windows(cal)]
        numerals = [n for t in texts for n in re.findall(r"\b[MDCLXVI]+\b", t)]
        pairs = [n for n in numerals if re.search("IV|IX|XL|XC|CD|CM", n)]
        check("IIII" in numerals and not pairs, f"MedievalScript=0, yet {pairs} in {texts}")

    # Left open over midnight: today's frame, and this month's calendar, move on. The tests' build, its clock at
    # 23:59:45, so that midnight comes once the calendar is open, not up to a minute later.
    ahead = 45 - rig.pin_time(23, 59, wait=False) % 60
    shutil.copy(rig.args.faultable, rig.exe)
    rig.write_ini(MedievalScript=0)
    program = rig.wine("midnight", [rig.exe], dict(rig.env, CLEP_FAULT_CLOCK_SHIFT_MS=str(int(ahead * 1000))))
    rig.wait_ticker(None)
    rig.pick("Calendar")
    additive(opened(*bar(rig.snap(), ""), (title(0, False), [roman(local().tm_mday)])))
    wait_until(lambda: local().tm_hour == 0, 65, "midnight", interval=0.5)
    additive(opened(*bar(rig.snap(), ""), (title(0, False), [roman(local().tm_mday)])))


def ends(rig):
    """Left open across a year's end, and across a century's February (no leap day), the calendar moves on to the new
    month with its first day framed (the tests' build, its clock shifted to a quarter minute before midnight)."""
    this = time.localtime().tm_year
    shutil.copy(rig.args.faultable, rig.exe)
    rig.start_shell()
    for (day, month, year), after in (((31, 12, this), f"Ianuarius {roman(this + 1)}"), ((28, 2, 2100), "Martius MMC")):
        shift = int((time.mktime((year, month, day, 23, 59, 45, 0, 0, -1)) - time.time()) * 1000)
        program = rig.wine(f"program-{year}", [rig.exe], dict(rig.env, CLEP_FAULT_CLOCK_SHIFT_MS=str(shift)))
        rig.wait_ticker(None)
        rig.pick("Calendar")
        for title, days, framed in ((f"{MONTHS[month - 1]} {roman(year)}", day, day), (after, 31, 1)):
            def shown():
                cal = rig.windows(visible="1", cls="ClepsydriumCalendar")[0]
                cells = [int(c["style"], 16) & WS_BORDER != 0 for c in day_cells(rig, cal["hwnd"])]
                return (cal["title"], len(cells), cells.index(True) + 1 if True in cells else 0) == (title, days, framed)
            wait_until(shown, 25, f"the calendar showing {title}, {days} days, {framed} framed")
        rig.pick("Exit")
        check(rig.wait_exit(program) == 0, "exit code")


def idle(rig):
    """Idle with seconds: most seconds drawn within 20 ms of their start (a busy machine delays some); near the
    wake-ups and CPU of a one-window clock with a 1 s timer (each with the wineserver's), one after the other in the
    same rig. Each is the quietest of three windows, and the bounds leave room for a busy machine: Wine itself wakes
    the program up to 50 times a second for seconds on end at times, and the clock's quietest windows vary from 1 to 4
    wake-ups a second, ours from 5 to 22 (so never less than 30 allowed: a timer of 33 ms or less still fails)."""
    rig.write_ini(Trace=1)
    program, ticker = rig.start(None, poll=1000)
    face = rig.windows(ticker["hwnd"])[0]["hwnd"]
    late = sorted(int(v) for v in rig.command("changes", face, 6000, timeout=20).split("=")[1].split())
    check(len(late) >= 5 and late[len(late) // 2] <= 20, f"each second drawn so many ms into it: {late}")  # some slow
    mark = len(rig.read_events().splitlines())
    ours = idle_cost(rig, "Clepsydrium.exe", 4, windows=3)
    # What a failure needs to be told apart from Wine's own bursts: what the shell heard meanwhile, and the trace.
    heard = collections.Counter(f"{kind} {fields['verb']}" for _, kind, fields in rig.events(mark)).most_common(5)
    trace = os.path.join(os.path.dirname(rig.exe), "Clepsydrium.log")
    traced = open(trace, encoding="utf-8", errors="replace").read()[-300:] if os.path.exists(trace) else ""
    rig.command("close", ticker["hwnd"]), rig.wait_exit(program)
    rig.wine("clock", [winpath(os.path.join(os.path.dirname(rig.args.shell), "demo_clock.exe"))])
    clock = idle_cost(rig, "demo_clock.exe", 4, windows=3)
    print(f"idle {ours}, a clock's {clock}", flush=True)
    check(ours[0] <= max(12 * clock[0], 30) and ours[1] <= 3 * max(clock[1], 5),
          f"idle {ours}, a clock's {clock}; the shell heard {heard}; traced {traced!r}")


def wizard(rig, process, title):
    """Presses the default button of each page of an installer or uninstaller (Next, I Agree, Install, Finish) and of
    its message boxes, once it is enabled, until it ends; the message boxes' texts."""
    told = []
    while process.poll() is None:
        for w in rig.windows(visible="1", cls="#32770"):
            buttons = [c for c in rig.windows(w["hwnd"], id="1", visible="1") if not int(c["style"], 16) & WS_DISABLED]
            if w["title"].startswith(title) and buttons:
                told += [t for t in rig.texts(w["hwnd"])[0] if "could not" in t]
                rig.command("command", w["hwnd"], 1)
        time.sleep(0.5)
    return told


def installed(rig):
    """Installed silently per user: the files, a Start menu shortcut, the uninstall entry; an upgrade over the running
    clock, silent and not, keeps the INI byte for byte and starts the clock again. "Start with Windows" writes the Run
    value and removes it; each way a value may name the exe (in a folder with blanks and letters outside 1252) is
    checked in the menu and removed by the uninstaller's question to the exe, another copy's kept; a refused write is
    told. The silent uninstall stops the clock and leaves nothing of ours; one after the folder was deleted by hand
    removes the rest and says what it could not."""
    base = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\"
    run, approved, uninstall = (base + k for k in ("Run", r"Explorer\StartupApproved\Run", r"Uninstall\Clepsydrium"))
    shutil.copy(rig.args.faultable, rig.exe), open(os.path.join(rig.app, "deny-run"), "w").close()
    program, _ = rig.start(None, injected=True)  # so that the menu can be read
    rig.pick("Start with Windows")
    answer_box(rig, "Clepsydrium cannot change whether it starts with Windows")
    check("Clepsydrium" not in (rig.reg(run) or {}) and "Start with Windows" not in rig.checked(), "a refused write")
    rig.pick("Exit"), rig.wait_exit(program)
    rig.start_shell()
    check(rig.wait_exit(rig.wine("setup", [rig.args.setup, "/S"]), 60) == 0, "the installer's exit code")
    entry = rig.reg(uninstall)
    rig.exe = exe = entry["InstallLocation"] + "\\Clepsydrium.exe"  # by its own path, not Z:'s
    folder, settings = prefix_path(rig, entry["InstallLocation"]), b"; mine\n[Configuration]\r\nLowercase=1\r\n"
    open(ini := os.path.join(folder, "Clepsydrium.ini"), "wb").write(settings)
    rig.start_program("installed")
    pid = rig.wait_ticker(None)["pid"]
    for args in (["/S"], []):  # an upgrade over the running clock, silent and through its pages
        setup = rig.wine("upgrade", [rig.args.setup] + args)
        check(args or not wizard(rig, setup, "Clepsydrium 1"), "a message from the installer")
        check(rig.wait_exit(setup, 60) == 0, "the installer's exit code")
        pid = wait_until(lambda: (t := rig.ticker()) and t["visible"] and t["pid"] != pid and t, 10, "docked")["pid"]
        check(open(ini, "rb").read() == settings and len(rig.windows(cls="ClepsydriumSession")) == 1 and not rig.windows(
            visible="1", cls="#32770"), "the settings changed, or not one clock")
    check(sorted(os.listdir(folder)) == ["Clepsydrium.exe", "Clepsydrium.ini", "LICENSE", "README.txt", "Uninstall.exe"]
          and open(os.path.join(folder, "Clepsydrium.exe"), "rb").read() == open(rig.args.exe, "rb").read(),
          f"installed {os.listdir(folder)}")
    check(entry["InstallLocation"].endswith(r"\AppData\Local\Programs\Clepsydrium") and entry["DisplayVersion"] ==
          rig.args.version and entry["Publisher"] and int(entry["EstimatedSize"], 16) > 100 and entry[
          "UninstallString"] == f'"{entry["InstallLocation"]}\\Uninstall.exe"' and not rig.reg(run), entry)
    shortcut = glob.glob(os.path.join(rig.prefix, "drive_c/users/*/AppData/Roaming/Microsoft/Windows/Start Menu/"
                                                   "Programs/Clepsydrium.lnk"))
    check(len(shortcut) == 1, "no Start menu shortcut")
    rig.pick("Exit")
    wait_until(lambda: not rig.windows(cls="ClepsydriumSession"), 10, "the upgraded clock's exit")
    places = entry["InstallLocation"].rsplit("\\", 1)[0] + "\\Clep \u0416 \u03a9"
    # /D= takes the rest of the line unquoted, which only a command line written whole can give it.
    rig.wine("setup", ["cmd", "/c", f"{winpath(rig.args.setup)} /S /D={places}"])
    wait_until(lambda: os.path.exists(prefix_path(rig, places + "\\Uninstall.exe")) and rig.reg(uninstall), 60, places)
    rig.exe = exe = places + "\\Clepsydrium.exe"
    program, _ = rig.start(None, injected=True)

    def run_value(*data):  # the Run value (set first to data, or removed with "-"), read whole; None for none
        reply = rig.command("runvalue", "Clepsydrium", *data)
        return unescape(reply.split("=", 1)[1][:-1]) if reply else None
    short = unescape(rig.command("shortpath", exe).split("=", 1)[1][:-1])
    for value, kind, on, want in (
            (None, None, False, f'"{exe}"'),  # both ways
            (None, None, True, None),
            (r'"C:\Elsewhere\Clepsydrium.exe"', None, False, f'"{exe}"'),  # a moved copy's
            (None, "030000000000000000000000", False, f'"{exe}"')):  # switched off in the start-up list
        if value:
            run_value(value)
        if kind:
            rig.reg(approved, "Clepsydrium", kind, "REG_BINARY")
        check(("Start with Windows" in rig.checked()) == on, f"{value} {kind}: not checked {on}")
        rig.pick("Start with Windows")
        wait_until(lambda: run_value() == want, 5, f"the Run value {want}")
        check((rig.reg(approved) or {}).get("Clepsydrium", "02")[:2] == "02", "still switched off")
    dotted = exe.replace("\\Clepsydrium.exe", "\\.\\x\\..\\Clepsydrium.exe")
    expandable = "%LOCALAPPDATA%" + exe[exe.index("\\Programs\\"):]  # a REG_EXPAND_SZ value, as Windows also runs
    for value, ours, *kind in ((f'"{exe}"', True), (exe + " /min", True), (exe.lower().replace("\\", "/"), True),
                               (dotted.upper(), True), (f'"{short}"', True), (f'"{expandable}" /min', True, "expand"),
                               (r'"C:\Elsewhere\Clepsydrium.exe"', False)):
        run_value(value, *kind)  # as Windows reads a path, and as the uninstaller asks
        check(("Start with Windows" in rig.checked()) == ours, f"{value}: not checked {ours}")
        check(rig.wait_exit(rig.wine("unregister", [exe, "/unregister"])) == 0, "/unregister's exit code")
        check(run_value() == (None if ours else value), f"{value} after /unregister")
    run_value(f'"{short}" /min')
    uninstaller = rig.wine("uninstall", [places + "\\Uninstall.exe", "/S"])
    check(rig.wait_exit(program) == 0 and rig.wait_exit(uninstaller, 30) == 0, "the clock or the uninstaller")
    wait_until(lambda: not os.path.exists(prefix_path(rig, places)), 30, "the folder removed")
    check(rig.reg(uninstall) is None and not os.path.exists(shortcut[0]) and "Clepsydrium" not in {
          **(rig.reg(run) or {}), **(rig.reg(approved) or {})}, "something of ours left")
    check(rig.wait_exit(rig.wine("setup", [rig.args.setup, "/S"]), 60) == 0, "the install")
    shutil.copy(os.path.join(folder, "Uninstall.exe"), uninstall_copy := os.path.join(rig.dir, "Uninstall.exe"))
    shutil.rmtree(folder)
    rig.start_shell("probe")  # only to read the uninstaller's pages
    run_value(first := entry["InstallLocation"].replace("\\", "/") + "/Clepsydrium.exe")  # only the exe reads as its own
    told = wizard(rig, rig.wine("uninstall", [uninstall_copy, "_?=" + entry["InstallLocation"]]), "Clepsydrium 1")
    check(len(told) == 1 and first in told[0] and rig.reg(uninstall) is None and not os.path.exists(shortcut[0]),
          f"the uninstaller told {told}")


def scaled(rig, name, dpis, icons=True):
    """Each ticker sized for its own bar's DPI (a cell: Wine's caption there less 5 px at 100 %, scaled) and its text
    whole, centred across it, as tall beside its bar's clock text as at 100 % (9 of 12 px); on a classic primary bar,
    the blank icons its cells need."""
    def ok():
        s, shot = rig.snap(), rig.screenshot(name)
        for n, (t, dpi) in enumerate(zip(rig.tickers(s), dpis)):
            (w, h), pixels = t["rect"][2:], rig.pixels(shot, t)
            clock = int(s["clock_text_height" if n == 0 else f"secondary.{n}.clock_text_height"])
            xs, ys = zip(*[p for p, c in pixels.items() if c != pixels[(0, 0)]])
            top, bottom = min(ys), h - 3 - max(ys)
            if not (h == {120: 24, 144: 28, 192: 37}.get(dpi, 19) - (5 * dpi + 48) // 96 and w >= 6 * h and min(
                    top, bottom) >= 1 and abs(top - bottom) <= 1 + h // 8 and max(xs) < w - 3 and 0.7 <= (
                    max(ys) - top + 1) / clock / 0.75 <= 1.2 and not (n == 0 and icons and s["icons"] != str(-(
                    -w // h) - 1))):
                raise ValueError(f"bar {n} at {dpi} DPI: {t['rect']}, ink {xs} x {ys}, clock text {clock}, {s['icons']}")
        return True
    rig.mouse_away()
    wait_until(ok, 5, f"each ticker at its bar's scale, {name}")


def scales(rig):
    """The main bar at 100 % beside another monitor's at 150 % (the tests' build, which takes each bar's DPI from the
    taskbar, as Wine has one for all), then each changed while running, the reverse; the whole desktop at 120, 144
    (Windows 11) and 192 DPI. Each ticker sized and drawn for its own bar (see scaled)."""
    shutil.copy(rig.args.faultable, rig.exe)
    program = rig.start_shell(injected=True, monitors=2, scales="100,150")
    scaled(rig, "100-150", [96, 144])
    rig.command("scale", 1, 100)
    rig.command("scale", 0, 150)
    scaled(rig, "150-100", [144, 96])
    rig.pick("Exit")
    check(rig.wait_exit(program) == 0, "exit code")
    shutil.copy(rig.args.exe, rig.exe)
    for dpi in (120, 144, 192):
        subprocess.run(["wineserver", "-k"], env=rig.env, timeout=30, check=False)
        rig.reg(r"HKCU\Control Panel\Desktop", "LogPixels", str(dpi), "REG_DWORD")
        program = rig.start_shell(injected=True, layout="win11" if dpi == 144 else "classic")
        rig.wait_ticker(None)
        scaled(rig, f"desktop-{dpi}", [dpi], icons=dpi != 144)
        rig.pick("Exit")
        check(rig.wait_exit(program) == 0, f"exit at {dpi} DPI")


def lookalike(rig):
    """A tool's look-alike "Shell_TrayWnd" (its own notification area and clock, and another monitor's bar), made
    before the start and after it, classic and Windows 11: the clock docks at once in the shell's own taskbar and gives
    the look-alikes no window and no icon, also when it refits; once they have gone, Exit gives the taskbar back."""
    def another(name):  # of another process, with its own folder and log
        folder = os.path.join(rig.dir, name)
        os.makedirs(folder)
        rig.wine(name, [rig.args.shell], dict(rig.env, CLEP_SHELL_DIR=winpath(folder), CLEP_SHELL_MODE="lookalike",
                                              CLEP_SHELL_MONITORS="2"))
        log = os.path.join(folder, "events.log")
        return folder, log, wait_until(lambda: re.search(r"start mode=lookalike pid=(\d+).*\tready", open(
            log).read(), re.S), 10, f"{name} ready").group(1)

    for layout in ("classic", "win11"):
        rig.start_shell(layout=layout, monitors=2, env=dict(CLEP_SHELL_LOOKALIKE="1"))
        alikes, program = [another(f"before-{layout}")], rig.start_program(f"program-{layout}")
        wait_until(lambda: all(rig.tickers()), 4, "a ticker in each of the shell's bars, at once")
        rig.wait_ticker(None, icons=ICONS if layout == "classic" else 0, timeout=3)
        alikes.append(another(f"after-{layout}"))
        rig.pick("Hours and minutes")
        wait_until(lambda: all(t["text"].count(":") == 1 for t in rig.tickers()), 3, "refitted without seconds")
        time.sleep(1)  # four looks of the watch, and a search for bars
        for folder, log, pid in alikes:
            bars = [w["hwnd"] for w in rig.windows(pid=pid)]
            mine = [c for bar in bars for c in rig.windows(bar) if c["cls"] == "ClepsydriumTicker"]
            check(len(bars) >= 2 and not mine and "copydata" not in open(log).read(), f"{folder}: {mine}, an icon?")
            open(os.path.join(folder, "commands.txt"), "a").write("1\tquit\n")
        wait_until(lambda: not [w for _, _, pid in alikes for w in rig.windows(pid=pid)], 5, "the look-alikes gone")
        if layout == "classic":  # the room made anew once icons reach the shell
            wait_until(lambda: (s := rig.snap())["icons"] == str(icons_for(rig.ticker(s)["rect"][2])), 3, "icons")
        rig.pick("Exit")
        check(rig.wait_exit(program) == 0 and rig.tickers() == [None, None] and rig.snap()["icons"] == "0",
              f"{layout}: a ticker or an icon left")


def horae(rig):
    """The Roman hours on the equator, the zone on the meridian's own time: switched on from the menu, the morning's
    hora on the ticker with its span in the tooltip, and its turn shown within a second; after a new start the night's
    watch; switched off again; the file's keys kept as written."""
    def meridian(solar_hours, ending_in=None):  # where the mean solar time is so, or the hora shown ends that soon
        # Past 180 degrees east is west: the file takes no longitude out of range.
        wrapped = lambda degrees: round((degrees + 180) % 360 - 180, 4)  # noqa
        longitude = wrapped((solar_hours - time.time() % 86400 / 3600) * 15)
        for _ in range(2 * (ending_in is not None)):  # each degree east brings the sun's times 4 minutes sooner
            end = rig.roman_hour(0, longitude, time.time())[3]
            longitude = wrapped(longitude + (end - time.time() - ending_in) / 240)
        rig.zone(round(longitude * 4))
        return longitude

    def shown(longitude):
        want = rig.roman_hour(0, longitude, time.time())
        def on_ticker():  # what it shows instead, in the failure
            text = rig.ticker()["text"].lstrip()
            if text != want[0]:
                raise ValueError(text)
            return True
        wait_until(on_ticker, 3, f"{want[0]} on the ticker")
        return want

    longitude = meridian(9, ending_in=45)
    rig.write_ini(DisplaySeconds=0, Latitude=0, Longitude=f"{longitude:.4f}")
    program, _ = rig.start(None)
    rig.check_clock(seconds=False)
    rig.pick("Roman hours")
    text, name, start, end = shown(longitude)
    span = "{}, {} to {}".format(name, *(time.strftime("%H:%M", time.localtime(t)) for t in (start, end)))
    check(text.startswith("hora ") and rig.tip().startswith(span), f"{text}, not a tooltip from {span}")
    check(rig.ini_values() == {"DisplaySeconds": "0", "Latitude": "0", "Longitude": f"{longitude:.4f}",
                               "RomanHours": "1"}, f"the file: {rig.ini_values()}")
    after = rig.roman_hour(0, longitude, end)[0]
    rig.mouse_away()
    wait_until(lambda: time.time() > end - 1, 60, "the hora's last second")
    check(rig.ticker()["text"].lstrip() == text, "the next hora before its time")
    wait_until(lambda: rig.ticker()["text"].lstrip() == after, 3, f"{after} on the ticker", interval=0.05)
    check(time.time() < end + 1.1, f"{after} shown {time.time() - end:.2f} s after its start")
    rig.command("close", rig.ticker()["hwnd"])
    rig.wait_exit(program)
    longitude = meridian(22)
    rig.write_ini(DisplaySeconds=0, Latitude=0, Longitude=f"{longitude:.4f}", RomanHours=1)
    rig.start_program("night")
    rig.wait_ticker(None)
    check(shown(longitude)[0].startswith("vigilia "), "no watch of the night")
    rig.pick("Roman hours")
    rig.check_clock(seconds=False)
    check(rig.ini_values()["RomanHours"] == "0", f"the file: {rig.ini_values()}")


def prefix_path(rig, path):
    return os.path.join(rig.prefix, "drive_c", *path[3:].split("\\"))


def heard(rig):
    """What a screen reader hears and the keyboard reaches: the ticker a clock named by the time in the user's form and
    in numerals, valued by the date and the Latin date, told once a minute; the blank icons saying the same; a keyboard
    select on one opening the menu beside the ticker with its first item lit, the focus given back after; the calendar
    from it by keys alone, a day by the arrows and a month by PageDown, each day heard by its date; the default action
    the menu too."""
    def read(hwnd):
        out = subprocess.run([WINE, rig.args.access, "read", hwnd], env=rig.env, capture_output=True, text=True,
                             timeout=60).stdout
        return dict(line.split("=", 1) for line in out.splitlines() if "=" in line)

    def heard_since(mark):
        return [line.split("\t") for line in open(watch_log, encoding="utf-8").read().splitlines()[mark:]
                if line.count("\t") == 2]

    def menu_shown():
        menu = rig.wait_window("the menu from the keyboard", cls="#32768")
        x, y, w, h = map(int, menu["rect"].split())
        tx, ty, tw, th = rig.screen_rect()
        check(x >= tx + tw or x + w <= tx or y >= ty + th or y + h <= ty, f"the menu at {menu['rect']} over the ticker")
        return menu["hwnd"]

    def close_menu():
        rig.xdotool("key", "Escape")
        wait_until(lambda: not rig.windows(visible="1", cls="#32768"), 5, "the menu closed")

    # The tests' build, its clock set to a minute's 45th second: the minute turns once the keys are done, not up to
    # a minute later.
    shutil.copy(rig.args.faultable, rig.exe)
    shift = round((45 - time.time() % 60 + 30) % 60 - 30, 3)
    local = lambda: time.localtime(time.time() + shift)  # noqa: E731
    program, ticker = rig.start(None, icons=icons_for(WIDEST + EDGES), injected=True,  # so that the menu can be read
                                env={"CLEP_FAULT_CLOCK_SHIFT_MS": str(int(shift * 1000))})
    watch_log = os.path.join(rig.dir, "heard.log")
    rig.started.append(subprocess.Popen([WINE, rig.args.access, "watch", "150000"], env=rig.env,
                                        stdout=open(watch_log, "w"), stderr=subprocess.DEVNULL))
    wait_until(lambda: "watching" in open(watch_log).read(), 30, "the screen reader's watch")
    now, clock = local(), read(ticker["hwnd"])
    if local().tm_min != now.tm_min:  # read across a minute's turn: again
        now, clock = local(), read(ticker["hwnd"])
    numerals = f"{roman(now.tm_hour)}:{roman(now.tm_min)}"
    check(clock.get("role") == "61" and re.fullmatch(rf"0?{now.tm_hour % 12 or 12}:{now.tm_min:02}( [AP]M)? {numerals}|"
                                                     rf"{now.tm_hour:02}:{now.tm_min:02} {numerals}", clock["name"])
          and clock["action"] == "Open the menu", f"the ticker as heard: {clock}")
    long_date, latin = clock["value"].split("; ")
    check(str(now.tm_year) in long_date and latin.endswith(roman(now.tm_year)), f"its value {clock['value']!r}")
    s = rig.snap()
    tips = [(s[f"icon.{i}.tip"], s[f"icon.{i}.version"]) for i in range(int(s["icons"]))]
    check(tips and all(t == (clock["name"] + "; " + clock["value"], "4") for t in tips), f"the blank icons: {tips}")

    mark = len(rig.read_events().splitlines())
    rig.command("iconevent", 0, 0x401)  # NIN_KEYSELECT: Enter or Space on a blank icon
    menu = menu_shown()
    time.sleep(0.3)
    lit = [line.split("\t")[1] for line in rig.command("menu", menu).splitlines() if line.endswith("\t1")]
    check(lit == ["Set Date/Time"], f"the item lit: {lit}")
    close_menu()
    wait_until(lambda: any(e[1] == "icon" and e[2]["verb"] == "setfocus" for e in rig.events(mark)), 5,
               "the focus given back to the notification area")

    mark = len(heard_since(0))
    rig.command("iconevent", 1, 0x7B)  # WM_CONTEXTMENU: the menu key or Shift+F10
    menu_shown()
    time.sleep(0.5)
    rig.xdotool("key", "--delay", "100", "Down", "Return")  # "Calendar", the second item
    cal = rig.wait_window("the calendar", cls="ClepsydriumCalendar")["hwnd"]

    def focused(day, count):  # the day heard, and what its cell is named, once the calendar shows its month
        months = "Ianuarius Februarius Martius Aprilis Maius Iunius Iulius Augustus September October November December"
        title = f"{months.split()[day.month - 1]} {roman(day.year)}"
        def named():
            cells = [c["title"] for c in day_cells(rig, cal)]
            heard = [e[2] for e in heard_since(mark) if e[0] == "focus"]
            return rig.windows(hwnd=cal)[0]["title"] == title and len(heard) >= count and heard[-1] == cells[
                day.day - 1] and heard[-1]
        return wait_until(named, 5, f"{day} heard")

    today = datetime.date(*local()[:3])
    name = focused(today, 1)
    check(name.startswith(long_date + "; ") and latin.startswith(name.split("; ")[1].split(",")[0]),
          f"today's cell heard as {name!r}, the clock's date {clock['value']!r}")
    for key, day in (("Right", today + datetime.timedelta(1)), ("Down", today + datetime.timedelta(8)),
                     ("Left", today + datetime.timedelta(7)), ("Up", today)):
        rig.xdotool("key", key)
        focused(day, 1 + ["Right", "Down", "Left", "Up"].index(key) + 1)
    rig.xdotool("key", "Next")  # PageDown: the same day a month on, or that month's last
    following = (today.replace(day=28) + datetime.timedelta(7)).replace(day=1)
    last = (following.replace(day=28) + datetime.timedelta(7)).replace(day=1) - datetime.timedelta(1)
    focused(following.replace(day=min(today.day, last.day)), 6)
    rig.xdotool("key", "Escape")
    wait_until(lambda: not rig.windows(cls="ClepsydriumCalendar", hwnd=cal), 5, "Escape to close the calendar")

    out = subprocess.run([WINE, rig.args.access, "act", ticker["hwnd"]], env=rig.env, capture_output=True, text=True,
                         timeout=60).stdout
    check("act=00000000" in out, f"the default action: {out}")
    menu_shown()
    close_menu()
    wait_until(lambda: local().tm_min != now.tm_min, 70, "the next minute", interval=0.2)
    later = "{}:{}".format(*map(roman, local()[3:5]))
    told = lambda: [e[2] for e in heard_since(0) if e[0] == "name" and int(e[1], 16) == int(ticker["hwnd"], 16)]  # noqa
    wait_until(lambda: told() and told()[-1].endswith(" " + later), 5, f"the name change to {later}")
    wait_until(lambda: rig.snap()["icon.0.tip"].split("; ")[0].endswith(" " + later), 5, "the icons' tips told")
    time.sleep(2)  # a second drawn, and another: no name change for them, only one for each minute
    check(len(told()) == len(set(told())), f"name changes heard: {told()}")
    rig.pick("Exit")
    check(rig.wait_exit(program) == 0, "exit code")


if __name__ == "__main__":
    main({f.__name__: f for f in (startup, settings, dialogs, exit, win11, hung_shell, unsaved, calendar, vertical, idle,
                                  installed, scales, lookalike, horae, heard, ends)} | {
        "monitors": lambda rig: every_taskbar(rig, "classic"), "monitors_win11": lambda rig: every_taskbar(rig, "win11"),
        "theme": lambda rig: taskbar_look(rig, "classic"), "theme_win11": lambda rig: taskbar_look(rig, "win11")})
