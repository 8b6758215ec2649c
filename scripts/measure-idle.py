#!/usr/bin/env python3
"""Idle cost under Wine, in one rig of the end-to-end tests: Clepsydrium.exe at
rest in the demo taskbar (its own process, as Explorer is), against a
one-window clock redrawn by a 1 s timer (tools/demo-taskbar/clock.cpp), one
after the other. For each: the program's voluntary context switches a second
(all its threads), its CPU and the wineserver's in clock ticks, and the
taskbar's switches a second; then the ratios. Needs the win64 build.

    measure-idle.py [--build build/win64] [--seconds 30] [--settings KEY=VALUE ...]
"""

import argparse, glob, os, sys, types

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(root, "tests", "e2e"))
import driver  # noqa: E402


def measure(rig, name, seconds):
    shell = driver.wait_until(lambda: [p for p in driver.wine_processes(rig.prefix)
                                       if open(f"/proc/{p}/comm").read().startswith("demo_taskbar")], 10, "shell")[0]
    before = shell_switches(shell)
    rate, cpu = driver.idle_cost(rig, name, seconds)
    return rate, cpu, (shell_switches(shell) - before) / (seconds + 2)


def shell_switches(pid):
    return sum(int(open(s).read().split("voluntary_ctxt_switches:")[1].split()[0])
               for s in glob.glob(f"/proc/{pid}/task/*/status") if os.path.exists(s))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=os.path.join(root, "build", "win64"))
    parser.add_argument("--seconds", type=int, default=30)
    parser.add_argument("--settings", nargs="*", default=[])
    options = parser.parse_args()
    options.build = os.path.abspath(options.build)
    tools = os.path.join(options.build, "tools", "demo-taskbar")
    args = types.SimpleNamespace(
        exe=os.path.join(options.build, "src", "windows", "Clepsydrium.exe"),
        shell=os.path.join(tools, "demo_taskbar.exe"), work=os.path.join(options.build, "measure"),
        menu=os.path.join(options.build, "tests", "e2e", "menu_table.exe"))
    rows = {}
    with driver.Rig(args, "idle") as rig:
        rig.write_ini(**dict(s.split("=", 1) for s in options.settings))
        program, ticker = rig.start(rect=None, poll=1000)
        rows["Clepsydrium.exe"] = measure(rig, "Clepsydrium.exe", options.seconds)
        rig.command("close", ticker["hwnd"])
        rig.wait_exit(program)
        rig.wine("clock", [driver.winpath(os.path.join(tools, "demo_clock.exe"))])
        rows["one-window clock, 1 s timer"] = measure(rig, "demo_clock.exe", options.seconds)
    print(f"idle over {options.seconds} s ({', '.join(options.settings) or 'defaults'}):")
    print("| program | switches/s | CPU ticks, with the wineserver's | taskbar's switches/s |\n|---|---|---|---|")
    for name, (rate, cpu, shell) in rows.items():
        print(f"| {name} | {rate:.1f} | {cpu} | {shell:.1f} |")
    (ours, base) = rows.values()
    print(f"ratios: switches {ours[0] / max(base[0], 0.01):.1f}, CPU {ours[1] / max(base[1], 1):.2f}")


if __name__ == "__main__":
    main()
