#!/bin/sh
# Makes the plot window's background files in data/ from the GSHHG
# shorelines (Wessel and Smith, LGPL) as Debian packages them, projected to
# plot metres by our own geodesy library (tools/make_plot_layers.cpp).
#
# Needs, once:  apt-get install gmt gmt-gshhg-high gmt-gshhg-low
# (gmt-gshhg-low holds the crude, low and intermediate resolutions)
# and a build of the project:  cmake -S . -B build && ninja -C build make_plot_layers
# Usage:        tools/make_plot_layers.sh [BUILD_DIR]   (default: build)
#
# The data files are committed; CI does not run this.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
tool=$build/plot/make_plot_layers
[ -x "$tool" ] || { echo "build make_plot_layers first ($tool)" >&2; exit 1; }

# The North Sea at the high resolution: shorelines only (level 1; lakes
# left out), islands of at least 0.1 km2.
gmt coast -R-4/13/49/62 -Dh -W -M -A0.1/1/1 | "$tool" coast -4 49 13 62 > "$root/data/NorthSea.cst"
# The world at the intermediate resolution, between 80 S and 85 N (the
# "&100%" world view), shorelines and islands of at least 10 km2: a track
# anywhere gets a coastline that holds up when zoomed to a harbour or a
# canal, in about 5 MB.
gmt coast -R-180/180/-80/85 -Di -W -M -A10/1/1 | "$tool" coast -180 -80 180 85 > "$root/data/World.cst"
# The reference grid of blocks over the North Sea file's area.
"$tool" blocks -4 49 13 62 > "$root/data/blokmerca.nrs"
ls -l "$root/data/NorthSea.cst" "$root/data/World.cst" "$root/data/blokmerca.nrs"
