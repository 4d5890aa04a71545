#!/usr/bin/env python3
"""Draws the program's icons into res/: the six 16 x 16 toolbar buttons as one strip
(toolbar.png, and toolbar@2x.png for a screen of factor 2) and the application icon at
several sizes (app-N.png) and as a scalable app.svg. Plain Python: shapes are sampled
4 x 4 per pixel, so every size is drawn from the same figures rather than scaled. Run it again after changing a figure;
the PNG files are committed."""

import math
import os
import struct
import zlib

SUB = 4  # samples per pixel along each axis

# ---------------------------------------------------------------------------- shapes
# A shape is (inside(x, y) -> bool, (r, g, b, a)), in the icon's own units.


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r1, r2, a0, a1):
    """The band between radii r1 and r2 from angle a0 to a1 (degrees, counter-clockwise
    from three o'clock, y growing downwards on screen)."""
    def inside(x, y):
        d2 = (x - cx) ** 2 + (y - cy) ** 2
        if not (r1 * r1 <= d2 <= r2 * r2):
            return False
        return in_angle(math.degrees(math.atan2(cy - y, x - cx)), a0, a1)
    return inside


def wedge(cx, cy, r, a0, a1):
    return ring(cx, cy, 0, r, a0, a1)


def in_angle(a, a0, a1):
    a = (a - a0) % 360
    return a <= (a1 - a0) % 360 or (a1 - a0) % 360 == 0 and a1 != a0


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def polygon(points):
    def inside(x, y):
        result = False
        n = len(points)
        for i in range(n):
            (xa, ya), (xb, yb) = points[i], points[(i + 1) % n]
            if (ya > y) != (yb > y) and x < (xb - xa) * (y - ya) / (yb - ya) + xa:
                result = not result
        return result
    return inside


def segment(x0, y0, x1, y1, width):
    """A straight stroke of the given width."""
    dx, dy = x1 - x0, y1 - y0
    length = math.hypot(dx, dy)
    nx, ny = -dy / length * width / 2, dx / length * width / 2
    return polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)])


def pie(cx, cy, r, slices, outline=(40, 40, 40, 255), gap=0.55):
    """A pie with an outline and dark spokes; slices are (sweep in degrees, colour)."""
    shapes = [(circle(cx, cy, r + 0.6), outline)]
    angle = 90
    for sweep, color in slices:
        shapes.append((wedge(cx, cy, r, angle, angle + sweep), color))
        angle += sweep
    angle = 90
    for sweep, _ in slices:
        rad = math.radians(angle)
        shapes.append((segment(cx, cy, cx + r * math.cos(rad), cy - r * math.sin(rad), gap),
                       outline))
        angle += sweep
    return shapes


def folder(x0, y0, x1, y1, body=(255, 214, 74, 255), edge=(150, 110, 20, 255)):
    tab = [(x0, y0 + 1.5), (x0 + 1, y0), (x0 + 5, y0), (x0 + 6, y0 + 1.5)]
    return [
        (polygon([(p[0] - 0.5, p[1] - 0.5) if i < 3 else (p[0] + 0.5, p[1]) for i, p in enumerate(tab)]
                 + [(x1 + 0.5, y0 + 1), (x1 + 0.5, y1 + 0.5), (x0 - 0.5, y1 + 0.5)]), edge),
        (polygon(tab + [(x1, y0 + 1.5), (x1, y1), (x0, y1)]), body),
        (rect(x0, y0 + 3, x1, y0 + 3.6), edge),
    ]


# ---------------------------------------------------------------------------- colours
RED = (230, 20, 20, 255)
GREEN = (20, 160, 40, 255)
BLUE = (30, 60, 220, 255)
YELLOW = (250, 220, 40, 255)
WHITE = (255, 255, 255, 255)
DARK = (40, 40, 40, 255)
LINE = (110, 110, 110, 255)

# ---------------------------------------------------------------------------- figures


def overview():
    shapes = []
    shapes += pie(4, 4, 2.9, [(250, BLUE), (110, YELLOW)], gap=0.4)
    shapes += pie(12, 4, 2.9, [(140, RED), (220, GREEN)], gap=0.4)
    shapes += pie(4, 12, 2.9, [(200, RED), (160, GREEN)], gap=0.4)
    shapes += pie(12, 12, 2.9, [(90, RED), (270, GREEN)], gap=0.4)
    return shapes


def explorer():
    shapes = [
        (rect(3.2, 5, 4.0, 13.6), LINE),
        (rect(3.2, 8.4, 7, 9.2), LINE),
        (rect(3.2, 12.8, 7, 13.6), LINE),
    ]
    shapes += folder(1, 0.8, 8, 5.2)
    shapes += folder(7.5, 6.4, 14.8, 10.4)
    shapes += folder(7.5, 11.2, 14.8, 15.2)
    return shapes


def folder_view():
    shapes = folder(0.8, 2, 15.2, 13.5)
    shapes += pie(10, 10, 4.4, [(130, RED), (100, BLUE), (130, GREEN)])
    return shapes


def file_type_view():
    page = [(2, 0.8), (9, 0.8), (12, 3.8), (12, 15.2), (2, 15.2)]
    shapes = [
        (polygon([(1.4, 0.2), (9.3, 0.2), (12.6, 3.5), (12.6, 15.8), (1.4, 15.8)]), DARK),
        (polygon(page), WHITE),
        (polygon([(9, 0.8), (9, 3.8), (12, 3.8)]), (200, 200, 200, 255)),
        (rect(3.5, 4.2, 8, 4.9), LINE),
        (rect(3.5, 6.4, 9.5, 7.1), LINE),
    ]
    shapes += pie(10.6, 11, 4.2, [(120, RED), (110, YELLOW), (130, BLUE)])
    return shapes


def parent_folder():
    shapes = folder(0.8, 4, 15.2, 15)
    arrow = [(8, 0.6), (13.2, 6.2), (10, 6.2), (10, 12.5), (6, 12.5), (6, 6.2), (2.8, 6.2)]
    outline = [(8, -0.6), (14.6, 6.8), (10.7, 6.8), (10.7, 13.2), (5.3, 13.2), (5.3, 6.8),
               (1.4, 6.8)]
    shapes += [(polygon(outline), DARK), (polygon(arrow), GREEN)]
    return shapes


def help_button():
    cx, cy = 8, 8
    return [
        (circle(cx, cy, 7.6), (20, 40, 140, 255)),
        (circle(cx, cy, 6.8), (40, 90, 230, 255)),
        (ring(8, 6.0, 1.6, 3.4, -60, 180), WHITE),
        (polygon([(8.5, 6.8), (9.9, 8.2), (8.9, 9.9), (7.1, 9.9), (7.1, 8.6)]), WHITE),
        (circle(8, 12.3, 1.2), WHITE),
    ]


# The application icon: a pie with one slice pulled out, on a 32-unit canvas.
APP_CENTRE, APP_RADIUS, APP_GAP = (15.0, 17.0), 12.0, 0.9
APP_SLICES = [(125, BLUE), (95, YELLOW), (80, GREEN)]  # from 12 o'clock, counter-clockwise
APP_PULLED = (390, 450, RED, 3.2)  # the last 60 degrees, moved 3.2 along its middle


def application():
    cx, cy = APP_CENTRE
    shapes = pie(cx, cy, APP_RADIUS, APP_SLICES, gap=APP_GAP)
    a0, a1, color, shift = APP_PULLED
    mid = math.radians((a0 + a1) / 2)
    ox, oy = shift * math.cos(mid), -shift * math.sin(mid)
    shapes += [
        (wedge(cx + ox, cy + oy, APP_RADIUS + 0.6, a0 - 2, a1 + 2), DARK),
        (wedge(cx + ox, cy + oy, APP_RADIUS, a0, a1), color),
    ]
    return shapes


def application_svg():
    """The same figure as vector paths, for the scalable icon of the hicolor theme."""
    def hex_color(c):
        return "#%02x%02x%02x" % c[:3]

    def point(cx, cy, r, a):
        return cx + r * math.cos(math.radians(a)), cy - r * math.sin(math.radians(a))

    def wedge_path(cx, cy, r, a0, a1, color):
        (x0, y0), (x1, y1) = point(cx, cy, r, a0), point(cx, cy, r, a1)
        large = 1 if (a1 - a0) % 360 > 180 else 0
        return ('  <path d="M%.3f,%.3f L%.3f,%.3f A%g,%g 0 %d 0 %.3f,%.3f Z" fill="%s"/>\n'
                % (cx, cy, x0, y0, r, r, large, x1, y1, hex_color(color)))

    cx, cy = APP_CENTRE
    r = APP_RADIUS
    out = '<svg xmlns="http://www.w3.org/2000/svg" width="128" height="128" viewBox="0 0 32 32">\n'
    out += '  <circle cx="%g" cy="%g" r="%g" fill="%s"/>\n' % (cx, cy, r + 0.6, hex_color(DARK))
    angle = 90
    for sweep, color in APP_SLICES:
        out += wedge_path(cx, cy, r, angle, angle + sweep, color)
        angle += sweep
    angle = 90
    for sweep, _ in APP_SLICES:
        x, y = point(cx, cy, r, angle)
        out += ('  <line x1="%g" y1="%g" x2="%.3f" y2="%.3f" stroke="%s" stroke-width="%g"/>\n'
                % (cx, cy, x, y, hex_color(DARK), APP_GAP))
        angle += sweep
    a0, a1, color, shift = APP_PULLED
    mid = math.radians((a0 + a1) / 2)
    px, py = cx + shift * math.cos(mid), cy - shift * math.sin(mid)
    out += wedge_path(px, py, r + 0.6, a0 - 2, a1 + 2, DARK)
    out += wedge_path(px, py, r, a0, a1, color)
    return out + "</svg>\n"


# ---------------------------------------------------------------------------- raster


def render(shapes, units, pixels):
    scale = units / pixels
    image = []
    for py in range(pixels):
        row = []
        for px in range(pixels):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied
            for sy in range(SUB):
                for sx in range(SUB):
                    x = (px + (sx + 0.5) / SUB) * scale
                    y = (py + (sy + 0.5) / SUB) * scale
                    c = [0.0, 0.0, 0.0, 0.0]
                    for inside, color in shapes:
                        if inside(x, y):
                            a = color[3] / 255
                            c = [color[0] * a + c[0] * (1 - a), color[1] * a + c[1] * (1 - a),
                                 color[2] * a + c[2] * (1 - a), a + c[3] * (1 - a)]
                    for i in range(4):
                        acc[i] += c[i]
            n = SUB * SUB
            a = acc[3] / n
            if a > 0:
                row.append(tuple(round(acc[i] / n / a) for i in range(3)) + (round(a * 255),))
            else:
                row.append((0, 0, 0, 0))
        image.append(row)
    return image


def write_png(path, rows):
    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\0" + bytes(v for px in row for v in px) for row in rows)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def main():
    res = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")
    # Toolbar order: Overview, Explorer view, Folder view, File type view, Parent Folder, Help.
    buttons = [overview(), explorer(), folder_view(), file_type_view(), parent_folder(),
               help_button()]
    for name, size in (("toolbar.png", 16), ("toolbar@2x.png", 32)):
        images = [render(shapes, 16, size) for shapes in buttons]
        strip = [sum((image[y] for image in images), []) for y in range(size)]
        write_png(os.path.join(res, name), strip)
    for size in (16, 24, 32, 48, 64, 128):
        write_png(os.path.join(res, "app-%d.png" % size), render(application(), 32, size))
    with open(os.path.join(res, "app.svg"), "w") as f:
        f.write(application_svg())


if __name__ == "__main__":
    main()
