#!/usr/bin/env python3
"""A seeded soak of the real program: Clepsydrium.exe in the demo taskbar under Wine, driven by a random sequence of
what desktops do, its invariants checked after every step. A failure prints the seed and the step that replays it.

    soak.py [--build build/win64] [--minutes N] [--seed S] [--steps K] [--busy]

Each step is drawn from the seed alone, so `--seed S --steps K` replays a run's first K steps; the rig's folder keeps
the screenshot, the shell's record and the program's trace of a failed run. --busy keeps every core busy meanwhile, as
a machine at work is: messages come late, and races a quiet machine wins show.
"""

import argparse, os, random, signal, subprocess, sys, time, types

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(root, "tests", "e2e"))
import driver  # noqa: E402
from driver import IDCANCEL, IDOK  # noqa: E402

def near(a, b):
    return max(abs(x - y) for x, y in zip(a, b)) <= 8


# The menu's switches that change the text, with their keys and the clock_text style they set.
TOGGLES = {"Lowercase": ("Lowercase", "lower"), "Display 0 as dash": ("ZeroAsDash", "dash"),
           "Medieval script": ("MedievalScript", "medieval")}
DEFAULTS = {"Lowercase": "0", "ZeroAsDash": "0", "MedievalScript": "1", "DisplaySeconds": "1"}
SECONDS = {"0": "Hours and minutes", "1": "Hours, minutes, seconds"}


class Desk:
    """The desktop the steps change and what the program must then show."""

    def __init__(self, rig, rnd):
        self.rig, self.rnd, self.bars, self.hidden, self.win11 = rig, rnd, set(), 0, False
        self.keys, self.saved = dict(DEFAULTS), dict(DEFAULTS)  # the choices made; those the file can hold
        self.read_only, self.told, self.hand, self.windows, self.kind = False, False, [], None, "start"
        self.shown, self.remade = {}, None  # each bar's ticker; the bars whose ticker the step may make anew
        # Where the taskbar runs inside the program's process, its painting shows and its GDI objects count.
        self.injected, self.gdi, self.themed = False, None, False
        self.plugs = 0  # every third bar comes unheard, as when the shell's notice is lost; no draw of the seed

    def step(self):
        """One thing a desktop does, drawn from the seed; its description."""
        kinds = {"edge": 2, "thickness": 1, "extra": 2, "autohide": 2, "secondary": 2, "theme": 2, "colours": 1,
                 "layout": 1, "restart": 1, "hang": 1, "toggle": 3, "calendar": 1, "dialog": 1, "edit": 1,
                 "writable": 1, "kill": 1, "exit": 1, "seconds": 2, "taskbar_colours": 1}
        kind = self.kind = self.rnd.choices(list(kinds), weights=list(kinds.values()))[0]
        self.remade = set()
        if kind in ("toggle", "seconds", "taskbar_colours", "calendar", "dialog", "exit") and self.hidden:
            # An auto-hidden bar has the ticker over its clock, its middle past the notification area's end,
            # where the rig's click at the middle lands on the bar.
            return f"no {kind}: the bar hides"
        return getattr(self, kind)()

    def edge(self):
        edge = self.rnd.choice([3, 3, 1, 0, 2])
        self.rig.command("edge", edge)
        return f"the bar to edge {edge}"

    def thickness(self):
        thickness = self.rnd.choice([30, 40, 62, 80, 100])  # the last ones as vertical bars often are
        self.rig.command("thickness", thickness)
        return f"the bar {thickness} px thick"

    def extra(self):
        extra = self.rnd.choice([0, 10, 40])
        self.rig.command("extra", extra)
        return f"the notification area {extra} px wider"

    def autohide(self):
        self.hidden = 1 - self.hidden  # alone, both ways: each has its own notice
        self.rig.command("autohide", self.hidden)
        return f"auto-hide {self.hidden}"

    def secondary(self):
        number = self.rnd.choice([1, 2])
        if number in self.bars:
            self.rig.command("secondary", number, "remove")
            self.bars.discard(number)
            self.remade.add(number)
            return f"monitor {number + 1} unplugged"
        self.plugs += 1
        unheard = self.plugs % 3 == 0
        self.rig.command("secondary", number, "add", *["unheard"] * unheard)
        self.bars.add(number)
        self.remade.add(number)
        return f"monitor {number + 1} plugged in" + ", its notice lost" * unheard

    def theme(self):
        theme = self.rnd.choice(["dark", "light"])
        self.rig.command("theme", theme)
        self.themed = True  # kept by Windows for every later taskbar
        return f"the {theme} theme"

    def colours(self):
        face, text = self.rnd.choice([(0xC0C0C0, 0), (0, 0xFFFFFF), (0xFFFFFF, 0), (0x800000, 0xFFFF)])
        self.rig.command("syscolours", face, text)  # as high contrast sets them, or the classic colour scheme
        return f"the system's button colours {face:06X} on {text:06X}"

    def rebuild(self):
        self.rig.command("rebuild", *["win11"] * self.win11)
        self.rig.command("broadcast", "TaskbarCreated")  # as Explorer tells every program when it is back
        self.bars, self.remade = set(), None  # the demo taskbar comes back with its first monitor's bar alone

    def layout(self):
        self.win11 = not self.win11
        self.rebuild()
        return f"the {'Windows 11' if self.win11 else 'classic'} taskbar"

    def restart(self):
        self.rebuild()
        return "explorer restarted"

    def hang(self):
        seconds, pid = self.rnd.choice([1, 2, 3]), self.program_pid() if self.injected else self.shell_pid()
        os.kill(pid, signal.SIGSTOP)
        time.sleep(seconds)
        os.kill(pid, signal.SIGCONT)
        return f"the shell{' and the program' * self.injected} hung for {seconds} s"

    def toggle(self):
        caption = self.rnd.choice(sorted(TOGGLES))
        key = TOGGLES[caption][0]
        return self.choose(caption, key, "0" if self.keys[key] == "1" else "1")

    def seconds(self):
        value = "0" if self.keys["DisplaySeconds"] == "1" else "1"
        return self.choose(SECONDS[value], "DisplaySeconds", value)

    def taskbar_colours(self):
        if self.read_only:
            return "no Taskbar colours: the file is read-only"
        self.rig.pick("Taskbar colours")  # no colour of its own chosen: the bars are read again
        self.saved = dict(self.keys)  # its write takes what a failed one kept
        return "Taskbar colours chosen from the menu"

    def choose(self, caption, key, value):
        self.rig.pick(caption)
        self.keys[key] = value
        if not self.read_only:
            self.saved = dict(self.keys)  # what a failed write kept goes with this one
        elif not self.told:  # one message a run, at its first failed write
            box = self.rig.wait_window("the message of the unsaved file", cls="#32770", title="Clepsydrium")["hwnd"]
            self.rig.press(box, IDOK)
            self.told = True
        return f"{caption} chosen from the menu" + " (the file read-only)" * self.read_only

    def calendar(self):
        rig, keys = self.rig, self.rnd.choices([0x21, 0x22, 0x25, 0x26, 0x27, 0x28], k=self.rnd.randint(1, 5))
        rig.pick("Calendar")
        cal = rig.wait_window("the calendar", cls="ClepsydriumCalendar")["hwnd"]
        for key in keys + [0x1B]:  # paged and moved, then Escape
            rig.command("key", cal, key)
        driver.wait_until(lambda: not rig.windows(cls="ClepsydriumCalendar", visible="1"), 5, "the calendar closed")
        return f"the calendar opened, keys {' '.join(f'{k:02X}' for k in keys)}, closed"

    def dialog(self):
        caption, button = self.rnd.choice([("About", IDOK), ("Set font", IDCANCEL), ("Text colour", IDCANCEL),
                                           ("Background", IDCANCEL)])
        self.rig.pick(caption)
        dialog = self.rig.wait_window(f"the {caption} dialog", cls="#32770")["hwnd"]
        # The desktop goes on while a dialog is open: its loop, not the program's, then runs.
        meanwhile = getattr(self, self.rnd.choice(["secondary", "edge", "theme", "extra"]))() + " meanwhile, "
        self.rig.press(dialog, button)
        return f"{caption} opened, {meanwhile}closed"

    def edit(self):
        if self.read_only:
            return "no hand edit: the file is read-only"
        line = f"; noted by hand {len(self.hand) + 1}"
        with open(self.rig.ini, "ab") as out:
            out.write(f"{line}\r\n".encode())
        self.hand.append(line)
        return f"the file edited by hand ({line!r} added)"

    def writable(self):
        self.read_only = not self.read_only
        os.chmod(self.rig.ini, 0o444 if self.read_only else 0o644)
        return f"the file made {'read-only' if self.read_only else 'writable'}"

    def kill(self):
        os.kill(self.program_pid(), signal.SIGKILL)
        if self.injected:
            self.rig.wait_exit(self.rig.shell)
        else:
            driver.wait_until(lambda: not self.rig.windows(cls="ClepsydriumSession"), 10, "the program gone")
        self.keys = dict(self.saved)  # what was not written is lost with it
        return self.start("killed and started again")

    def exit(self):
        if self.read_only:  # its last write would fail: the user is told, and that is the unsaved scenario's
            return "no Exit: the file is read-only"
        self.rig.pick("Exit")
        if self.injected:  # the taskbar goes with it
            driver.check(self.rig.wait_exit(self.rig.shell) == 0, f"exit code {self.rig.shell.returncode}")
        else:
            s = driver.wait_until(lambda: not self.rig.windows(cls="ClepsydriumSession") and self.rig.snap(), 10,
                                  "the program gone after Exit")
            # A killed one's icons stay, as Explorer's do until it next looks at them: this one's must go.
            left = [i for i in range(int(s["icons"])) if s[f"icon.{i}"].split()[0] == self.shown.get(0)]
            driver.check(not left and self.rig.ticker(s) is None, f"left in the shell after Exit: {s}")
        self.saved = dict(self.keys)
        return self.start("Exit, then started again")

    def start(self, what):
        """The program started (again), now and then in a zone where midnight comes within a minute; half the time with
        the taskbar inside its process, which then starts anew too."""
        if self.rnd.random() < 0.3:
            now = time.gmtime()
            shift = (23 * 60 + 59 - now.tm_hour * 60 - now.tm_min) % 1440
            self.rig.zone(shift - 1440 * (shift > 720))
            what += ", a minute before midnight"
        injected, self.injected = self.injected, self.rnd.random() < 0.5
        if injected or self.injected or not self.rig.shell:  # a taskbar of its own: one bar at the bottom, classic, not hiding
            self.rig.start_shell(injected=self.injected)
            self.bars, self.hidden, self.win11 = set(), 0, False
        if not self.injected:
            self.rig.start_program(f"program-{len(self.rig.started)}")
        self.windows, self.gdi, self.rss, self.told, self.remade = None, None, None, False, None
        return what + ", the taskbar inside its process" * self.injected

    def shell_pid(self):
        return next(p for p in driver.wine_processes(self.rig.prefix)
                    if b"demo_taskbar" in open(f"/proc/{p}/cmdline", "rb").read())

    def program_pid(self):
        return next(p for p in driver.wine_processes(self.rig.prefix)
                    if open(f"/proc/{p}/comm").read().startswith("Clepsydrium"))

    def alive(self, hwnd):
        try:
            return bool(self.rig.command("info", hwnd))
        except AssertionError:  # no such window
            return False

    def check(self):
        """Every bar has one ticker, shown, inside its bar, the same while its bar stays; it shows the Roman time in the
        chosen style; every blank icon of a live window is the primary ticker's; the file holds the choices and the
        lines added by hand; the program answers within a second, and its windows and working set stay bounded
        (see painted for a taskbar inside its process)."""
        rig = self.rig
        def docked():  # the bars there now, an unplugged one's slot aside
            s = rig.snap()
            tickers = [t for n, t in enumerate(rig.tickers(s)) if n == 0 or s[f"secondary.{n}"] != "0x0"]
            return all(t and t["visible"] for t in tickers) and (s, tickers)
        s, tickers = driver.wait_until(docked, 10, "a shown ticker in each bar")
        # A bar the step left alone keeps its ticker: one taken down and made anew had gone a moment.
        shown = {n: t["hwnd"] for n, t in enumerate(rig.tickers(s)) if t}
        kept = {n for n in shown.keys() & self.shown.keys() if self.remade is not None and n not in self.remade}
        driver.check(all(shown[n] == self.shown[n] for n in kept), f"a ticker made anew: {self.shown} then {shown}")
        self.shown = shown
        if not self.hidden and s["clock_shown"] == "1":
            driver.wait_until(self.beside_clock, 3, "the primary ticker beside the shell's clock, not over it")
        # A killed program's icons stay until the shell next looks at them, as Explorer's do.
        owners = {o for o in (s[f"icon.{i}"].split()[0] for i in range(int(s["icons"]))) if self.alive(o)}
        driver.check(owners <= {tickers[0]["hwnd"]}, f"blank icons of {owners}, the ticker {tickers[0]['hwnd']}")
        style = {flag: self.keys[key] == "1" for key, flag in TOGGLES.values()}
        rig.check_clock(seconds=self.keys["DisplaySeconds"] == "1", **style)
        values, text = rig.ini_values(), (rig.read_ini() or b"").decode(errors="replace")
        driver.check(all(values.get(k, DEFAULTS[k]) == v for k, v in self.saved.items()) and
                     all(line in text for line in self.hand), f"the file {text!r}, the choices {self.saved}")
        session = rig.windows(cls="ClepsydriumSession")[0]["hwnd"]
        ms = int(rig.command("settext", session, "", timeout=30).split("=")[1])
        driver.check(ms < 1000, f"answered in {ms} ms")
        # Its top-level windows: the session's, the tickers' frames on the classic bar, tooltips, menus made once.
        windows = len([w for w in rig.windows() if w["pid"] == tickers[0]["pid"]])
        self.windows = self.windows or windows + 16
        driver.check(windows <= self.windows, f"{windows} top-level windows")
        rss = int(open(f"/proc/{self.program_pid()}/status").read().split("VmRSS:")[1].split()[0])
        self.rss = self.rss or rss + 64 * 1024
        driver.check(rss < self.rss, f"a working set of {rss} kB")
        if self.injected:
            self.painted([t for t in tickers if t])

    def beside_clock(self):
        """On a bar that does not hide, the primary ticker covers no more than a pixel of the shell's clock (classic),
        or of the notification area (Windows 11)."""
        s = self.rig.snap()
        ticker = self.rig.tickers(s)[0]["rect"]
        if self.rig.tickers(s)[0]["parent"] == "child":  # both in the notification area
            clock = [int(v) for v in s["clock_rect"].split()]
        else:  # both in the bar
            clock = next([int(v) for v in s[k[:-6] + ".rect"].split()] for k, v in s.items()
                         if k.startswith("bar.") and k.endswith(".class") and v == "TrayNotifyWnd")
        return min(min(a + n, b + m) - max(a, b) for a, n, b, m in zip(ticker[:2], ticker[2:], clock[:2], clock[2:])) <= 1

    def painted(self, tickers):
        """Each ticker in its bar's look, its text black or white, whichever is farther from its background; its face
        drawn whole, as a repaint of it draws it; the process's GDI objects bounded."""
        rig = self.rig
        rig.mouse_away()  # and its tooltip
        def look():
            found, _ = rig.looks("look")
            # At midnight a stacked ticker without dashes shows no numeral, and so no ink.
            inked = [any(c.isalpha() for c in t["text"]) for t in filter(None, rig.tickers())]
            if not all(near(f["back"], f["bar"]) and (f["text"] == ((255,) * 3 if sum(f["back"]) < 383 else (0,) * 3)
                                                      or not ink) for f, ink in zip(found, inked)):
                raise ValueError(found)
            return True
        if self.themed and not self.hidden:  # classic: the system's colours; hiding: the ticker stands over the clock
            driver.wait_until(look, 5, "every ticker in its bar's look")
        def whole():
            time.sleep(1.05 - time.time() % 1)  # just after the second's text is drawn, for both shots to hold it
            texts = lambda: [t["text"] for t in filter(None, rig.tickers())]  # noqa: E731
            before, first = texts(), rig.screenshot("drawn")
            for t in tickers:
                rig.command("repaint", t["hwnd"])
            second = rig.screenshot("redrawn")
            if texts() != before:
                raise ValueError("the time changed between the shots")
            for t in tickers:
                drawn, redrawn = rig.pixels(first, t), rig.pixels(second, t)
                driver.check(drawn == redrawn, f"{t['parent']} ticker {t['rect']} not drawn whole: "
                             f"{sum(drawn[p] != redrawn.get(p) for p in drawn)} pixels differ from its repaint")
            return True
        driver.wait_until(whole, 10, "two shots of the same time")
        objects = min(int(rig.command("gdi").split("=")[1]) for _ in range(3))  # a paint holds two for a moment
        # The calendar's first opening keeps about 180 (none more at the next), the menu's about 30.
        self.gdi = self.gdi or objects + 300
        driver.check(objects <= self.gdi, f"{objects} GDI objects, over {self.gdi}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=os.path.join(root, "build", "win64"))
    parser.add_argument("--minutes", type=float, default=2)
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--steps", type=int, default=None)
    parser.add_argument("--busy", action="store_true")
    options = parser.parse_args()
    seed = options.seed if options.seed is not None else random.SystemRandom().randrange(1 << 32)
    build = os.path.abspath(options.build)
    tools = os.path.join(build, "tools", "demo-taskbar")
    args = types.SimpleNamespace(
        exe=os.path.join(build, "src", "windows", "Clepsydrium.exe"), shell=os.path.join(tools, "demo_taskbar.exe"),
        work=os.path.join(build, "soak"), menu=os.path.join(build, "tests", "e2e", "menu_table.exe"),
        inject=os.path.join(tools, "demo_inject.exe"), dll=os.path.join(tools, "demo_taskbar.dll"))
    rnd, done, last = random.Random(seed), 0, []
    end = time.monotonic() + options.minutes * 60
    span = f"{options.steps} steps" if options.steps else f"as many steps in at most {options.minutes:g} min"
    print(f"soak: seed {seed}, {span}{', every core busy' * options.busy}", flush=True)
    # Each spins until the soak ends, however it ends.
    spin = "import os\nparent = os.getppid()\nwhile os.getppid() == parent: pass"
    for _ in range(os.cpu_count() * options.busy):
        subprocess.Popen([sys.executable, "-c", spin])
    with driver.Rig(args, f"seed-{seed}") as rig:
        rig.write_ini(Trace=1)  # the program's own record of what failed
        desk = Desk(rig, rnd)
        try:
            last.append(desk.start("started"))
            desk.check()
            while (options.steps is None or done < options.steps) and (options.steps or time.monotonic() < end):
                done += 1  # the step a failure is in, which the replay runs to
                last.append(desk.step())
                desk.check()
        except Exception as error:  # noqa: B902 a rig's failure too is a seed to replay
            print(f"soak FAILED in step {done} ({desk.kind}) of seed {seed}: {error}\nthe steps before: " + "; ".join(last[-8:]) +
                  f"\nreplay: scripts/soak.sh --seed {seed} --steps {done}{' --win32' * build.endswith('win32')}"
                  f"{' --busy' * options.busy}"
                  f"\nrecords in {rig.dir} (steps.txt: every step)", flush=True)
            raise SystemExit(1)
        finally:  # a replay's list is the same as its seed's, up to its last step
            with open(os.path.join(rig.dir, "steps.txt"), "w") as out:
                out.writelines(f"{n} {what}\n" for n, what in enumerate(last))  # 0: the start
    print(f"soak passed: seed {seed}, {done} steps" + f" in {options.minutes:g} min or less" * (not options.steps),
          flush=True)


if __name__ == "__main__":
    main()
