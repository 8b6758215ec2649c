"""The rig: a scenario's own Xvfb, Wine prefix, exe copy (so INI) and demo taskbar, all stopped however it ends."""

import argparse, collections, contextlib, fcntl, glob, os, re, shutil, signal, subprocess, sys, time

IDOK, IDCANCEL = 1, 2
# The geometry at 100 %: a cell is Wine's caption (19 px) less 5; a ticker is a cell high and as wide as its widest
# line and its 1-px edges (or its cells); the top-left place in a tray with room is (0, 5); one blank icon fewer than
# the cells the ticker spans, a part of a cell counting, makes room for it.
CELL, EDGES, TOP_LEFT_AT = 19 - 5, 2, [0, 5]


def icons_for(width):
    return max(2, -(-width // CELL) - 1)


def top_left(width):
    return TOP_LEFT_AT + [width, CELL]


WIDEST = 103  # XVIII:XXXVIII:XXXVIII in MS Sans Serif, 8 points
TOP_LEFT, ICONS = top_left(WIDEST + EDGES), icons_for(WIDEST + EDGES)
WS_DISABLED, WS_BORDER, WS_EX_STATICEDGE = 0x08000000, 0x00800000, 0x00020000
QUIET = dict(stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WINE = os.path.join(ROOT, "scripts", "wine")  # the loader this machine can start


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def wait_until(predicate, timeout, what, interval=0.05):
    deadline, last = time.monotonic() + timeout, None
    while True:
        try:
            last = predicate()
            if last:
                return last
        except (OSError, ValueError, KeyError, IndexError, TypeError) as error:
            last = error
        check(time.monotonic() < deadline, f"timed out after {timeout} s waiting for {what} (last: {last!r})")
        time.sleep(interval)


def clock_text(moment, seconds=True, medieval=True, dash=False, lower=False):
    """The Roman time of a moment, as a ticker's text shows it after its leading blanks."""
    t = time.localtime(moment)
    text = ":".join(roman(p, medieval) if p else "-" if dash else "" for p in [t.tm_hour, t.tm_min] + [t.tm_sec] * seconds)
    return text.lower() if lower else text


def roman(number, subtractive=True):
    digits = [(1000, "M"), (900, "CM"), (500, "D"), (400, "CD"), (100, "C"), (90, "XC"), (50, "L"), (40, "XL"), (10, "X"),
              (9, "IX"), (5, "V"), (4, "IV"), (1, "I")]
    text = ""
    for value, letters in digits:
        text, number = text + letters * (number // value), number % value
    return text if subtractive else text.replace("IX", "VIIII").replace("IV", "IIII").replace("XC", "LXXXX").replace(
        "XL", "XXXX")


def winpath(path):
    return path if re.match(r"[A-Z]:\\", path) else "Z:" + os.path.abspath(path).replace("/", "\\")


def unescape(text):  # the taskbar's escapes are Python's
    return text.encode("latin-1", "backslashreplace").decode("unicode_escape")


def idle_cost(rig, name, seconds, windows=1):
    """A Windows program's voluntary context switches a second (all its threads), and its and the wineserver's CPU
    in clock ticks, over the seconds after it has started: the least of each over as many windows of them, since Wine
    and a busy machine add bursts that a program's own cost does not."""
    def process(comm):  # wine starts each through start.exe: the one of that name
        return wait_until(lambda: [p for p in wine_processes(rig.prefix)
                                   if open(f"/proc/{p}/comm").read().startswith(comm[:15])], 10, comm)[0]

    def sample():
        switches = sum(int(open(s).read().split("voluntary_ctxt_switches:")[1].split()[0])
                       for s in glob.glob(f"/proc/{pid}/task/*/status") if os.path.exists(s))
        return switches, sum(sum(map(int, open(f"/proc/{p}/stat").read().split(") ")[-1].split()[11:13]))
                                 for p in (pid, server))
    pid, server = process(name), process("wineserver")
    time.sleep(2)  # past the start
    samples = [sample()]
    for _ in range(windows):
        time.sleep(seconds)
        samples.append(sample())
    return (min((b[0] - a[0]) / seconds for a, b in zip(samples, samples[1:])),
            min(b[1] - a[1] for a, b in zip(samples, samples[1:])))


def wine_processes(prefix):
    """Live PIDs whose environment names this Wine prefix."""
    found, marker = [], b"\0WINEPREFIX=" + os.fsencode(prefix) + b"\0"
    for pid in filter(str.isdigit, os.listdir("/proc")):
        with contextlib.suppress(OSError):  # it may have ended meanwhile
            if marker in b"\0" + open(f"/proc/{pid}/environ", "rb").read() and \
                    open(f"/proc/{pid}/stat").read().split(") ")[-1][:1] != "Z":
                found.append(int(pid))
    return found


def prepared(work, name, *commands):
    """A folder made once per work folder by commands (a locale), under a lock."""
    path = os.path.join(work, name)
    with open(path + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if not os.path.exists(path + ".ready"):
            shutil.rmtree(path, ignore_errors=True)
            for command in commands:
                subprocess.run([a.replace("@", path) for a in command], check=True, timeout=300, **QUIET)
            open(path + ".ready", "w").close()
    return path


def ticker_in(s, places=("child", "bar")):
    """From the taskbar's state: the ticker in the tray ("child") or, as on Windows 11, in the bar itself ("bar"); or
    in other bars."""
    for key in [f"{where}.{i}" for where in places for i in range(int(s.get(where + ".count", 0)))]:
        if s[key + ".class"] == "ClepsydriumTicker":
            return dict(hwnd=s[key], parent=key.split(".")[0], z=int(key.split(".")[1]), pid=s[key + ".pid"],
                        rect=[int(v) for v in s[key + ".rect"].split()], visible=s[key + ".visible"] == "1",
                        style=int(s[key + ".style"], 16), exstyle=int(s[key + ".exstyle"], 16),
                        face=[int(v) for v in s.get(key + ".0.rect", "0 0 0 0").split()],
                        text=unescape(s.get(key + ".0.text", "")))


def tickers_in(s):
    """The primary's ticker, then those of the other monitors' bars 1, 2, ... (None for a bar without)."""
    return [ticker_in(s)] + [ticker_in(s, (f"s{n}",)) for n in range(1, int(s["secondary.count"]) + 1)]


def screen_rect(t, s):
    bar = {"child": "tray_origin", "bar": "taskbar_rect"}.get(t["parent"], f"secondary.{t['parent'][1:]}.rect")
    ox, oy = (int(v) for v in s[bar].split()[:2])
    return [ox + t["rect"][0], oy + t["rect"][1]] + t["rect"][2:]


def glyph_runs(pixels):
    """In {(x, y): (r, g, b)}: the commonest colour, the others' counts, and the runs of columns that hold another
    colour (a glyph each, in a bitmap font)."""
    counts = collections.Counter(pixels.values())
    background = counts.most_common(1)[0][0]
    columns = {x for (x, _), c in pixels.items() if c != background}
    return background, {c: n for c, n in counts.items() if c != background}, len(columns - {x + 1 for x in columns})


def crop_pixels(shot, rect):
    """The pixels of a screenshot inside rect [x, y, w, h], as {(x, y): (r, g, b)}."""
    x, y, w, h = rect
    out = subprocess.run(["convert", shot, "-crop", f"{w}x{h}+{x}+{y}", "+repage", "-depth", "8", "txt:-"],
                         check=True, capture_output=True, text=True, timeout=30).stdout
    found = re.findall(r"^(\d+),(\d+):.*#([0-9A-Fa-f]{6})", out, re.M)
    return {(int(x), int(y)): tuple(bytes.fromhex(c)) for x, y, c in found}


def tray_changes(events):
    """The shell's record of icons added or removed; a tip told anew each minute, or an icon's version, makes no room."""
    return [e for e in events if e[1] == "icon" and e[2]["verb"] not in ("modify", "version")]


def read_state(path):
    return dict(line.split("=", 1) for line in open(path).read().splitlines() if "=" in line)


class Rig:

    def __init__(self, args, name):
        self.args, self.dir = args, os.path.join(args.work, name)
        self.prefix, self.app = os.path.join(self.dir, "prefix"), os.path.join(self.dir, "app")
        self.exe, self.ini = (os.path.join(self.app, f) for f in ("Clepsydrium.exe", "Clepsydrium.ini"))
        self.started, self.display, self.shell, self.shells, self.injected = [], None, None, 0, False

    def __enter__(self):
        self.env = {k: v for k, v in os.environ.items() if not k.startswith("CLEP_SHELL_") and k != "DISPLAY"}
        self.env.update(WINEPREFIX=self.prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=", LC_ALL="C.UTF-8")
        self.env["TZ"] = os.environ["TZ"] = "CLP-9:30"  # off UTC by a part of an hour; pin_time sets its own
        time.tzset()
        shutil.rmtree(self.dir, ignore_errors=True)
        os.makedirs(self.app)
        try:
            # Windows' "MS Sans Serif" (Debian's fonts-wine) gives the ticker the look and the widths it has there.
            template = os.path.join(ROOT, "build", "prefix-with-fonts")
            subprocess.run([os.path.join(ROOT, "scripts", "wine-prefix"), template, "/usr/share/wine/fonts/sserife.fon"],
                           env=self.env, check=True, timeout=300)
            subprocess.run(["cp", "-a", template, self.prefix], check=True)
            shutil.copy(self.args.exe, self.exe)
            with open(os.path.join(self.dir, "display"), "w") as out:
                xvfb = ["Xvfb", "-displayfd", str(out.fileno()), "-screen", "0", "1024x768x24", "-nolisten", "tcp"]
                self.started.append(subprocess.Popen(xvfb + ["-noreset"], pass_fds=[out.fileno()], **QUIET))
            number = wait_until(lambda: re.fullmatch(r"(\d+)\n", open(out.name).read()), 20, "Xvfb's display")
            self.display = self.env["DISPLAY"] = ":" + number.group(1)
        except BaseException as error:
            self.__exit__(type(error), error, None)
            raise
        return self

    def __exit__(self, kind, error, trace):
        signal.signal(signal.SIGTERM, signal.SIG_IGN)  # a second signal must not cut this short
        signal.signal(signal.SIGINT, signal.SIG_IGN)
        if kind is not None and self.display:
            self.screenshot("failure")
        with contextlib.suppress(AssertionError, AttributeError):  # a coverage build writes its counts on exit
            if os.environ.get("CLEP_COVERAGE") and [self.command("close", w["hwnd"]) for w in self.windows(
                    cls="ClepsydriumSession")]:  # then waits for every process but the demo taskbar's
                wait_until(lambda: all(p.poll() is not None for p in self.started[1:]
                                       if p != self.shell or self.injected), 10, "the programs' exit")
        subprocess.run(["wineserver", "-k"], env=self.env, timeout=30, check=False, **QUIET)
        deadline = time.monotonic() + 10
        while left := wine_processes(self.prefix) + [p.pid for p in self.started[1:] if p.poll() is None]:
            if time.monotonic() > deadline:
                subprocess.run(["kill", "-9"] + [str(pid) for pid in left], **QUIET)
            time.sleep(0.05)
        for process in self.started:  # Xvfb last
            process.terminate()
            process.wait(timeout=10)
        shutil.rmtree(self.prefix, ignore_errors=True)

    def move_app(self, folder, exe):
        """The exe in another folder and under another name, before the program starts."""
        app = os.path.join(self.dir, folder)
        os.renames(self.exe, os.path.join(app, exe))
        self.app, self.exe, self.ini = app, os.path.join(app, exe), os.path.join(app, "Clepsydrium.ini")

    def pin_time(self, hour, minute, wait=True):
        """A time zone in which it is hour:minute, for 20 s at least unless not waited for, for Wine and for
        clock_text; the moment it was set at."""
        if wait:
            wait_until(lambda: time.gmtime().tm_sec < 40, 25, "the start of a minute", interval=0.5)
        moment = time.time()
        now = time.gmtime(moment)
        shift = (hour * 60 + minute - now.tm_hour * 60 - now.tm_min) % 1440
        self.zone(shift - 1440 * (shift > 720))
        return moment

    def zone(self, east):
        """A time zone east minutes ahead of UTC, for Wine and for this process's own local times."""
        self.env["TZ"] = os.environ["TZ"] = f"CLP{'+-'[east >= 0]}{abs(east) // 60}:{abs(east) % 60:02}"
        time.tzset()

    def roman_hour(self, latitude, longitude, moment):
        """What the ticker shows at a moment, by the program's own count: (text, name, from, to), the span in s."""
        line = subprocess.run([WINE, self.args.hours, str(latitude), str(longitude), str(int(moment))], env=self.env,
                              capture_output=True, text=True, timeout=60, check=True).stdout.strip()
        text, name, start, end = line.split("|")
        return text, name, int(start), int(end)

    def wine(self, name, command, env=None):
        self.started.append(subprocess.Popen([WINE] + command, env=env or self.env, cwd=self.app, stderr=-2,
                                             stdout=open(f"{self.dir}/{name}.log", "wb")))
        return self.started[-1]

    def start_shell(self, mode="full", injected=False, env=None, **settings):
        """The demo taskbar, or injected into the program so that its painting shows; ready for the program to find."""
        if self.shell and self.shell.poll() is None:
            self.command("quit")
            self.wait_exit(self.shell)
        self.shells += 1
        self.shell_dir = os.path.join(self.dir, f"shell{self.shells}")
        os.makedirs(self.shell_dir)
        self.seq, self.events_path, self.injected = 0, os.path.join(self.shell_dir, "events.log"), injected
        env = dict(self.env, **(env or {}), CLEP_SHELL_DIR=winpath(self.shell_dir), CLEP_SHELL_MODE=mode)
        env.update({"CLEP_SHELL_" + k.upper(): str(v) for k, v in settings.items()})
        command = [self.args.inject, winpath(self.args.dll), winpath(self.exe)] if injected else [self.args.shell]
        self.shell = self.wine(f"shell{self.shells}", command, env)
        wait_until(lambda: check(self.shell.poll() is None, f"the taskbar ended: {self.read_events()[-300:]}")
                   or "\tready" in self.read_events(), 30, "the demo taskbar")
        return self.shell

    def start_program(self, name="program"):
        return self.wine(name, [self.exe])

    def start(self, rect=TOP_LEFT, icons=0, **shell):
        """The taskbar and the program in it; the program's process and its ticker once ready (see wait_ticker)."""
        program = self.start_shell(**shell)  # injected, the taskbar's process is the program's
        return (program if shell.get("injected") else self.start_program()), self.wait_ticker(rect, icons)

    def wait_exit(self, process, timeout=10):
        return wait_until(lambda: process.poll() is not None, timeout, "a process to end") and process.returncode

    def read_events(self):
        return open(self.events_path, encoding="utf-8").read() if os.path.exists(self.events_path) else ""

    def events(self, mark=0):
        """The events after the mark, as (tick in ms, kind, {field: value, "verb": first word})."""
        lines = [(tick, rest.split(" ") + [""]) for tick, _, rest in
                 (line.partition("\t") for line in self.read_events().splitlines()[mark:])]
        return [(int(tick), w[0], dict([x.split("=", 1) for x in w if "=" in x], verb=w[1])) for tick, w in lines]

    def command(self, verb, *args, timeout=10):
        """Sends a command to the taskbar; returns its reply once it is done."""
        self.seq += 1
        with open(os.path.join(self.shell_dir, "commands.txt"), "a") as f:
            f.write("\t".join(map(str, [self.seq, verb, *args])) + "\n")
        done = re.compile(rf"\tdone seq={self.seq} ok=(\d)(?: error=(.*))?$", re.M)
        found = wait_until(lambda: done.search(self.read_events()) or check(
            self.shell.poll() is None, "the taskbar has ended"), timeout, f"the taskbar's answer to {verb}")
        check(found.group(1) == "1", f"taskbar command {verb} {args}: {found.group(2)}")
        return open(os.path.join(self.shell_dir, f"reply-{self.seq}.txt"), encoding="utf-8").read()

    def snap(self):
        self.command("snap")
        state = open(os.path.join(self.shell_dir, "state.txt"), encoding="utf-8").read().splitlines()
        return dict(line.split("=", 1) for line in state if "=" in line)

    def windows(self, parent="", **match):
        """The top-level windows, or a window's controls, that match (visible="1" for the shown ones)."""
        names = "hwnd id cls title rect style visible" if parent else "hwnd pid visible cls title rect"
        reply = self.command("controls", parent) if parent else self.command("windows")
        found = [dict(zip(names.split(), map(unescape, line.split("\t")))) for line in reply.splitlines()]
        return [w for w in found if all(w[k] == v for k, v in match.items())]

    def texts(self, hwnd):
        return ([c["title"] for c in self.windows(hwnd, cls="Static") if c["title"]],
                [c["title"] for c in self.windows(hwnd, cls="Button", visible="1")])

    def wait_window(self, what, timeout=10, **match):
        return wait_until(lambda: self.windows(visible="1", **match), timeout, what, interval=0.1)[0]

    def press(self, dialog, button):
        """Presses a dialog's button; returns once the dialog has gone."""
        self.command("command", dialog, button)
        wait_until(lambda: not self.windows(visible="1", hwnd=dialog), 10, f"dialog {dialog} to close")

    def ticker(self, s=None, places=("child", "bar")):
        return ticker_in(s or self.snap(), places)

    def wait_ticker(self, rect=TOP_LEFT, icons=0, timeout=20):
        """The ticker once shown at rect (None: anywhere; or from the state) with room for it: icons blank icons."""
        def ready():
            t = self.ticker(s := self.snap())
            # NIF_MESSAGE, NIF_TIP, NIF_SHOWTIP; WM_APP + 1
            mine = [f"{t['hwnd']} {i} 0x85 0x8001" for i in range(1, icons + 1)]
            return t["visible"] and (rect(s) if callable(rect) else rect) in (None, t["rect"]) and (
                not icons or [s[f"icon.{i}"] for i in range(int(s["icons"]))] == mine) and t
        return wait_until(ready, timeout, f"the ticker at {rect} with {icons} icons")

    def tickers(self, s=None):
        return tickers_in(s or self.snap())

    def screen_rect(self, t=None, s=None):
        s = s or self.snap()
        return screen_rect(t or ticker_in(s), s)

    def check_clock(self, **style):
        """The face shows the Roman time of the second in which it is read (one 100 ms redraw tick late at most)."""
        def matches():
            now, text = time.time(), self.ticker()["text"].lstrip()
            if text not in [clock_text(s, **style) for s in range(int(now - 0.25), int(time.time()) + 1)]:
                raise ValueError(f"{text!r} at {time.ctime(now)}, {style}")
            return True
        wait_until(matches, 2, "the Roman time on the ticker")

    def watch_ticks(self, count):
        time.sleep(0.25 * count + 0.1)  # the watch asks the shell nothing: its looks cannot be counted

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, check=True, timeout=20, **QUIET)

    def right_click_ticker(self, t=None):
        x, y, w, h = self.screen_rect(t)
        self.xdotool("mousemove", x + w // 2, y + h // 2, "click", "3")  # no --sync: no move if already there

    def menu_captions(self):
        """The menu's captions in order, from the program's own table."""
        if not getattr(self, "captions", None):
            self.captions = subprocess.run([WINE, self.args.menu], env=self.env, capture_output=True, text=True,
                                           timeout=60, check=True).stdout.splitlines()
        return self.captions

    def pick(self, caption, t=None):
        """Picks the first menu item whose caption starts so, with the keyboard, in the order of the menu's table."""
        for attempt in range(3):  # a click as a refit moves the ticker can land where it was: click it again
            fresh = t and next((u for u in self.tickers() if u and u["hwnd"] == t["hwnd"]), t)
            self.right_click_ticker(fresh)
            try:
                menu = self.wait_window("the context menu", timeout=3 if attempt < 2 else 10, cls="#32768")["hwnd"]
                break
            except AssertionError:
                if attempt == 2:
                    raise
        time.sleep(0.5)  # shown a moment before its loop takes keys: without, the first ones may go astray
        downs = 1 + [c.startswith(caption) for c in self.menu_captions() if c != "-"].index(True)
        self.xdotool("key", "--delay", "40", *(["Down"] * downs))
        # On a busy machine a key may be lost: where the taskbar can read the menu (inside the program's process),
        # the item lit is checked, and the walk mended, before Return.
        time.sleep(0.2)
        for _ in range(20):
            try:
                shown = [i for i in (line.split("\t") for line in self.command("menu", menu).splitlines())
                         if len(i) == 3 and i[1]]  # separators have no caption
            except AssertionError:  # a taskbar in its own process cannot read the menu
                shown = []
            lit = [n for n, i in enumerate(shown) if i[2:] == ["1"]]
            want = [n for n, i in enumerate(shown) if i[1].startswith(caption)]
            if not shown or not want or lit == want[:1]:
                break
            self.xdotool("key", "Down" if not lit or lit[0] < want[0] else "Up")
            time.sleep(0.1)
        self.xdotool("key", "Return")

    def mouse_away(self, rest=0.3):
        """The mouse off every ticker and no tooltip left, which would cover a ticker in a screenshot; the tips."""
        tips = lambda: [w["title"] for w in self.windows(visible="1", cls="tooltips_class32") if w["title"]]  # noqa
        self.xdotool("mousemove", 1000, 10)
        wait_until(lambda: not tips(), 10, "the last tooltip gone")
        time.sleep(rest)  # a tooltip hidden by its time-out sees the leave only at its next check
        return tips

    def tip(self, t=None, wait=True):
        """Hovers the ticker: the text of the tooltip then shown; or checks that none shows."""
        def hover(rest=0.3):
            tips = self.mouse_away(rest)
            x, y, w, h = self.screen_rect(t and next((u for u in self.tickers() if u and u["hwnd"] == t["hwnd"]), t))
            # The first move gives the tooltip its text, the second starts its delay, which any later move restarts.
            self.xdotool("mousemove", x + w // 2, y + h // 2, "sleep", 0.3, "mousemove", x + w // 2 + 1, y + h // 2)
            return tips
        tips = hover()
        if wait:
            # Under load the show timer can miss the hover, or a refit move the ticker from under it, as under a hand;
            # a user then leaves, long enough for the tooltip's own check to see it, and comes back to where it is now.
            try:
                return wait_until(tips, 3, "a tooltip over the ticker")[0]
            except AssertionError:
                tips = hover(rest=1)
                return wait_until(tips, 5, f"a tooltip over the ticker, hovered again: {self.ticker()}")[0]
        check(time.sleep(2) or not tips(), f"a tooltip {tips()}")

    def checked(self, t=None):
        """The captions checked in the ticker's menu (read by a taskbar inside the program); the menu then closed."""
        self.right_click_ticker(t)
        menu = self.wait_window("the context menu", cls="#32768")["hwnd"]
        marks = [line.split("\t")[1] for line in self.command("menu", menu).splitlines() if line[:2] == "1\t"]
        self.xdotool("key", "Escape")
        wait_until(lambda: not self.windows(visible="1", cls="#32768"), 5, "the menu closed")
        return marks

    def screenshot(self, name):
        subprocess.run(["timeout", "30", "import", "-window", "root", f"{self.dir}/{name}.png"], env=self.env)
        return f"{self.dir}/{name}.png"

    def pixels(self, shot, t=None):
        """The pixels inside the ticker's edge in a screenshot, as {(x, y): (r, g, b)}."""
        x, y, w, h = self.screen_rect(t)
        return crop_pixels(shot, [x + 1, y + 1, w - 2, h - 2])

    def ink(self, name, t=None):
        return glyph_runs(self.pixels(self.screenshot(name), t))

    def looks(self, name):
        """From one screenshot, each ticker's commonest colour (its background), its commonest other (its text), the
        bar's colour 3 px above it, and its sunken edge; when the screenshot ended."""
        s, shot = self.snap(), self.screenshot(name)
        taken = time.monotonic()
        raw = subprocess.run(["convert", shot, "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout
        width = int(s["screen"].split()[0])
        pixel = lambda x, y: tuple(raw[(y * width + x) * 3:(y * width + x) * 3 + 3])  # noqa: E731
        found = []
        for t in filter(None, self.tickers(s)):  # an unplugged monitor's slot has none
            x, y, w, h = self.screen_rect(t, s)
            inside = ((x + i, y + j) for i in range(2, w - 2) for j in range(2, h - 2))  # not the edge's lines
            counts = collections.Counter(pixel(*p) for p in inside).most_common(2)
            found.append(dict(back=counts[0][0], text=(counts[1:] or counts)[0][0], bar=pixel(x + w // 2, max(y - 3, 0)),
                              edge=bool(t["exstyle"] & WS_EX_STATICEDGE)))
        return found, taken

    def reg(self, key, name=None, data=None, kind="REG_SZ"):
        """A registry key's values as {name: data} (None: no such key); or sets one value first."""
        if name:
            subprocess.run([WINE, "reg", "add", key, "/v", name, "/t", kind, "/d", data, "/f"], env=self.env, check=True,
                           timeout=30, **QUIET)
        out = subprocess.run([WINE, "reg", "query", key], env=self.env, capture_output=True, text=True, errors="replace",
                             timeout=30)  # beyond its code page, Wine prints ?
        return None if out.returncode else dict(re.findall(r"^    (.+?)    REG_\w+    (.*)$", out.stdout, re.M))

    def read_ini(self):
        return open(self.ini, "rb").read() if os.path.exists(self.ini) else None

    def ini_values(self):
        return dict(line.split("=", 1) for line in (self.read_ini() or b"").decode().splitlines() if "=" in line)

    def write_ini(self, **values):
        open(self.ini, "wb").write(b"[Configuration]\r\n" + "".join(f"{k}={v}\r\n" for k, v in values.items()).encode())


def main(scenarios):
    parser = argparse.ArgumentParser(description=__doc__)
    for option in ("exe", "faultable", "shell", "dll", "inject", "menu", "hours", "access", "work", "version", "home",
                   "setup"):
        parser.add_argument("--" + option)
    parser.add_argument("scenario", choices=sorted(scenarios))
    args = parser.parse_args()
    skip = subprocess.run([WINE, "--check", args.exe], stdout=subprocess.PIPE, text=True)
    if skip.returncode:
        print(skip.stdout, end="")
        sys.exit(skip.returncode)

    for number in (signal.SIGTERM, signal.SIGINT):  # unwinds through the clean-up, as a failure does
        signal.signal(number, lambda number, frame: sys.exit(f"FAIL {args.scenario}: signal {number}"))
    try:
        with Rig(args, args.scenario) as rig:
            scenarios[args.scenario](rig)
    except AssertionError as error:
        sys.exit(f"FAIL {args.scenario}: {error} (logs and screenshots in {args.work}/{args.scenario})")
