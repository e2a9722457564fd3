#!/usr/bin/env python3
"""Writes oru.svg, ORU's desktop icon: the picture that the program draws for
its windows (app/artwork.cpp), with the same track formula and kept points,
on a rounded tile.
    packaging/make_icon.py > packaging/oru.svg
"""
import math

SIZE = 128
COUNT = 48
KEPT = [0, 8, 17, 25, 33, 40, COUNT - 1]


def track_point(i):
    t = i / (COUNT - 1)
    x = 0.08 + 0.84 * t
    y = 0.62 - 0.30 * math.sin(t * 3.3) + 0.05 * math.sin(t * 23.0)
    return x * SIZE, y * SIZE


def place(ux, uy):
    return f"{ux * SIZE:.1f} {uy * SIZE:.1f}"


def main():
    dot = max(1.0, SIZE / 70)
    points = [track_point(i) for i in range(COUNT)]
    kept = [points[i] for i in KEPT]
    out = []
    out.append('<?xml version="1.0" encoding="UTF-8"?>')
    out.append("<!-- ORU's icon, written by packaging/make_icon.py: a dense survey track in")
    out.append("     black over the sea, the points a thinning keeps joined in red. -->")
    out.append(f'<svg xmlns="http://www.w3.org/2000/svg" width="{SIZE}" height="{SIZE}" '
               f'viewBox="0 0 {SIZE} {SIZE}">')
    out.append('  <defs>')
    out.append('    <linearGradient id="sea" x1="0" y1="0" x2="0" y2="1">')
    out.append('      <stop offset="0" stop-color="#1d4e89"/>')
    out.append('      <stop offset="1" stop-color="#5fa8d3"/>')
    out.append('    </linearGradient>')
    radius = SIZE / 6
    out.append(f'    <clipPath id="tile"><rect width="{SIZE}" height="{SIZE}" '
               f'rx="{radius:.1f}" ry="{radius:.1f}"/></clipPath>')
    out.append('  </defs>')
    out.append('  <g clip-path="url(#tile)">')
    out.append(f'    <rect width="{SIZE}" height="{SIZE}" fill="url(#sea)"/>')
    land = (f"M{place(1.0, 0.70)} C{place(0.86, 0.74)} {place(0.80, 0.86)} {place(0.66, 0.88)} "
            f"C{place(0.58, 0.90)} {place(0.55, 0.97)} {place(0.50, 1.0)} L{place(1.0, 1.0)} Z")
    out.append(f'    <path d="{land}" fill="#e8d59c" stroke="#8a6d3b" '
               f'stroke-width="{max(1.0, SIZE / 120):.2f}"/>')
    out.append('    <g fill="#000">')
    for x, y in points:
        out.append(f'      <circle cx="{x:.1f}" cy="{y:.1f}" r="{dot / 2:.2f}"/>')
    out.append('    </g>')
    line = " ".join(f"{x:.1f},{y:.1f}" for x, y in kept)
    out.append(f'    <polyline points="{line}" fill="none" stroke="#d01010" '
               f'stroke-width="{max(1.0, SIZE / 60):.2f}" stroke-linecap="round" '
               'stroke-linejoin="round"/>')
    out.append('    <g fill="#d01010">')
    for x, y in kept:
        out.append(f'      <circle cx="{x:.1f}" cy="{y:.1f}" r="{dot:.2f}"/>')
    out.append('    </g>')
    out.append('  </g>')
    out.append('</svg>')
    print("\n".join(out))


if __name__ == "__main__":
    main()
