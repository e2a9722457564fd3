#!/usr/bin/python3
"""Draws the README's picture of a fleet thinned with oru.pandas.thin_tracks:
four vessels of a generated AIS archive (python/examples/ais_archive.py,
200 vessels over 3 days), every fix in grey and the fixes kept within 10 m
in colour, a colour a track (split where a vessel was out of range for
more than 30 minutes).

    PYTHONPATH=build/python /usr/bin/python3 python/examples/plot_fleet.py [OUTPUT.png]

from the top of the tree (default output: docs/fleet_thinning.png)."""

import os
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402
from matplotlib.ticker import MaxNLocator  # noqa: E402

import oru.pandas  # noqa: E402

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import ais_archive  # noqa: E402

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")


def draw(axes, fixes, kept, mmsi):
    every = fixes[(fixes["mmsi"] == mmsi) & (fixes["lat"] <= 90.0)]
    mine = kept[kept["mmsi"] == mmsi]
    for track, rows in mine.groupby("track"):
        axes.plot(rows["lon"], rows["lat"], "-o", markersize=4, linewidth=0.8,
                  label=f"track {track}: {len(rows)} kept")
    axes.plot(every["lon"], every["lat"], ".", color="0.25", markersize=1.5, zorder=3,
              label="every fix")
    # A square window about the vessel's fixes, true to scale.
    lat0 = (every["lat"].min() + every["lat"].max()) / 2.0
    lon0 = (every["lon"].min() + every["lon"].max()) / 2.0
    stretch = np.cos(np.radians(lat0))
    half = 0.55 * max(every["lat"].max() - every["lat"].min(),
                      (every["lon"].max() - every["lon"].min()) * stretch)
    axes.set_xlim(lon0 - half / stretch, lon0 + half / stretch)
    axes.set_ylim(lat0 - half, lat0 + half)
    axes.set_aspect(1.0 / stretch)
    axes.xaxis.set_major_locator(MaxNLocator(4))
    axes.yaxis.set_major_locator(MaxNLocator(5))
    axes.ticklabel_format(useOffset=False)
    axes.set_title(f"MMSI {mmsi}: {len(every):,} fixes, {len(mine):,} kept", fontsize=10)
    axes.set_xlabel("longitude (degrees)")
    axes.set_ylabel("latitude (degrees)")
    axes.legend(fontsize=8, loc="best", framealpha=0.8)


def main():
    output = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "docs", "fleet_thinning.png")
    fixes = ais_archive.archive(vessels=200, days=3)
    fixes["timestamp"] = fixes["seconds"]
    kept = oru.pandas.thin_tracks(fixes, gap="30min", max_deviation=10.0)
    # Vessels of each kind: the most tracks, the longest at anchor, the
    # most fixes under way, the most kept.
    tracks = kept.groupby("mmsi")["track"].max()
    anchored = fixes[fixes["status"] == "at anchor"].groupby("mmsi").size()
    under_way = fixes[fixes["status"] == "under way"].groupby("mmsi").size()
    chosen = []
    for ranking in (tracks, anchored, under_way, kept.groupby("mmsi").size()):
        chosen.append(next(m for m in ranking.sort_values(ascending=False).index
                           if m not in chosen))
    figure, panels = plt.subplots(2, 2, figsize=(12, 10))
    for axes, mmsi in zip(panels.flat, chosen):
        draw(axes, fixes, kept, mmsi)
    figure.suptitle(f"{len(fixes):,} AIS fixes of 200 vessels over 3 days thinned within 10 m: "
                    f"{len(kept):,} kept", fontsize=12)
    figure.tight_layout(rect=(0, 0, 1, 0.96))
    figure.savefig(output, dpi=100)
    print(f"wrote {output}")


if __name__ == "__main__":
    main()
