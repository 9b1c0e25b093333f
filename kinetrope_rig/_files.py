"""Reading a small file that a user names: only a regular file, bounded, never waiting."""

from __future__ import annotations

import os
import stat


class Unreadable(Exception):
    """Why a file cannot be had. ``reason`` is "directory", "special" (a FIFO, a device),
    "size" (``size`` bytes, over the limit), "os" or "path"; ``detail`` says more for the
    last two. Each caller words it for its own kind of file."""

    def __init__(self, reason: str, size: int = 0, detail: str = "") -> None:
        super().__init__(reason)
        self.reason, self.size, self.detail = reason, size, detail


def read_regular(path: str | os.PathLike[str], limit: int) -> bytes:
    """The bytes of the regular file at ``path``: at most ``limit + 1`` of them, so that a
    file that grew past ``limit`` after the look shows it. Opening never waits: a FIFO is
    refused, not read."""
    try:
        info = os.stat(path)
        if stat.S_ISDIR(info.st_mode):
            raise Unreadable("directory")
        if not stat.S_ISREG(info.st_mode):
            raise Unreadable("special")
        if info.st_size > limit:
            raise Unreadable("size", size=info.st_size)
        descriptor = os.open(path, os.O_RDONLY | getattr(os, "O_NONBLOCK", 0)
                             | getattr(os, "O_CLOEXEC", 0))
        try:
            # The path may have changed between the look and the opening.
            if not stat.S_ISREG(os.fstat(descriptor).st_mode):
                raise Unreadable("special")
            chunks: list[bytes] = []
            size = 0
            while size <= limit:
                chunk = os.read(descriptor, limit + 1 - size)
                if not chunk:
                    break
                chunks.append(chunk)
                size += len(chunk)
            return b"".join(chunks)
        finally:
            os.close(descriptor)
    except OSError as error:
        raise Unreadable("os", detail=str(error.strerror or error)) from None
    except (TypeError, ValueError) as error:
        raise Unreadable("path", detail=str(error)) from None
