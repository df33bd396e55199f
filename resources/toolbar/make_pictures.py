#!/usr/bin/env python3
"""Writes the main window's toolbar and status-bar pictures: plain white glyphs as icons (16 and
32 pixels) and as "EMF" vector pictures, which the console recolours with its text colour.
Run from this folder; the outputs are committed beside it.
"""
import struct

WHITE = (255, 255, 255)

# Shapes on a 32 x 32 grid: ('poly', [(x, y), ...]), ('ellipse', x0, y0, x1, y1), ('rect', x0, y0, x1, y1).
SHAPES = {
    'back': [('poly', [(22, 4), (22, 28), (6, 16)])],
    'forward': [('poly', [(10, 4), (10, 28), (26, 16)])],
    'home': [('poly', [(16, 3), (30, 16), (26, 16), (26, 29), (6, 29), (6, 16), (2, 16)])],
    'tasks': [('rect', 4, 6, 28, 10), ('rect', 4, 14, 28, 18), ('rect', 4, 22, 28, 26)],
    'deployments': [('rect', 3, 4, 29, 22), ('rect', 13, 22, 19, 26), ('rect', 8, 26, 24, 29)],
    'notices': [('ellipse', 6, 4, 26, 26), ('rect', 13, 25, 19, 30)],
    'refresh': [('ellipse', 4, 4, 28, 28)],
    'item': [('ellipse', 8, 8, 24, 24)],
    'tools': [('ellipse', 5, 5, 27, 27)],
    'filter': [('poly', [(3, 5), (29, 5), (19, 17), (19, 28), (13, 24), (13, 17)])],
    # The funnel moved up and left to make room for a tick: a type limit is on.
    'filter-on': [('poly', [(1, 2), (22, 2), (14, 11), (14, 20), (9, 17), (9, 11)]),
                  ('poly', [(15, 23), (19, 19), (22, 22), (27, 15), (31, 19), (22, 30)])],
    'about': [('ellipse', 4, 4, 28, 28)],
    'lock': [('rect', 6, 14, 26, 29), ('rect', 10, 5, 22, 14)],
    'datapoint': [('rect', 4, 18, 10, 29), ('rect', 13, 10, 19, 29), ('rect', 22, 3, 28, 29)],
}


def inside(shape, x, y):
    kind = shape[0]
    if kind == 'rect':
        _, x0, y0, x1, y1 = shape
        return x0 <= x < x1 and y0 <= y < y1
    if kind == 'ellipse':
        _, x0, y0, x1, y1 = shape
        cx, cy, rx, ry = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2, (y1 - y0) / 2
        return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1
    points = shape[1]
    hit = False
    j = len(points) - 1
    for i, (xi, yi) in enumerate(points):
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            hit = not hit
        j = i
    return hit


def ico(path, shapes):
    images = []
    for s in (16, 32):
        scale = 32 / s
        rows = []
        for row in range(s - 1, -1, -1):   # bottom-up
            line = b''
            for col in range(s):
                x, y = (col + 0.5) * scale, (row + 0.5) * scale
                on = any(inside(shape, x, y) for shape in shapes)
                line += bytes([WHITE[2], WHITE[1], WHITE[0], 255]) if on else b'\0\0\0\0'
            rows.append(line)
        bih = struct.pack('<IiiHHIIiiII', 40, s, 2 * s, 1, 32, 0, 0, 0, 0, 0, 0)
        mask = b'\0' * (((s + 31) // 32) * 4 * s)
        images.append(bih + b''.join(rows) + mask)
    offset = 6 + 16 * len(images)
    out = struct.pack('<HHH', 0, 1, len(images))
    for s, data in zip((16, 32), images):
        out += struct.pack('<BBBBHHII', s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


def emf(path, shapes):
    size = 32
    colour = WHITE[0] | WHITE[1] << 8 | WHITE[2] << 16
    records = [struct.pack('<IIIIII', 39, 24, 1, 0, colour, 0),       # EMR_CREATEBRUSHINDIRECT
               struct.pack('<III', 37, 12, 1),                        # select the brush
               struct.pack('<III', 37, 12, 0x80000000 | 8)]           # select NULL_PEN
    for shape in shapes:
        if shape[0] == 'rect':
            records.append(struct.pack('<II4i', 43, 24, *shape[1:]))  # EMR_RECTANGLE
        elif shape[0] == 'ellipse':
            records.append(struct.pack('<II4i', 42, 24, *shape[1:]))  # EMR_ELLIPSE
        else:
            pts = shape[1]
            body = struct.pack('<4iI', 0, 0, size, size, len(pts)) + b''.join(struct.pack('<hh', x, y) for x, y in pts)
            records.append(struct.pack('<II', 86, 8 + len(body)) + body)  # EMR_POLYGON16
    records.append(struct.pack('<IIIII', 14, 20, 0, 16, 20))          # EMR_EOF
    dev, mm, unit = (1000, 1000), (254, 254), 25.4
    header_size = 108
    total = header_size + sum(len(r) for r in records)
    header = struct.pack('<II4i4iIIIIHHIIIiiiiIIIii', 1, header_size, 0, 0, size - 1, size - 1,
                         0, 0, int(size * unit) - 1, int(size * unit) - 1, 0x464D4520, 0x10000, total,
                         len(records) + 1, 2, 0, 0, 0, 0, dev[0], dev[1], mm[0], mm[1], 0, 0, 0,
                         mm[0] * 1000, mm[1] * 1000)
    with open(path, 'wb') as f:
        f.write(header + b''.join(records))


if __name__ == '__main__':
    for name in ('back', 'forward', 'home', 'tasks', 'deployments', 'notices', 'refresh', 'item'):
        ico(name + '.ico', SHAPES[name])
    for name in ('tools', 'filter', 'filter-on', 'notices', 'about', 'lock', 'item', 'datapoint'):
        emf(name + '.emf', SHAPES[name])
