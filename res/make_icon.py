#!/usr/bin/env python3
"""Builds vexilate.ico from the pixel maps in vexilate-icon.txt.

The icon is a build input of the executable and is committed; run this script
after changing the pixel maps and commit both files. Standard library only.

Usage: make_icon.py [--source FILE] [--output FILE] [--image N] [--check]
  --image  only the Nth image of the source (from 1): one source holds the
           small status icons, one icon file each.
  --check  build in memory and fail when the output file differs from it.

Each image becomes a 256-colour (8 bits per pixel) BMP-encoded icon entry with
an AND mask: transparent pixels have mask bit 1 and colour index 0 (black),
which is what the screen gets for "leave the background alone".
"""

import argparse
import pathlib
import struct
import sys

HERE = pathlib.Path(__file__).resolve().parent
PALETTE_SIZE = 256


class SourceError(Exception):
    pass


def parse_source(text):
    """Returns (legend, images): legend maps a character to an (r, g, b)
    tuple or None for transparent; images is a list of (size, rows)."""
    legend = {}
    images = []
    rows = None
    size = 0
    for number, raw in enumerate(text.splitlines(), start=1):
        line = raw.rstrip()
        if rows is not None and len(rows) < size:
            if len(line) != size:
                raise SourceError(f"line {number}: expected a row of {size} pixels, got {len(line)}")
            unknown = sorted(set(line) - legend.keys())
            if unknown:
                raise SourceError(f"line {number}: characters {unknown!r} are not in the legend")
            rows.append(line)
            continue
        if not line or line.startswith("#"):
            continue
        words = line.split()
        if words[0] == "colour" and len(words) >= 3:
            char, value = words[1], words[2]
            if len(char) != 1 or char in legend:
                raise SourceError(f"line {number}: colour key {char!r} must be one new character")
            if value == "none":
                legend[char] = None
            else:
                try:
                    rgb = bytes.fromhex(value)
                except ValueError:
                    rgb = b""
                if len(rgb) != 3:
                    raise SourceError(f"line {number}: colour {value!r} is not RRGGBB hex or 'none'")
                legend[char] = tuple(rgb)
        elif words[0] == "image" and len(words) == 2 and words[1].isdigit():
            size = int(words[1])
            if not 1 <= size <= 255:
                raise SourceError(f"line {number}: image size {size} is outside 1..255")
            rows = []
            images.append((size, rows))
        else:
            raise SourceError(f"line {number}: expected 'colour K RRGGBB name' or 'image N', got {line!r}")
    if rows is not None and len(rows) < size:
        raise SourceError(f"the last image has {len(rows)} rows instead of {size}")
    if not images:
        raise SourceError("no image in the source")
    transparent = [c for c, rgb in legend.items() if rgb is None]
    if len(transparent) != 1:
        raise SourceError(f"expected exactly one transparent colour, found {len(transparent)}")
    if len(legend) > PALETTE_SIZE:
        raise SourceError(f"{len(legend) - 1} colours do not fit a palette of {PALETTE_SIZE - 1}")
    return legend, images


def build_palette(legend):
    """Index 0 is black, the colour under transparent pixels; the legend's
    colours follow in their order. Returns (palette bytes, char -> index)."""
    index_of = {}
    entries = [(0, 0, 0)]
    for char, rgb in legend.items():
        if rgb is None:
            index_of[char] = 0
        else:
            index_of[char] = len(entries)
            entries.append(rgb)
    entries += [(0, 0, 0)] * (PALETTE_SIZE - len(entries))
    palette = b"".join(struct.pack("<4B", b, g, r, 0) for r, g, b in entries)
    return palette, index_of


def padded(row):
    return row + b"\0" * (-len(row) % 4)


def image_entry(size, rows, legend, palette, index_of):
    """One icon image: BITMAPINFOHEADER (height doubled for the mask),
    palette, colour rows and mask rows, both bottom-up."""
    colour_rows = []
    mask_rows = []
    for line in reversed(rows):
        colour_rows.append(padded(bytes(index_of[c] for c in line)))
        bits = 0
        for c in line:
            bits = (bits << 1) | (legend[c] is None)
        bits <<= -size % 8
        mask_rows.append(padded(bits.to_bytes((size + 7) // 8, "big")))
    pixels = b"".join(colour_rows) + b"".join(mask_rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, len(pixels), 0, 0, PALETTE_SIZE, 0)
    return header + palette + pixels


def build_icon(legend, images):
    palette, index_of = build_palette(legend)
    blobs = [image_entry(size, rows, legend, palette, index_of) for size, rows in images]
    directory = struct.pack("<HHH", 0, 1, len(blobs))
    offset = len(directory) + 16 * len(blobs)
    entries = b""
    for (size, _), blob in zip(images, blobs):
        # Colour count 0 stands for 256 colours; planes 1, 8 bits per pixel.
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 8, len(blob), offset)
        offset += len(blob)
    return directory + entries + b"".join(blobs)


def main(argv):
    parser = argparse.ArgumentParser(description="Builds the program's icon from its pixel maps.")
    parser.add_argument("--source", type=pathlib.Path, default=HERE / "vexilate-icon.txt")
    parser.add_argument("--output", type=pathlib.Path, default=HERE / "vexilate.ico")
    parser.add_argument("--image", type=int, help="only this image of the source, counted from 1")
    parser.add_argument("--check", action="store_true", help="fail when the output is not up to date")
    args = parser.parse_args(argv)
    try:
        legend, images = parse_source(args.source.read_text(encoding="utf-8"))
        if args.image is not None:
            if not 1 <= args.image <= len(images):
                raise SourceError(f"there is no image {args.image} among {len(images)}")
            images = [images[args.image - 1]]
    except SourceError as error:
        print(f"{args.source}: {error}", file=sys.stderr)
        return 1
    icon = build_icon(legend, images)
    if args.check:
        current = args.output.read_bytes() if args.output.exists() else b""
        if current != icon:
            print(f"{args.output} is out of date with {args.source}; run {pathlib.Path(__file__).name}",
                  file=sys.stderr)
            return 1
        return 0
    args.output.write_bytes(icon)
    sizes = ", ".join(f"{size}x{size}" for size, _ in images)
    print(f"wrote {args.output} ({sizes}, {len(icon)} bytes)")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
