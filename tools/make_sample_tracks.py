#!/usr/bin/env python3
"""Writes the sample tracks of data/samples/: one survey vessel's run of two
survey lines joined by a turn, near 54 N 4 E, as plane coordinates (UTM zone
31 metres, approximately), as "oru/kvl" decimal degrees and as DMS text; the
same run as the ship's NMEA 0183 log (a GGA every second, an RMC every ten,
a sentence damaged on the line) and its two survey lines as a UKOOA P1/90
file. Deterministic: the same files on every run."""

import math
import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "data", "samples")


def survey_run(rng):
    """Positions in metres east and north of a start point, 1 s fixes."""
    x, y, heading = 0.0, 0.0, math.radians(10.0)
    legs = [(420, 0.0), (90, math.radians(2.0)), (420, 0.0), (60, math.radians(-1.5)), (300, 0.0)]
    points = []
    for steps, turn_rate in legs:
        for _ in range(steps):
            heading += turn_rate + rng.gauss(0.0, 0.004)
            speed = 4.5 + rng.gauss(0.0, 0.15)  # metres per second, about 9 knots
            x += speed * math.sin(heading)
            y += speed * math.cos(heading)
            points.append((x + rng.gauss(0.0, 0.3), y + rng.gauss(0.0, 0.3)))
    return points


def dms(value):
    """Degrees, minutes, seconds with the sign on every component."""
    sign = -1 if value < 0 else 1
    a = abs(value)
    d = int(a)
    m = int((a - d) * 60)
    s = ((a - d) * 60 - m) * 60
    return sign * d, sign * m, sign * s


def main():
    rng = random.Random(1973)
    points = survey_run(rng)
    os.makedirs(OUT, exist_ok=True)
    east0, north0 = 565000.0, 5983000.0
    lat0, lon0 = 54.0, 4.0
    metres_per_degree_lat = 111250.0
    metres_per_degree_lon = 111320.0 * math.cos(math.radians(lat0))
    with open(os.path.join(OUT, "survey_line_xy.txt"), "w", newline="\n") as f:
        for x, y in points:
            f.write("%.2f %.2f\n" % (east0 + x, north0 + y))
    with open(os.path.join(OUT, "survey_line_oru.txt"), "w", newline="\n") as f:
        for x, y in points:
            lat = lat0 + y / metres_per_degree_lat
            lon = lon0 + x / metres_per_degree_lon
            f.write("%9.6fN,%10.6fE\n" % (lat, lon))
    with open(os.path.join(OUT, "survey_line_dms.txt"), "w", newline="\n") as f:
        for x, y in points:
            lat = lat0 + y / metres_per_degree_lat
            lon = lon0 + x / metres_per_degree_lon
            f.write("%d %d %.3f %d %d %.3f\n" % (dms(lat) + dms(lon)))


    nmea_log(points, lat0, lon0, metres_per_degree_lat, metres_per_degree_lon)
    p190_lines(points, east0, north0, lat0, lon0, metres_per_degree_lat, metres_per_degree_lon)


def sentence(body):
    """'$' body '*hh' with the NMEA 0183 checksum, the exclusive or of the body."""
    sum_ = 0
    for c in body:
        sum_ ^= ord(c)
    return "$%s*%02X\r\n" % (body, sum_)


def nmea_angle(value, degree_digits, positive, negative):
    """ddmm.mmmmm or dddmm.mmmmm and the hemisphere letter."""
    a = abs(value)
    d = int(a)
    minutes = round((a - d) * 60, 5)
    if minutes >= 60.0:  # 59.999996 is written as the next degree, not as 60.00000
        minutes -= 60.0
        d += 1
    text = "%0*d%08.5f" % (degree_digits, d, minutes)
    return text, positive if value >= 0 else negative


def nmea_log(points, lat0, lon0, per_lat, per_lon):
    start = 8 * 3600 + 15 * 60  # 08:15:00 UTC on 2 May 2024
    with open(os.path.join(OUT, "survey_run.nmea"), "w", newline="") as f:
        for k, (x, y) in enumerate(points):
            t = start + k
            hms = "%02d%02d%02d.00" % (t // 3600, t // 60 % 60, t % 60)
            lat, ns = nmea_angle(lat0 + y / per_lat, 2, "N", "S")
            lon, ew = nmea_angle(lon0 + x / per_lon, 3, "E", "W")
            gga = "GPGGA,%s,%s,%s,%s,%s,2,09,0.9,12.3,M,46.9,M,3.0,0120" % (hms, lat, ns, lon, ew)
            line = sentence(gga)
            if k == 700:
                line = line[:30] + "\r\n"  # cut off on the serial line
            f.write(line)
            if k % 10 == 0:
                f.write(sentence("GPRMC,%s,A,%s,%s,%s,%s,8.7,10.0,020524,,,D" % (hms, lat, ns, lon, ew)))


def p190_dms(value, degree_digits, positive, negative):
    """2(I2),F5.2,A1 or I3,I2,F5.2,A1 of the P1/90 type 1 record."""
    a = abs(value)
    d = int(a)
    m = int((a - d) * 60)
    sec = round(((a - d) * 60 - m) * 60, 2)
    if sec >= 60.0:
        sec -= 60.0
        m += 1
    return "%0*d%02d%05.2f%s" % (degree_digits, d, m, sec, positive if value >= 0 else negative)


def p190_lines(points, east0, north0, lat0, lon0, per_lat, per_lon):
    def header(code, description, data):
        return ("H%s %-26s%s" % (code, description, data)).ljust(80) + "\n"
    lines = [("L1001", 0, 420), ("L1002", 510, 930)]
    with open(os.path.join(OUT, "survey_lines.p190"), "w", newline="") as f:
        f.write(header("0100", "SURVEY AREA", "NORTH SEA BLOCK 39/7"))
        f.write(header("0102", "VESSEL DETAILS", "SURVEY VESSEL 1"))
        f.write(header("1400", "GEODETIC DATUM AS SURVEYED", "WGS84     WGS84"))
        f.write(header("1500", "GEODETIC DATUM AS PLOTTED", "WGS84     WGS84"))
        for name, first, last in lines:
            for k in range(first, last):
                x, y = points[k]
                lat = p190_dms(lat0 + y / per_lat, 2, "N", "S")
                lon = p190_dms(lon0 + x / per_lon, 3, "E", "W")
                t = 8 * 3600 + 15 * 60 + k
                record = "V%-12s   1  %6d%s%s%9.1f%9.1f%6.1f%03d%02d%02d%02d" % (
                    name, k + 1, lat, lon, east0 + x, north0 + y, 35.0, 123,
                    t // 3600, t // 60 % 60, t % 60)
                f.write(record.ljust(80) + "\n")


if __name__ == "__main__":
    main()
