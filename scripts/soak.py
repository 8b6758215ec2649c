#!/usr/bin/env python3
"""A seeded soak of the real program: Clepsydrium.exe in the demo taskbar under Wine, driven by a random sequence of
what desktops do, its invariants checked after every step. A failure prints the seed and the step that replays it.

    soak.py [--build build/win64] [--minutes N] [--seed S] [--steps K]

Each step is drawn from the seed alone, so `--seed S --steps K` replays a run's first K steps; the rig's folder keeps
the screenshot, the shell's record and the program's trace of a failed run.
"""

import argparse, os, random, signal, sys, time, types

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(root, "tests", "e2e"))
import driver  # noqa: E402

# The menu's switches that change the text, with their keys and the clock_text style they set.
TOGGLES = {"Lowercase": ("Lowercase", "lower"), "Display 0 as dash": ("ZeroAsDash", "dash"),
           "Medieval script": ("MedievalScript", "medieval")}
DEFAULTS = {"Lowercase": "0", "ZeroAsDash": "0", "MedievalScript": "1"}


class Desk:
    """The desktop the steps change and what the program must then show."""

    def __init__(self, rig, rnd):
        self.rig, self.rnd, self.bars, self.keys, self.hidden = rig, rnd, set(), dict(DEFAULTS), 0

    def step(self):
        """One thing a desktop does, drawn from the seed; its description."""
        rnd, rig = self.rnd, self.rig
        kind = rnd.choices(["edge", "thickness", "extra", "autohide", "secondary", "theme", "restart", "hang",
                            "toggle"], weights=[2, 1, 2, 1, 2, 2, 1, 1, 3])[0]
        if kind == "edge":
            edge = rnd.choice([3, 3, 1, 0, 2])
            rig.command("edge", edge)
            return f"the bar to edge {edge}"
        if kind == "thickness":
            thickness = rnd.choice([30, 40, 62])
            rig.command("thickness", thickness)
            return f"the bar {thickness} px thick"
        if kind == "extra":
            extra = rnd.choice([0, 10, 40])
            rig.command("extra", extra)
            return f"the notification area {extra} px wider"
        if kind == "autohide":
            self.hidden = rnd.choice([0, 1])
            rig.command("autohide", self.hidden)
            return f"auto-hide {self.hidden}"
        if kind == "secondary":
            number = rnd.choice([1, 2])
            if number in self.bars:
                rig.command("secondary", number, "remove")
                self.bars.discard(number)
                return f"monitor {number + 1} unplugged"
            rig.command("secondary", number, "add")
            self.bars.add(number)
            return f"monitor {number + 1} plugged in"
        if kind == "theme":
            theme = rnd.choice(["dark", "light"])
            rig.command("theme", theme)
            return f"the {theme} theme"
        if kind == "restart":
            rig.command("rebuild")
            rig.command("broadcast", "TaskbarCreated")  # as Explorer tells every program when it is back
            self.bars = set()  # the demo taskbar comes back with its first monitor's bar alone
            return "explorer restarted"
        if kind == "hang":
            seconds = rnd.choice([1, 2, 3])
            os.kill(self.shell_pid(), signal.SIGSTOP)
            time.sleep(seconds)
            os.kill(self.shell_pid(), signal.SIGCONT)
            return f"the shell hung for {seconds} s"
        caption = rnd.choice(sorted(TOGGLES))
        if self.hidden:
            # An auto-hidden bar has the ticker over its clock, its middle past the notification area's end,
            # where the rig's click at the middle lands on the bar.
            return f"{caption} not switched: the bar hides"
        rig.pick(caption)
        key = TOGGLES[caption][0]
        self.keys[key] = "0" if self.keys[key] == "1" else "1"
        return f"{caption} switched from the menu"

    def shell_pid(self):
        return next(p for p in driver.wine_processes(self.rig.prefix)
                    if b"demo_taskbar" in open(f"/proc/{p}/cmdline", "rb").read())

    def program_pid(self):
        return next(p for p in driver.wine_processes(self.rig.prefix)
                    if open(f"/proc/{p}/comm").read().startswith("Clepsydrium"))

    def check(self, ceiling):
        """Every bar has one ticker, shown, inside its bar; it shows the Roman time in the chosen style; every blank
        icon is the primary ticker's; the file holds the choices; the program answers within a second and its
        working set stays under the ceiling (kB)."""
        rig = self.rig
        def docked():  # the bars there now, an unplugged one's slot aside
            s = rig.snap()
            tickers = [t for n, t in enumerate(rig.tickers(s)) if n == 0 or s[f"secondary.{n}"] != "0x0"]
            return all(t and t["visible"] for t in tickers) and (s, tickers)
        s, tickers = driver.wait_until(docked, 10, "a shown ticker in each bar")
        owners = {s[f"icon.{i}"].split()[0] for i in range(int(s["icons"]))}
        driver.check(owners <= {tickers[0]["hwnd"]}, f"blank icons of {owners}, the ticker {tickers[0]['hwnd']}")
        style = {flag: self.keys[key] == "1" for key, flag in TOGGLES.values()}
        rig.check_clock(**style)
        values = rig.ini_values()
        driver.check(all(values.get(k, DEFAULTS[k]) == v for k, v in self.keys.items()),
                     f"the file {values}, the choices {self.keys}")
        session = rig.windows(cls="ClepsydriumSession")[0]["hwnd"]
        ms = int(rig.command("settext", session, "", timeout=30).split("=")[1])
        driver.check(ms < 1000, f"answered in {ms} ms")
        rss = int(open(f"/proc/{self.program_pid()}/status").read().split("VmRSS:")[1].split()[0])
        driver.check(rss < ceiling, f"a working set of {rss} kB")
        return rss


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=os.path.join(root, "build", "win64"))
    parser.add_argument("--minutes", type=float, default=2)
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--steps", type=int, default=None)
    options = parser.parse_args()
    seed = options.seed if options.seed is not None else random.SystemRandom().randrange(1 << 32)
    build = os.path.abspath(options.build)
    tools = os.path.join(build, "tools", "demo-taskbar")
    args = types.SimpleNamespace(
        exe=os.path.join(build, "src", "windows", "Clepsydrium.exe"), shell=os.path.join(tools, "demo_taskbar.exe"),
        work=os.path.join(build, "soak"), menu=os.path.join(build, "tests", "e2e", "menu_table.exe"))
    rnd, done, last = random.Random(seed), 0, []
    end = time.monotonic() + options.minutes * 60
    print(f"soak: seed {seed}, {options.steps or 'as many'} steps in at most {options.minutes:g} min", flush=True)
    with driver.Rig(args, f"seed-{seed}") as rig:
        rig.write_ini(Trace=1)  # the program's own record of what failed
        rig.start(None)
        desk = Desk(rig, rnd)
        ceiling = desk.check(1 << 30) + 64 * 1024
        try:
            while (options.steps is None or done < options.steps) and (options.steps or time.monotonic() < end):
                done += 1  # the step a failure is in, which the replay runs to
                last.append(desk.step())
                desk.check(ceiling)
        except AssertionError as error:
            print(f"soak FAILED in step {done} of seed {seed}: {error}\nthe steps before: " + "; ".join(last[-8:]) +
                  f"\nreplay: scripts/soak.sh --seed {seed} --steps {done}{' --win32' * build.endswith('win32')}"
                  f"\nrecords in {rig.dir}", flush=True)
            raise SystemExit(1)
    print(f"soak passed: seed {seed}, {done} steps in {options.minutes:g} min or less", flush=True)


if __name__ == "__main__":
    main()
