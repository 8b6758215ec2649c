#!/usr/bin/env python3
"""Writes tests/unit/sun_reference.csv, the sunrises and sunsets that the
unit test holds the clock's almanac to, from PyEphem (the full VSOP87 sun,
not the clock's few terms). Only for making the file, not for the tests:

    apt-get install python3-ephem && /usr/bin/python3 scripts/sun-reference.py

The rows come from a fixed seed, so the file is the same each time for the
same PyEphem. Each row is a civil day in the place's mean solar time, and the
rising before and the setting after its mean noon (12:00 UTC less 4 minutes a
degree east), of the disc's upper edge with 34' of refraction on a sea
horizon, in Unix seconds; "none_up" where the sun stays up (never sets) and
"none_down" where it stays down (never rises).
"""

import calendar, csv, os, random

import ephem

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
EPOCH = ephem.Date("1970/1/1")


def event(find):
    try:
        return round((find() - EPOCH) * 86400)
    except ephem.AlwaysUpError:
        return "none_up"
    except ephem.NeverUpError:
        return "none_down"


def row(year, month, day, lat, lon):
    place = ephem.Observer()
    place.lat, place.lon = str(lat), str(lon)
    place.elevation, place.pressure, place.horizon = 0, 0, "-0:34"
    noon = ephem.Date(ephem.Date((year, month, day, 12)) - lon / 360.0)
    sun = ephem.Sun()
    rise = event(lambda: place.previous_rising(sun, start=noon))
    sets = event(lambda: place.next_setting(sun, start=noon))
    return [year, month, day, lat, lon, rise, sets]


def days():
    pick = random.Random(1800)
    for _ in range(520):  # anywhere, any day
        year, month = pick.randint(1800, 2200), pick.randint(1, 12)
        yield (year, month, pick.randint(1, calendar.monthrange(year, month)[1]),
               round(pick.uniform(-75, 75), 2))
    for _ in range(80):  # polar day and polar night, near the solstices
        year, month = pick.randint(1800, 2200), pick.choice((6, 12))
        yield year, month, pick.randint(10, 30), pick.choice((1, -1)) * round(pick.uniform(70, 75), 2)
    for _ in range(60):  # high, but where the sun still rises and sets
        year, month = pick.randint(1800, 2200), pick.choice((2, 3, 4, 9, 10))
        yield year, month, pick.randint(1, 28), pick.choice((1, -1)) * round(pick.uniform(66, 72), 2)


def main():
    pick = random.Random(2200)
    with open(os.path.join(root, "tests", "unit", "sun_reference.csv"), "w", newline="") as out:
        writer = csv.writer(out, lineterminator="\n")
        writer.writerow(["year", "month", "day", "latitude", "longitude", "rise_unix", "set_unix"])
        for year, month, day, lat in days():
            writer.writerow(row(year, month, day, lat, round(pick.uniform(-180, 180), 2)))


if __name__ == "__main__":
    main()
