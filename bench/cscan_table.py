#!/usr/bin/env python3
"""The table of bench/run cscan: quenwick-graph's C scan against quenwick's own scan.

Usage: cscan_table.py RAW  (rows "input tool run wall user sys rss status")
"""
import statistics
import sys

NAMES = {"a": "(a) kernel/ of Linux 6.1", "c": "(c) all of Linux 6.1",
         "ch": "(c) all of Linux 6.1, *.c and *.h"}


def main(raw):
    runs = {}
    for line in open(raw):
        key, tool, _, wall, user, sys_, rss, status = line.split()
        runs.setdefault((key, tool), []).append(
            (float(wall), float(user) + float(sys_), int(rss), int(status)))

    def stats(key, tool):
        r = runs[(key, tool)]
        failed = next((s for *_, s in r if s != 0), None)
        return {"wall": statistics.median(w for w, *_ in r), "cpu": statistics.median(c for _, c, *_ in r),
                "rss": max(m for _, _, m, _ in r), "n": len(r), "failed": failed}

    print("| Input | Command | Runs | Wall median (s) | CPU median (s) | Peak RSS (MB) "
          "| / quenwick, wall | / quenwick, peak memory |")
    print("|---|---|---:|---:|---:|---:|---:|---:|")
    verdicts = []
    for key in ("a", "c", "ch"):
        base = ("c" if key == "ch" else key, "quenwick")
        q = stats(*base) if base in runs else None
        for (k, tool) in runs:
            if k != key:
                continue
            s = stats(key, tool)
            command = "quenwick" if tool == "quenwick" else (
                "quenwick-graph " + " ".join(tool[len("graph:"):].split(","))).strip()
            if s["failed"] is not None:
                print(f"| {NAMES[key]} | `{command}` | {s['n']} | exit status {s['failed']} | | | | |")
                verdicts.append(f"- {NAMES[key]}, `{command}`: FAILED")
                continue
            ratios = ("", "")
            if tool != "quenwick" and q:
                ratios = (f"{s['wall'] / q['wall']:.2f}", f"{s['rss'] / q['rss']:.2f}")
            print(f"| {NAMES[key]} | `{command}` | {s['n']} | {s['wall']:.3f} | {s['cpu']:.3f} "
                  f"| {s['rss'] / 1024:.0f} | {ratios[0]} | {ratios[1]} |")
            if tool == "graph:--scan=c" and key == "c" and q:
                rw, rm = s["wall"] / q["wall"], s["rss"] / q["rss"]
                verdicts.append(f"- (c) `{command}` within 1.5 times quenwick's wall time: "
                                f"{'met' if rw <= 1.5 else 'MISSED'} ({rw:.2f}); peak memory: "
                                f"{'met' if rm <= 1.5 else 'MISSED'} ({rm:.2f})")
    print()
    print("Targets:")
    print("\n".join(verdicts))


if __name__ == "__main__":
    main(sys.argv[1])
