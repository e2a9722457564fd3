"""The exceptions of the oru package.

Every error that oru raises is an ``oru.Error``. Bad input (an argument
that cannot be used, a track file that cannot be thinned) is also a
``ValueError``, and a file that cannot be read or written also an
``OSError``, so that ``except ValueError`` and ``except OSError`` catch what
they catch elsewhere in Python.
"""


class Error(Exception):
    """Any error of the oru package: an ``InputError`` or a ``FileError``."""


class InputError(Error, ValueError):
    """An argument or a track that cannot be thinned.

    The message names the argument and the first bad position
    (``"lat[3] = 91.5: ..."``), or the file, line or track of a file
    (``"Line 7 could not be read."``).
    """


class FileError(Error, OSError):
    """A file that could not be read or written.

    The message says which and why, as oru-cli says it (``"Input file a.txt
    could not be opened. No such file or directory."``); ``errno`` and
    ``strerror`` hold the system's error number and reason when there is one.
    """

    def __init__(self, message, errno=None, strerror=None):
        super().__init__(message)
        self.errno = errno
        self.strerror = strerror

    def __str__(self):
        return self.args[0]
