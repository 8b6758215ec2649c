"""The end-to-end rig: the real Clepsydrium.exe under Wine and Xvfb, in the demo
taskbar (tools/demo-taskbar), which plays the Windows taskbar and logs what the
program does to it.

Each scenario gets its own Xvfb, its own copy of a prepared Wine prefix and its
own copy of the exe (so its own INI file). Every wait polls with a deadline.
Whatever a scenario started is stopped at the end, failed, stopped by SIGTERM
or not; a failed scenario keeps its logs and screenshots in WORK/SCENARIO.
"""

import argparse, fcntl, os, re, select, shutil, signal, subprocess, sys, time

CAPTION = 19
TICKER_H = CAPTION - 5
IDOK, IDCANCEL = 1, 2
WS_DISABLED, WS_BORDER, WS_EX_STATICEDGE = 0x08000000, 0x00800000, 0x00020000
# Today's class names and the ones the C++ rewrite brings; either will do.
TICKER_CLASSES = ("ClepsydriumTicker", "ClepsydriumForm")
SESSION_CLASS = "ClepsydriumSession"
QUIET = dict(stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class Failure(Exception):
    pass


class Stop(BaseException):
    """SIGTERM or SIGINT: unwinds through the clean-up like a failure."""


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_until(predicate, timeout, what, interval=0.05):
    deadline, last = time.monotonic() + timeout, None
    while True:
        try:
            last = predicate()
            if last:
                return last
        except (OSError, ValueError, KeyError, IndexError, TypeError) as error:
            last = error
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout} s waiting for {what} (last: {last!r})")
        time.sleep(interval)


def menu_captions(path):
    """The context menu's captions in order ("-" for a separator), from its table."""
    source = open(path).read()
    table = source[source.index("kMenu = {{"):source.index("}};")]
    entries = re.findall(r'Separator\(\)|Command::\w+,\s*((?:"[^"]*"|\w+)(?:\s*(?:"[^"]*"|\w+))*)',
                         table)
    return ["".join(re.findall(r'"([^"]*)"', e)) or e if e else "-" for e in entries]


def clock_text(moment, seconds=True, medieval=True, dash=False, lower=False):
    units = ["", "I", "II", "III", "IV", "V", "VI", "VII", "VIII", "IX"]
    tens = ["", "X", "XX", "XXX", "XL", "L", "LX", "LXX", "LXXX", "XC"]
    if not medieval:
        units[4], units[9], tens[4], tens[9] = "IIII", "VIIII", "XXXX", "LXXXX"
    t = time.localtime(moment)
    parts = [t.tm_hour, t.tm_min] + ([t.tm_sec] if seconds else [])
    text = ":".join(tens[p // 10] + units[p % 10] if p else "-" if dash else "" for p in parts)
    pad = ((6 if seconds else 4) * 4 - len(text) - 2) // 2
    return " " * max(pad, 0) + (text.lower() if lower else text)


def winpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wine_processes(prefix):
    """Live PIDs whose environment names this Wine prefix."""
    marker, found = b"\0WINEPREFIX=" + os.fsencode(prefix) + b"\0", []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            if marker in b"\0" + open(f"/proc/{pid}/environ", "rb").read() and \
                    open(f"/proc/{pid}/stat").read().split(") ")[-1][:1] != "Z":
                found.append(int(pid))
        except OSError:
            pass
    return [p for p in found if p != os.getpid()]


def prepared(work, name, make):
    """A thing made once per work folder (a prefix, a locale), under a lock."""
    path = os.path.join(work, name)
    os.makedirs(work, exist_ok=True)
    with open(path + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if not os.path.exists(path + ".ready"):
            shutil.rmtree(path, ignore_errors=True)
            make(path)
            open(path + ".ready", "w").close()
    return path


def make_prefix(path):
    env = dict(os.environ, WINEPREFIX=path, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    env.pop("DISPLAY", None)
    subprocess.run(["wine", "wineboot", "-i"], env=env, check=True, timeout=300, **QUIET)
    # With no window manager, a managed window stalls 2 s whenever it maps.
    subprocess.run(["wine", "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed",
                    "/d", "N", "/f"], env=env, check=True, timeout=60, **QUIET)
    subprocess.run(["wineserver", "-w"], env=env, check=True, timeout=60, **QUIET)


def parse_fields(text):
    return dict(w.split("=", 1) for w in text.split(" ") if "=" in w)


class Rig:
    """One scenario's Xvfb, prefix, taskbar and programs."""

    def __init__(self, args, name):
        self.args, self.name = args, name
        self.dir = os.path.join(args.work, name)
        self.prefix, self.app = os.path.join(self.dir, "prefix"), os.path.join(self.dir, "app")
        self.exe, self.ini = (os.path.join(self.app, f) for f in ("Clepsydrium.exe", "Clepsydrium.ini"))
        self.started, self.display, self.shell, self.shells, self.deferred = [], None, None, 0, []
        self.menu = menu_captions(args.menu)

    def __enter__(self):
        self.env = {k: v for k, v in os.environ.items() if not k.startswith("CLEP_SHELL_")}
        self.env.update(WINEPREFIX=self.prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
        shutil.rmtree(self.dir, ignore_errors=True)
        os.makedirs(self.app)
        try:
            subprocess.run(["cp", "-a", prepared(self.args.work, "prefix-template", make_prefix),
                            self.prefix], check=True)
            shutil.copy(self.args.exe, self.exe)
            self.start_xvfb()
        except BaseException as error:
            self.__exit__(type(error), error, None)
            raise
        return self

    def __exit__(self, kind, error, trace):
        for number in (signal.SIGTERM, signal.SIGINT):  # a second signal must not cut this short
            signal.signal(number, signal.SIG_IGN)
        if kind is not None and self.display:
            try:
                self.screenshot("failure")
            except Exception as shot_error:  # the failure itself matters more
                print(f"no failure screenshot: {shot_error}", file=sys.stderr)
        self.stop_all()
        shutil.rmtree(self.prefix, ignore_errors=True)
        if kind is not None:
            print(f"{self.name}: logs and screenshots kept in {self.dir}", file=sys.stderr)

    def start_xvfb(self):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                                      "1024x768x24", "-nolisten", "tcp", "-noreset"],
                                     pass_fds=[write_end], **QUIET)
        self.started.append(self.xvfb)
        os.close(write_end)
        data, deadline = b"", time.monotonic() + 20  # the number and newline come apart
        while not data.endswith(b"\n") and time.monotonic() < deadline:
            if select.select([read_end], [], [], 0.5)[0]:
                chunk = os.read(read_end, 32)
                if not chunk:
                    break
                data += chunk
        os.close(read_end)
        check(data.strip().isdigit(), "Xvfb did not report its display")
        self.display = self.env["DISPLAY"] = ":" + data.decode().strip()
        self.note_pids()

    def note_pids(self):
        with open(os.path.join(self.dir, "pids.txt"), "w") as f:
            f.write(f"prefix={self.prefix}\ndisplay={self.display}\n")
            f.write("".join(f"pid={p.pid}\n" for p in self.started))

    def stop_all(self):
        """Wine by its server, then whatever is left by PID, Xvfb last."""
        subprocess.run(["wineserver", "-k"], env=self.env, timeout=30, check=False, **QUIET)
        deadline = time.monotonic() + 10
        while left := wine_processes(self.prefix) + [p.pid for p in self.started[1:] if p.poll() is None]:
            if time.monotonic() > deadline:
                for pid in left:
                    try:
                        os.kill(pid, signal.SIGKILL)
                    except ProcessLookupError:
                        pass
            time.sleep(0.05)
        for process in self.started:
            process.terminate()
            process.wait(timeout=10)

    def wine(self, name, command, env=None):
        log = open(os.path.join(self.dir, f"{name}.log"), "wb")
        process = subprocess.Popen(["wine"] + command, env=env or self.env, cwd=self.app,
                                   stdout=log, stderr=subprocess.STDOUT)
        self.started.append(process)
        self.note_pids()
        return process

    def _taskbar_env(self, mode, settings, env):
        """A fresh folder for the next taskbar's files, and its environment."""
        self.shells += 1
        self.shell_dir = os.path.join(self.dir, f"shell{self.shells}")
        os.makedirs(self.shell_dir)
        self.seq, self.events_path = 0, os.path.join(self.shell_dir, "events.log")
        env = dict(self.env, **(env or {}), CLEP_SHELL_DIR=winpath(self.shell_dir), CLEP_SHELL_MODE=mode)
        env.update({"CLEP_SHELL_" + k.upper(): str(v) for k, v in settings.items()})
        return env

    def _wait_ready(self):
        def ready():
            check(self.shell.poll() is None, f"the taskbar ended: {self.read_events()[-300:]}")
            return "\tready" in self.read_events()
        wait_until(ready, 30, "the demo taskbar")

    def stop_shell(self):
        if self.shell is not None and self.shell.poll() is None:
            self.command("quit")
            wait_until(lambda: self.shell.poll() is not None, 10, "the old taskbar to end")

    def start_shell(self, mode="full", **settings):
        """The demo taskbar as a process of its own (the old one quits first)."""
        self.stop_shell()
        env = self._taskbar_env(mode, settings, None)
        self.shell = self.wine(f"shell{self.shells}", [self.args.shell], env)
        self._wait_ready()

    def start_injected(self, name="program", env=None, **settings):
        """The program with the taskbar inside its process, so that its painting shows."""
        self.stop_shell()
        env = self._taskbar_env("full", settings, env)
        self.shell = self.wine(name, [self.args.inject, winpath(self.args.dll), winpath(self.exe)], env)
        self._wait_ready()
        return self.shell

    def start_program(self, name="program", env=None):
        return self.wine(name, [self.exe], dict(self.env, **(env or {})))

    def wait_exit(self, process, timeout=10):
        wait_until(lambda: process.poll() is not None, timeout, "the process to end")
        return process.returncode

    def japanese(self):
        """The environment of a Japanese user: Wine's code page becomes 932."""
        def make(path):
            os.makedirs(path)
            subprocess.run(["localedef", "-i", "ja_JP", "-f", "UTF-8", os.path.join(path, "ja_JP.UTF-8")],
                           check=True, timeout=120, **QUIET)
        return dict(LOCPATH=prepared(self.args.work, "locale", make), LANG="ja_JP.UTF-8",
                    LC_ALL="ja_JP.UTF-8")

    # The taskbar's files ------------------------------------------------------------------

    def read_events(self):
        try:
            return open(self.events_path, encoding="utf-8", errors="replace").read()
        except FileNotFoundError:
            return ""

    def mark(self):
        return len(self.read_events().splitlines())

    def events(self, mark=0):
        """The events after the mark, as (tick in ms, kind, {field: value})."""
        result = []
        for line in self.read_events().splitlines()[mark:]:
            tick, _, rest = line.partition("\t")
            kind, _, rest = rest.partition(" ")
            result.append((int(tick), kind, dict(parse_fields(rest), verb=rest.split(" ")[0])))
        return result

    def icon_events(self, mark):
        return [v for _, kind, v in self.events(mark) if kind == "icon"]

    def state(self):
        with open(os.path.join(self.shell_dir, "state.txt"), encoding="utf-8") as f:
            return dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)

    def command(self, verb, *args, timeout=10):
        """Sends a command to the taskbar; returns its reply once it is done."""
        self.seq += 1
        with open(os.path.join(self.shell_dir, "commands.txt"), "a") as f:
            f.write("\t".join([str(self.seq), verb] + [str(a) for a in args]) + "\n")
        done = re.compile(rf"\tdone seq={self.seq} ok=(\d)(?: error=(.*))?$", re.M)

        def finished():
            found = done.search(self.read_events())
            check(found or self.shell.poll() is None, "the taskbar has ended")
            return found
        found = wait_until(finished, timeout, f"the taskbar's answer to {verb}")
        check(found.group(1) == "1", f"taskbar command {verb} {args}: {found.group(2)}")
        return open(os.path.join(self.shell_dir, f"reply-{self.seq}.txt"), encoding="utf-8").read()

    def snap(self):
        self.command("snap")
        return self.state()

    def windows(self, **match):
        """The top-level windows that match (visible="1" for the shown ones)."""
        names = ("hwnd", "pid", "visible", "cls", "title", "rect", "style", "exstyle")
        found = [dict(zip(names, line.split("\t"))) for line in self.command("windows").splitlines()]
        for w in found:
            w.update(pid=int(w["pid"]), title=unescape(w["title"]))
        return [w for w in found if all(w[k] == v for k, v in match.items())]

    def controls(self, hwnd):
        names = ("hwnd", "id", "cls", "text", "rect", "style", "visible")
        found = [dict(zip(names, line.split("\t"))) for line in self.command("controls", hwnd).splitlines()]
        for c in found:
            c.update(id=int(c["id"]), text=unescape(c["text"]), style=int(c["style"], 16),
                     rect=[int(v) for v in c["rect"].split()])
        return found

    def texts(self, hwnd):
        controls = self.controls(hwnd)
        return ([c["text"] for c in controls if c["cls"] == "Static" and c["text"]],
                [c["text"] for c in controls if c["cls"] == "Button" and c["visible"] == "1"])

    def wait_window(self, what, timeout=10, **match):
        return wait_until(lambda: self.windows(visible="1", **match), timeout, what, interval=0.1)[0]

    def wait_no_window(self, what, timeout=10, **match):
        wait_until(lambda: not self.windows(visible="1", **match), timeout, what, interval=0.1)

    # The ticker, as the taskbar sees it ---------------------------------------------------

    def ticker(self, s=None):
        """The ticker in the tray or, Windows 11 style, in the bar itself."""
        s = s or self.state()
        for where in ("child", "bar"):
            for i in range(int(s.get(f"{where}.count", 0))):
                key = f"{where}.{i}"
                if s[key + ".class"] in TICKER_CLASSES:
                    return dict(hwnd=s[key], cls=s[key + ".class"], parent=where, z=i,
                                rect=[int(v) for v in s[key + ".rect"].split()],
                                style=int(s[key + ".style"], 16), exstyle=int(s[key + ".exstyle"], 16),
                                visible=s[key + ".visible"] == "1", pid=int(s[key + ".pid"]),
                                face=[int(v) for v in s.get(key + ".0.rect", "0 0 0 0").split()],
                                text=unescape(s.get(key + ".0.text", "")))
        return None

    def icons(self, s=None):
        s = s or self.state()
        return [s[f"icon.{i}"] for i in range(int(s["icons"]))]

    def wait_ticker(self, rect=None, timeout=20):
        def ready():
            t = self.ticker()
            return t if t and t["visible"] and rect in (None, t["rect"]) else None
        return wait_until(ready, timeout, f"the ticker in the taskbar at {rect}")

    def screen_rect(self, s=None):
        s = s or self.snap()
        t = self.ticker(s)
        origin = s["tray_origin"] if t["parent"] == "child" else s["taskbar_rect"]
        ox, oy = (int(v) for v in origin.split()[:2])
        return [ox + t["rect"][0], oy + t["rect"][1]] + t["rect"][2:]

    def check_clock(self, timeout=2.0, **style):
        """The face shows the Roman time of the second in which it is read."""
        seen = []

        def matches():
            before = time.time()
            seen[:] = [self.ticker(self.snap())["text"]]
            # The ticker redraws on a 100 ms tick: allow one tick of lag.
            seen.append([clock_text(s, **style) for s in range(int(before - 0.25), int(time.time()) + 1)])
            return seen[0] in seen[1]
        try:
            wait_until(matches, timeout, "the Roman time", interval=0.1)
        except Failure:
            raise Failure(f"ticker text {seen[0]!r}, expected one of {seen[1]}") from None

    def watch_ticks(self, count):
        """Waits until the program's taskbar watch has looked count times."""
        polls = int(self.snap()["appbar.getpos"])
        wait_until(lambda: int(self.snap()["appbar.getpos"]) >= polls + count, 5, "the taskbar watch")

    def fitted_ms(self, mark, pid):
        """Milliseconds from the process's creation to the taskbar's repaint after
        its last blank icon: the fitted ticker."""
        reply = dict(line.split("=", 1) for line in self.command("times", pid).splitlines())
        start = int(reply["tick"]) - (int(reply["now"]) - int(reply["created"])) / 10000
        timed = self.events(mark)
        last_add = max(i for i, (_, k, v) in enumerate(timed) if k == "icon" and v["verb"] == "add")
        return [t for t, k, v in timed[last_add:] if k == "paint" and v.get("window") == "taskbar"][0] - start

    def soon(self, predicate, timeout):
        """Whether predicate comes true within timeout seconds."""
        try:
            return wait_until(predicate, timeout, "")
        except Failure:
            return False

    def expect(self, condition, message):
        """A check that lets the scenario go on; the scenario fails at its end."""
        if not condition:
            print(f"EXPECTED: {message}", file=sys.stderr)
            self.deferred.append(message)
        return condition

    # Input and output ---------------------------------------------------------------------

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, check=True, timeout=20,
                       stdout=subprocess.DEVNULL)

    def right_click_ticker(self):
        x, y, w, h = self.screen_rect()
        # No --sync: it waits for a move, and there is none when the pointer is already there.
        self.xdotool("mousemove", x + w // 2, y + h // 2, "click", "3")

    def pick(self, caption):
        """Picks the first menu item whose caption starts so, with the keyboard."""
        items = [c for c in self.menu if c != "-"]
        downs = 1 + [i for i, c in enumerate(items) if c.startswith(caption)][0]
        self.right_click_ticker()
        self.wait_window("the context menu", cls="#32768")
        self.xdotool("key", "--delay", "15", *(["Down"] * downs), "Return")

    def screenshot(self, name):
        path = os.path.join(self.dir, f"{name}.png")
        subprocess.run(["import", "-display", self.display, "-window", "root", path], check=True,
                       timeout=30)
        return path

    def colours(self, path, rect):
        """Counts of each colour (r, g, b) in a rectangle of a screenshot."""
        x, y, w, h = rect
        out = subprocess.run(["convert", path, "-crop", f"{w}x{h}+{x}+{y}", "+repage", "-depth", "8",
                              "txt:-"], check=True, capture_output=True, text=True, timeout=30).stdout
        counts = {}
        for m in re.finditer(r"#([0-9A-Fa-f]{6})", out):
            rgb = tuple(int(m.group(1)[i:i + 2], 16) for i in (0, 2, 4))
            counts[rgb] = counts.get(rgb, 0) + 1
        return counts

    def read_ini(self):
        return open(self.ini, "rb").read() if os.path.exists(self.ini) else None

    def ini_values(self):
        return dict(l.split("=", 1) for l in (self.read_ini() or b"").decode("latin-1").splitlines() if "=" in l)

    def write_ini(self, **values):
        with open(self.ini, "wb") as f:
            f.write(("[Configuration]\r\n" + "".join(f"{k}={v}\r\n" for k, v in values.items())).encode())


def unescape(text):
    return re.sub(r"\\(x[0-9a-f]{2}|.)", lambda m: {"n": "\n", "r": "\r", "t": "\t"}.get(
        m.group(1), chr(int(m.group(1)[1:], 16)) if m.group(1)[0] == "x" else m.group(1)), text)


def main(scenarios):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    for option in ("exe", "faultable", "shell", "dll", "inject", "empty", "menu", "work", "version"):
        parser.add_argument("--" + option)
    parser.add_argument("--home", default="https://github.com/clepsydrium/clepsydrium")
    parser.add_argument("scenario", choices=sorted(scenarios))
    args = parser.parse_args()
    args.forward = [a for a in sys.argv[1:-1]]

    def stop(number, frame):
        raise Stop(f"signal {number}")
    for number in (signal.SIGTERM, signal.SIGINT):
        signal.signal(number, stop)
    began = time.monotonic()
    try:
        scenarios[args.scenario](args)
    except (Failure, Stop) as error:
        print(f"FAIL {args.scenario}: {error}", file=sys.stderr)
        return 1
    print(f"PASS {args.scenario} in {time.monotonic() - began:.1f} s")
    return 0


def scenario(function):
    """Runs function(rig) in a rig of its own; deferred checks fail it at the end."""
    def run(args):
        with Rig(args, function.__name__) as rig:
            function(rig)
            check(not rig.deferred, "; ".join(rig.deferred))
    return run
