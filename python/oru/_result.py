"""The results of the oru functions."""

# The figures of a thinned track, in the order the engine hands them over.
FIGURES = (
    "max_deviation",
    "points_before",
    "points_after",
    "length_before",
    "length_after",
    "deviation_mean",
    "deviation_rms",
    "deviation_p95",
    "note",
)


class Result:
    """The points kept by a thinning and its figures.

    Attributes
    ----------
    indices : numpy.ndarray of int64
        Positions of the kept points in the input, 0-based and ascending;
        the first and the last point are always among them.
    max_deviation : float
        Metres: the largest distance of any point left out from the thinned
        line (0.0 when every point is kept).
    points_before, points_after : int
        Points in the track and points kept.
    length_before, length_after : float
        Metres: the length of the track and of the thinned line.
    deviation_mean, deviation_rms, deviation_p95 : float
        Metres: the mean, root mean square and 95th percentile (nearest
        rank) of every input point's distance from the thinned line, kept
        points counting as 0.
    note : str
        What the optimal method found beyond the figures with ``points``
        (fewer points reach the smallest largest deviation, or the bracket
        its search proved); ``""`` otherwise.

    The figures are those oru-cli prints, unrounded.

    Examples
    --------
    >>> import oru
    >>> result = oru.thin_xy([0, 10, 20, 30, 40], [0, 0.5, 3, 0.2, 0], points=3)
    >>> result
    <oru.Result: 3 of 5 points kept, max_deviation 1.286 m, length 40.707 m -> 40.447 m>
    >>> result.indices, result.points_after
    (array([0, 2, 4]), 3)
    """

    __slots__ = ("indices",) + FIGURES

    def __init__(self, indices, figures):
        self.indices = indices
        for name, value in zip(FIGURES, figures):
            setattr(self, name, value)

    def as_dict(self):
        """The figures as a dict (without the indices).

        Returns
        -------
        dict
            ``max_deviation``, ``points_before``, ``points_after``,
            ``length_before``, ``length_after``, ``deviation_mean``,
            ``deviation_rms``, ``deviation_p95`` and ``note``.

        Examples
        --------
        >>> import oru
        >>> oru.thin_xy([0, 1, 2], [0, 1, 0], points=2).as_dict()["points_after"]
        3
        """
        return {name: getattr(self, name) for name in FIGURES}

    def __repr__(self):
        text = (
            f"<oru.Result: {self.points_after} of {self.points_before} points kept, "
            f"max_deviation {self.max_deviation:.3f} m, "
            f"length {self.length_before:.3f} m -> {self.length_after:.3f} m"
        )
        return text + (f"; {self.note}>" if self.note else ">")


class Curve:
    """The largest deviation and the length of the thinned line for every
    number of points, from one Douglas-Peucker selection run to the end.

    Attributes
    ----------
    points : numpy.ndarray of int64
        Points kept: 2 (the two ends), 3, ... up to every point.
    max_deviation : numpy.ndarray of float64
        Metres: the largest deviation left with that many points.
    length : numpy.ndarray of float64
        Metres: the length of the thinned line with that many points.

    Examples
    --------
    >>> import oru
    >>> curve = oru.curve_xy([0, 10, 20, 30, 40], [0, 0.5, 3, 0.2, 0])
    >>> curve
    <oru.Curve: 2 to 5 points, max_deviation 3.000 m to 0.000 m>
    >>> int(curve.points[curve.max_deviation <= 1.0][0])
    4
    """

    __slots__ = ("points", "max_deviation", "length")

    def __init__(self, points, max_deviation, length):
        self.points = points
        self.max_deviation = max_deviation
        self.length = length

    def __len__(self):
        return len(self.points)

    def __repr__(self):
        if len(self.points) == 0:
            return "<oru.Curve: empty>"
        return (
            f"<oru.Curve: {self.points[0]} to {self.points[-1]} points, max_deviation "
            f"{self.max_deviation[0]:.3f} m to {self.max_deviation[-1]:.3f} m>"
        )
