"""Checks and converts the arguments of the oru functions for the engine.

Every check raises ``InputError`` (a ``ValueError``) naming the argument,
or ``TypeError`` for a value of the wrong kind.
"""

import operator

import numpy as np

from oru._errors import InputError

CALCULATIONS = ("ellipsoidic", "planar")
DATUMS = ("wgs84", "ed50")
METHODS = ("douglas-peucker", "optimal")

# The engine counts points in 64-bit integers; more points than any track
# holds keep them all.
_MOST_POINTS = 2**62


def choice(name, value, choices):
    """The position of ``value`` among ``choices`` (the engine's number)."""
    try:
        return choices.index(value)
    except ValueError:
        allowed = ", ".join(repr(c) for c in choices)
        raise InputError(f"{name}={value!r}: one of {allowed}") from None


def coordinates(name, values):
    """``values`` as a one-dimensional float64 array in C order.

    A NumPy array that is one already is returned as it is, without a copy;
    other dtypes, lists and pandas Series are converted.
    """
    try:
        array = np.asarray(values, dtype=np.float64)
    except (TypeError, ValueError) as error:
        raise InputError(f"{name}: not an array of numbers ({error})") from None
    if array.ndim != 1:
        raise InputError(f"{name}: a one-dimensional array, not one of {array.ndim} dimensions")
    if not array.flags.c_contiguous:
        array = np.ascontiguousarray(array)
    return array


def track(names, first, second):
    """Both coordinate arrays of a track of at least one point."""
    a = coordinates(names[0], first)
    b = coordinates(names[1], second)
    if len(a) != len(b):
        raise InputError(f"{names[0]} and {names[1]} differ in length: {len(a)} and {len(b)}")
    if len(a) == 0:
        raise InputError(f"{names[0]} and {names[1]} are empty: a track has at least one point")
    return a, b


def whole_number(name, value):
    """``value`` as an int; TypeError for anything but a whole number."""
    try:
        if isinstance(value, bool):
            raise TypeError
        return operator.index(value)
    except TypeError:
        raise TypeError(f"{name}: a whole number, not {value!r}") from None


def criterion(max_deviation, points):
    """The one criterion given: (by deviation, metres, points to keep)."""
    if (max_deviation is None) == (points is None):
        raise InputError("give exactly one of max_deviation (metres) and points")
    if points is not None:
        count = whole_number("points", points)
        if count < 2:
            raise InputError(f"points={count}: at least 2, the first and the last point")
        return False, 0.0, min(count, _MOST_POINTS)
    try:
        metres = float(max_deviation)
    except (TypeError, ValueError):
        raise TypeError(f"max_deviation: a number of metres, not {max_deviation!r}") from None
    if not 0.0 <= metres < float("inf"):
        raise InputError(f"max_deviation={metres!r}: a finite number of metres, 0 or more")
    return True, metres, 0
