"""Capture the live status view of a playing show from a terminal, as a PNG for the guide.

Plays a show in a pseudo-terminal of a fixed size, with listeners on the loopback
interface for its sACN, Art-Net and OSC outputs, reads what it draws into a terminal
emulator (pyte), and paints the screen at a chosen moment with a monospaced font.

Usage: python tools/status_screenshot.py [--show examples/show/show.toml]
       [--at 3.0] [--out docs/images/status.png]
Needs the docs extra (matplotlib, for its font and Pillow; pyte).
"""

import argparse
import contextlib
import fcntl
import os
import pty
import select
import socket
import struct
import sys
import termios
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
COLUMNS, ROWS = 118, 30
COLOURS = {"default": (220, 220, 220), "black": (30, 30, 30), "red": (235, 90, 90),
           "green": (120, 210, 120), "yellow": (230, 200, 90), "blue": (110, 150, 230),
           "magenta": (200, 120, 210), "cyan": (100, 200, 220), "white": (240, 240, 240)}
BACKGROUND = (24, 26, 30)


def capture(show, at):
    """The pyte screen of ``play show`` after ``at`` seconds."""
    import pyte

    screen = pyte.Screen(COLUMNS, ROWS)
    stream = pyte.ByteStream(screen)
    pid, fd = pty.fork()
    if pid == 0:       # the child: the show, in the terminal
        os.execvp(sys.executable, [sys.executable, "-m", "kinetrope_rig", "play", str(show),
                                   "--seconds", str(at + 1.0)])
    fcntl.ioctl(fd, termios.TIOCSWINSZ, struct.pack("HHHH", ROWS, COLUMNS, 0, 0))
    deadline = time.monotonic() + at
    while time.monotonic() < deadline:
        if select.select([fd], [], [], 0.05)[0]:
            try:
                stream.feed(os.read(fd, 1 << 16))
            except OSError:
                break
    shot = [[screen.buffer[y][x] for x in range(COLUMNS)] for y in range(ROWS)]
    os.waitpid(pid, 0)
    return shot


def paint(shot, out):
    from matplotlib import font_manager
    from PIL import Image, ImageDraw, ImageFont

    font = ImageFont.truetype(font_manager.findfont("DejaVu Sans Mono"), 15)
    left, top, right, bottom = font.getbbox("M")
    cell_w, cell_h = right - left + 1, 20
    used = max((y for y, row in enumerate(shot) if any(c.data.strip() for c in row)),
               default=0) + 1
    image = Image.new("RGB", (COLUMNS * cell_w + 24, used * cell_h + 24), BACKGROUND)
    draw = ImageDraw.Draw(image)
    for y, row in enumerate(shot[:used]):
        for x, char in enumerate(row):
            if char.data.strip():
                colour = COLOURS.get(char.fg, COLOURS["default"])
                draw.text((12 + x * cell_w, 12 + y * cell_h), char.data, font=font,
                          fill=colour)
    image.save(out, optimize=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--show", default=str(ROOT / "examples" / "show" / "show.toml"))
    parser.add_argument("--at", type=float, default=3.0, help="seconds into the show")
    parser.add_argument("--out", default=str(ROOT / "docs" / "images" / "status.png"))
    options = parser.parse_args()
    with contextlib.ExitStack() as stack:
        for port in (5568, 6454, 9000):   # listeners, so that every output has a receiver
            sock = stack.enter_context(socket.socket(socket.AF_INET, socket.SOCK_DGRAM))
            sock.bind(("127.0.0.1", port))
        paint(capture(Path(options.show).resolve(), options.at), options.out)
    print(f"wrote {options.out}")


if __name__ == "__main__":
    main()
