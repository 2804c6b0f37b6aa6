# SPDX-License-Identifier: GPL-3.0-or-later
"""Prints bench/run's results (hyperfine's JSON, /usr/bin/time's ru_maxrss, QtTest's CSV) as one table
of medians with their ranges, ratios against the bare window, and the goals."""
import csv, glob, json, os, re, statistics, sys

out = sys.argv[1]
rows = []


def row(*cells):
    rows.append([str(c) for c in cells])


def spread(values, unit):
    return f"{statistics.median(values):.1f} {unit} ({min(values):.1f}–{max(values):.1f})"


def goal_cells(value, goal, unit):
    return [f"<= {goal} {unit}", "met" if value <= goal else "NOT MET"]


def startup(where, platform_name):
    times = {}
    for path in sorted(glob.glob(f"{out}/startup-{platform_name}-*.json")):
        for result in json.load(open(path))["results"]:
            times.setdefault(result["command"], []).extend(t * 1e3 for t in result["times"])
    rss = {name: [int(line) / 1024 for line in open(f"{out}/rss-{platform_name}-{name}.txt")]
           for name in times}
    for label, values, unit, goal in (("start-up to first frame", times, "ms", 1.25),
                                      ("peak resident memory", rss, "MiB", 1.2)):
        ratio = statistics.median(values["varnelo"]) / statistics.median(values["bare"])
        row(f"{label}, {where}", spread(values["varnelo"], unit), spread(values["bare"], unit),
            f"{ratio:.2f} x", *goal_cells(ratio, goal, "x"))
        text = statistics.median(values["text"]) / statistics.median(values["bare"])
        row("    bare window with one line of text", spread(values["text"], unit), "", f"{text:.2f} x")


row("measure (median, min–max)", "Varnelo", "bare window", "ratio", "goal", "")
rows.append(None)
startup("offscreen", "offscreen")
startup("xcb on Xvfb", "xcb")
rows.append(None)
# QtTest's CSV: function, data tag, metric, value per iteration, total, iterations.
scale = {"WalltimeMilliseconds": 1e3, "WalltimeNanoseconds": 1e-3}
events = {tag: float(value) * scale[metric]
          for _, tag, metric, value, *_ in csv.reader(open(f"{out}/events.csv"))}
for name, goal in (("scroll step, with repaint", 100), ("scroll step, handler chain", 10),
                   ("list pick, with repaint", None), ("list pick, handler chain", None)):
    goal_met = goal_cells(events[name], goal, "µs") if goal else []
    row(f"{name}, offscreen", f"{events[name]:.2f} µs", "", "", *goal_met)
rows.append(None)

widths = [max(len(r[i]) for r in rows if r and i < len(r)) for i in range(6)]
cpu = next((l.split(":", 1)[1].strip() for l in open("/proc/cpuinfo") if l.startswith("model name")), "?")
qt = re.search(r"Qt (\S+)", open(f"{out}/events.txt").read()).group(1)
load = lambda name: open(f"{out}/{name}").read().split()[0]
print(f"\nVarnelo benchmarks (release build) on {cpu}, {os.cpu_count()} logical CPUs, Qt {qt}, "
      f"nice {os.nice(0)}, load average {load('load-start')} at start, {load('load-end')} at the end\n")
for r in rows:
    if r is None:
        print("-" * (sum(widths) + 2 * len(widths)))
        continue
    print("  ".join(c.ljust(w) if i == 0 else c.rjust(w) for i, (c, w) in enumerate(zip(r, widths))).rstrip())
print("""Start-up: hyperfine, from the start of each launch to its end right after the window and every
visible control in it are painted and flushed; memory: the launch's ru_maxrss (/usr/bin/time).
The three programs take turns by rounds. Event path: QtTest, medians of 9; the handler chain excludes
the repaint, which still follows each step outside the timed part.""")
