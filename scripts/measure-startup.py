#!/usr/bin/env python3
"""Start-up time under Wine, in one rig of the end-to-end tests: Clepsydrium.exe
from process creation to its fitted ticker (the taskbar's repaint after the
last blank icon), against two empty Windows programs (tools/demo-taskbar/
empty.cpp) from process creation to their first word: one that opens no
window, and one that first opens and shows one small window, as the ticker
does. Runs alternate; medians and the two ratios. Needs the win64 build.

    measure-startup.py [--build build/win64] [--runs 15]
"""

import argparse, os, statistics, sys, types

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(root, "tests", "e2e"))
import driver  # noqa: E402


def fitted_ms(rig, mark, pid):
    """From the process's creation to the taskbar's repaint after its last blank icon."""
    reply = dict(line.split("=", 1) for line in rig.command("times", pid).splitlines())
    start = int(reply["tick"]) - (int(reply["now"]) - int(reply["created"])) / 10000
    timed = rig.events(mark)
    last_add = max(i for i, (_, k, v) in enumerate(timed) if k == "icon" and v["verb"] == "add")
    return [t for t, k, v in timed[last_add:] if k == "paint" and v.get("window") == "taskbar"][0] - start


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=os.path.join(root, "build", "win64"))
    parser.add_argument("--runs", type=int, default=15)
    options = parser.parse_args()
    options.build = os.path.abspath(options.build)  # the programs run in the rig's own folder
    tools = os.path.join(options.build, "tools", "demo-taskbar")
    args = types.SimpleNamespace(
        exe=os.path.join(options.build, "src", "windows", "Clepsydrium.exe"),
        shell=os.path.join(tools, "demo_taskbar.exe"), work=os.path.join(options.build, "measure"),
        menu=os.path.join(options.build, "tests", "e2e", "menu_table.exe"))
    empty_exe = driver.winpath(os.path.join(tools, "demo_empty.exe"))
    yardsticks = {"empty program, no window": [], "empty program, one small window shown": []}
    clepsydrium = []
    with driver.Rig(args, "startup") as rig:
        rig.start_shell()
        for run in range(options.runs):
            mark = len(rig.events())
            program = rig.start_program(f"clepsydrium-{run}")

            def fitted():  # from the log alone: a question to the taskbar would slow what is timed
                timed = rig.events(mark)
                adds = [i for i, (_, k, v) in enumerate(timed) if k == "icon" and v["verb"] == "add"]
                painted = [(k, v["verb"]) for _, k, v in timed[adds[-1]:]] if adds else []
                return len(adds) >= 5 and ("paint", "window=taskbar") in painted
            driver.wait_until(fitted, 10, "the fitted ticker")
            ticker = rig.wait_ticker(None)
            clepsydrium.append(fitted_ms(rig, mark, ticker["pid"]))
            rig.command("close", ticker["hwnd"])
            rig.wait_exit(program)

            for (name, times), extra in zip(yardsticks.items(), ([], ["window"])):
                mark = len(rig.events())
                process = rig.wine(f"empty-{run}-{len(extra)}", [empty_exe] + extra)
                said = driver.wait_until(lambda: [v for _, k, v in rig.events(mark) if k == "empty-started"],
                                         10, "the empty program's word")
                times.append(float(said[0]["ms"]))
                driver.check(rig.wait_exit(process) == 0, "the empty program failed")
    ours = statistics.median(clepsydrium)
    for name, times in (("Clepsydrium.exe to fitted ticker", clepsydrium), *yardsticks.items()):
        print(f"{name}: median {statistics.median(times):.0f} ms of {', '.join(f'{t:.0f}' for t in times)}")
    for name, times in yardsticks.items():
        print(f"ratio to the {name}: {ours / statistics.median(times):.2f}")


if __name__ == "__main__":
    main()
