#!/usr/bin/env python3
"""Writes the console's own pictures from the drawings below: icons (anti-aliased, at every size
the console loads them: 16 to 48 pixels, and 64 for the application icon) and "EMF" vector
pictures. Glyphs meant for the coloured bars are white; the console recolours them with its text
colour. Run from this folder; the outputs are committed beside it (and two in the folder above).

A drawing is a list of layers painted in order. A layer is (colour, contours): the contours are
filled together with the even-odd rule, so a contour inside another cuts a hole. Coordinates are
fractions of the picture's width and height, y downwards.
"""
import math
import struct

WHITE = (255, 255, 255, 255)


# ---------------------------------------------------------------------------------------------
# Shapes: each returns one contour (a list of points) or a list of contours.

def rect(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]


def circle(cx, cy, r, ry=None, n=48):
    ry = r if ry is None else ry
    return [(cx + r * math.cos(2 * math.pi * i / n), cy + ry * math.sin(2 * math.pi * i / n)) for i in range(n)]


def rounded(x0, y0, x1, y1, r, n=8):
    points = []
    for cx, cy, start in ((x1 - r, y0 + r, -90), (x1 - r, y1 - r, 0), (x0 + r, y1 - r, 90), (x0 + r, y0 + r, 180)):
        for i in range(n + 1):
            a = math.radians(start + 90 * i / n)
            points.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return points


def arc(cx, cy, r, a0, a1, n=40):
    """Points along an arc, angles in degrees (0 = right, clockwise on screen)."""
    return [(cx + r * math.cos(math.radians(a0 + (a1 - a0) * i / n)),
             cy + r * math.sin(math.radians(a0 + (a1 - a0) * i / n))) for i in range(n + 1)]


def stroke(points, width):
    """A polyline of the width as separate contours: one quad per segment and a disc per joint.
    Give each contour its own layer (see strokes) so that overlaps do not cancel."""
    h = width / 2
    parts = []
    for (x0, y0), (x1, y1) in zip(points, points[1:]):
        dx, dy = x1 - x0, y1 - y0
        length = math.hypot(dx, dy) or 1
        nx, ny = -dy / length * h, dx / length * h
        parts.append([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)])
    for x, y in points:
        parts.append(circle(x, y, h, n=16))
    return parts


def strokes(colour, points, width):
    return [(colour, [part]) for part in stroke(points, width)]


def ring(cx, cy, r0, r1):
    return [circle(cx, cy, r1), circle(cx, cy, r0)]


def triangle(a, b, c):
    return [a, b, c]


def gear(cx, cy, r_out, r_in, teeth=8):
    points = []
    step = 360 / teeth
    for i in range(teeth):
        base = i * step
        for a, r in ((base - step * 0.22, r_out), (base + step * 0.22, r_out),
                     (base + step * 0.32, r_in), (base + step * 0.68, r_in)):
            points.append((cx + r * math.cos(math.radians(a)), cy + r * math.sin(math.radians(a))))
    return points


def shade(colour, factor):
    r, g, b, a = colour
    if factor >= 1:
        t = factor - 1
        return (round(r + (255 - r) * t), round(g + (255 - g) * t), round(b + (255 - b) * t), a)
    return (round(r * factor), round(g * factor), round(b * factor), a)


# ---------------------------------------------------------------------------------------------
# Drawings

def arrow(direction):
    head = [(0.06, 0.5), (0.5, 0.1), (0.5, 0.9)]
    shaft = rect(0.44, 0.35, 0.94, 0.65)
    if direction > 0:
        head = [(1 - x, y) for x, y in head]
        shaft = [(1 - x, y) for x, y in shaft]
    return [(WHITE, [head]), (WHITE, [shaft])]


def home():
    return [(WHITE, [triangle((0.5, 0.06), (0.0, 0.5), (1.0, 0.5))]),
            (WHITE, [rect(0.68, 0.1, 0.82, 0.4)]),
            (WHITE, [rect(0.16, 0.46, 0.84, 0.94), rect(0.41, 0.64, 0.59, 0.94)])]


def tasks():
    # A clipboard with ticked lines.
    layers = [(WHITE, [rounded(0.14, 0.1, 0.86, 0.96, 0.08), rect(0.24, 0.22, 0.76, 0.86)]),
              (WHITE, [rounded(0.34, 0.02, 0.66, 0.2, 0.05)])]
    for y in (0.36, 0.54, 0.72):
        layers += strokes(WHITE, [(0.3, y), (0.36, y + 0.06), (0.46, y - 0.06)], 0.07)
        layers.append((WHITE, [rect(0.52, y - 0.035, 0.7, y + 0.035)]))
    return layers


def deployments():
    # A monitor with an arrow coming down onto its screen.
    return [(WHITE, [rounded(0.04, 0.1, 0.96, 0.72, 0.05), rect(0.12, 0.18, 0.88, 0.64)]),
            (WHITE, [rect(0.43, 0.22, 0.57, 0.4)]),
            (WHITE, [triangle((0.3, 0.38), (0.7, 0.38), (0.5, 0.6))]),
            (WHITE, [rect(0.42, 0.72, 0.58, 0.84)]),
            (WHITE, [rounded(0.24, 0.82, 0.76, 0.92, 0.04)])]


def notices():
    # A megaphone with sound waves.
    layers = [(WHITE, [[(0.08, 0.36), (0.24, 0.36), (0.62, 0.12), (0.62, 0.88), (0.24, 0.64), (0.08, 0.64)]]),
              (WHITE, [[(0.22, 0.62), (0.36, 0.62), (0.42, 0.9), (0.3, 0.9)]])]
    layers += strokes(WHITE, arc(0.62, 0.5, 0.16, -40, 40, 10), 0.07)
    layers += strokes(WHITE, arc(0.62, 0.5, 0.3, -45, 45, 14), 0.07)
    return layers


def refresh():
    layers = strokes(WHITE, arc(0.5, 0.52, 0.32, -70, 220, 30), 0.13)
    tip = arc(0.5, 0.52, 0.32, -70, -70, 1)[0]
    layers.append((WHITE, [triangle((tip[0] - 0.02, tip[1] - 0.22), (tip[0] + 0.2, tip[1] + 0.04),
                                    (tip[0] - 0.14, tip[1] + 0.14))]))
    return layers


def tools():
    return [(WHITE, [gear(0.5, 0.5, 0.47, 0.33), circle(0.5, 0.5, 0.15)])]


def bell(colour=WHITE):
    return [(colour, [circle(0.5, 0.1, 0.07)]),
            (colour, [circle(0.5, 0.4, 0.27)]),
            (colour, [[(0.23, 0.4), (0.77, 0.4), (0.84, 0.72), (0.16, 0.72)]]),
            (colour, [rounded(0.06, 0.68, 0.94, 0.8, 0.05)]),
            (colour, [circle(0.5, 0.87, 0.09)])]


def funnel(x0, y0, x1, y1):
    w, h = x1 - x0, y1 - y0
    pts = [(0.0, 0.0), (1.0, 0.0), (0.6, 0.46), (0.6, 1.0), (0.4, 0.86), (0.4, 0.46)]
    return [(x0 + x * w, y0 + y * h) for x, y in pts]


def filter_off():
    return [(WHITE, [funnel(0.06, 0.1, 0.94, 0.92)])]


def filter_on():
    return [(WHITE, [funnel(0.0, 0.02, 0.72, 0.8)])] + strokes(WHITE, [(0.5, 0.74), (0.64, 0.88), (0.92, 0.56)], 0.13)


def about():
    return [(WHITE, [circle(0.5, 0.5, 0.47), circle(0.5, 0.27, 0.08), rounded(0.42, 0.42, 0.58, 0.8, 0.03)])]


def lock():
    layers = strokes(WHITE, arc(0.5, 0.36, 0.21, 180, 360, 20), 0.11)
    layers += [(WHITE, [rect(0.235, 0.36, 0.345, 0.5)]), (WHITE, [rect(0.655, 0.36, 0.765, 0.5)])]
    layers.append((WHITE, [rounded(0.14, 0.46, 0.86, 0.96, 0.07), circle(0.5, 0.64, 0.08),
                           [(0.46, 0.66), (0.54, 0.66), (0.56, 0.84), (0.44, 0.84)]]))
    return layers


BLUE = (3, 66, 142, 255)
DARK = (40, 40, 40, 255)


def datapoint():
    return [(DARK, [rect(0.04, 0.92, 0.96, 0.98)]),
            ((52, 120, 198, 255), [rect(0.1, 0.52, 0.3, 0.9)]),
            ((76, 175, 80, 255), [rect(0.4, 0.3, 0.6, 0.9)]),
            ((245, 150, 30, 255), [rect(0.7, 0.08, 0.9, 0.9)])]


def link():
    layers = []
    for cx, cy in ((0.36, 0.64), (0.64, 0.36)):
        outer = rounded(cx - 0.3, cy - 0.16, cx + 0.3, cy + 0.16, 0.16)
        inner = rounded(cx - 0.19, cy - 0.06, cx + 0.19, cy + 0.06, 0.06)
        rot = lambda pts: [(cx + (x - cx) * 0.7071 + (y - cy) * 0.7071, cy - (x - cx) * 0.7071 + (y - cy) * 0.7071)
                           for x, y in pts]
        layers.append((BLUE, [rot(outer), rot(inner)]))
    return layers


def chat():
    return [(BLUE, [rounded(0.04, 0.1, 0.96, 0.7, 0.14), circle(0.3, 0.4, 0.06), circle(0.5, 0.4, 0.06),
                    circle(0.7, 0.4, 0.06)]),
            (BLUE, [triangle((0.2, 0.66), (0.42, 0.66), (0.14, 0.94))])]


def cube(scale=1.0, dx=0.0, dy=0.0):
    """The plain directory object: a blue box seen from above, outlined."""
    def p(x, y):
        return (dx + x * scale, dy + y * scale)
    outline = [p(0.5, 0.03), p(0.94, 0.25), p(0.94, 0.75), p(0.5, 0.97), p(0.06, 0.75), p(0.06, 0.25)]
    top = [p(0.5, 0.1), p(0.86, 0.28), p(0.5, 0.46), p(0.14, 0.28)]
    left = [p(0.13, 0.33), p(0.47, 0.51), p(0.47, 0.9), p(0.13, 0.72)]
    right = [p(0.53, 0.51), p(0.87, 0.33), p(0.87, 0.72), p(0.53, 0.9)]
    base = (52, 120, 198, 255)
    return [((20, 50, 100, 255), [outline]), (shade(base, 1.45), [top]), (base, [left]), (shade(base, 0.7), [right])]


def magnifier():
    return [((70, 70, 70, 255), [circle(0.4, 0.4, 0.34)]),
            ((200, 225, 250, 255), [circle(0.4, 0.4, 0.25)]),
            ((255, 255, 255, 200), [circle(0.32, 0.32, 0.09)])] + \
        strokes((90, 60, 30, 255), [(0.64, 0.64), (0.9, 0.9)], 0.16)


def application():
    frame = (60, 60, 64, 255)
    return [(frame, [rounded(0.02, 0.08, 0.98, 0.76, 0.06)]),
            ((40, 110, 200, 255), [rect(0.09, 0.15, 0.91, 0.68)]),
            (frame, [rect(0.42, 0.76, 0.58, 0.86)]),
            (frame, [rounded(0.22, 0.84, 0.78, 0.95, 0.04)]),
            ((255, 255, 255, 255), [rect(0.43, 0.2, 0.57, 0.4)]),
            ((90, 200, 90, 255), [triangle((0.28, 0.38), (0.72, 0.38), (0.5, 0.63))])]


def ball(colour):
    return [(shade(colour, 0.6), [circle(0.5, 0.5, 0.44)]),
            (colour, [circle(0.5, 0.5, 0.38)]),
            (shade(colour, 1.35), [circle(0.44, 0.42, 0.24)]),
            ((255, 255, 255, 170), [circle(0.38, 0.32, 0.1, 0.07)])]


def warning():
    return [((120, 90, 0, 255), [[(0.5, 0.02), (0.99, 0.94), (0.01, 0.94)]]),
            ((252, 200, 30, 255), [[(0.5, 0.12), (0.9, 0.88), (0.1, 0.88)]]),
            ((20, 20, 20, 255), [[(0.44, 0.34), (0.56, 0.34), (0.54, 0.66), (0.46, 0.66)]]),
            ((20, 20, 20, 255), [circle(0.5, 0.77, 0.06)])]


def overlay():
    # A corner mark: the object lies elsewhere than expected.
    return [((255, 255, 255, 255), [rounded(0.0, 0.5, 0.5, 1.0, 0.06)]),
            ((230, 120, 20, 255), [rounded(0.04, 0.54, 0.46, 0.96, 0.05)])] + \
        strokes((255, 255, 255, 255), [(0.13, 0.87), (0.36, 0.64)], 0.08) + \
        [((255, 255, 255, 255), [triangle((0.2, 0.62), (0.4, 0.6), (0.38, 0.8))])]


def inherit():
    # A value handed down from the parent: a box with an arrow leaving it downwards.
    layers = [(BLUE, [rect(0.06, 0.06, 0.48, 0.42), rect(0.14, 0.14, 0.4, 0.34)])]
    layers += strokes(BLUE, [(0.27, 0.42), (0.27, 0.72), (0.62, 0.72)], 0.1)
    layers.append((BLUE, [triangle((0.6, 0.54), (0.96, 0.72), (0.6, 0.9))]))
    return layers


def select():
    # A ticked check box: the Select drop-down of the lists.
    green = (40, 150, 40, 255)
    layers = [(BLUE, [rounded(0.06, 0.2, 0.7, 0.84, 0.1), rounded(0.15, 0.29, 0.61, 0.75, 0.05)]),
              (WHITE, [rounded(0.15, 0.29, 0.61, 0.75, 0.05)])]
    layers += strokes(green, [(0.22, 0.5), (0.4, 0.7), (0.9, 0.12)], 0.15)
    return layers


def view():
    """An eye: the list's view choice."""
    return [((60, 90, 140, 255), [circle(0.5, 0.5, 0.46, 0.28)]),
            ((255, 255, 255, 255), [circle(0.5, 0.5, 0.36, 0.2)]),
            ((40, 60, 100, 255), [circle(0.5, 0.5, 0.16)]),
            ((255, 255, 255, 220), [circle(0.45, 0.45, 0.05)])]


def attention():
    red = (210, 40, 40, 255)
    return [(red, [circle(0.5, 0.5, 0.47)]),
            (WHITE, [[(0.43, 0.18), (0.57, 0.18), (0.55, 0.6), (0.45, 0.6)]]),
            (WHITE, [circle(0.5, 0.76, 0.08)])]


def logo():
    """The about pane's logo, 612 x 145: the application mark and the name in block letters."""
    w, h = 612.0, 145.0
    def box(x0, y0, x1, y1):
        return rect(x0 / w, y0 / h, x1 / w, y1 / h)
    mark = [(c, [[(0.02 + x * 0.2, 0.04 + y * 0.92) for x, y in contour] for contour in contours])
            for c, contours in application()]
    ink = BLUE
    t = 22.0   # stroke of the letters
    layers = list(mark)
    # Q
    qx, qy, qr = 215.0, 72.0, 56.0
    layers.append((ink, [circle(qx / w, qy / h, qr / w, qr / h, 64), circle(qx / w, qy / h, (qr - t) / w, (qr - t) / h, 64)]))
    layers.append((ink, [[((qx + 10) / w, (qy + 22) / h), ((qx + 30) / w, (qy + 8) / h),
                          ((qx + 68) / w, (qy + 58) / h), ((qx + 48) / w, (qy + 70) / h)]]))
    # E
    ex = 300.0
    layers += [(ink, [box(ex, 16, ex + t, 128)]), (ink, [box(ex, 16, ex + 84, 16 + t)]),
               (ink, [box(ex, 61, ex + 70, 61 + t)]), (ink, [box(ex, 128 - t, ex + 84, 128)])]
    # L
    lx = 410.0
    layers += [(ink, [box(lx, 16, lx + t, 128)]), (ink, [box(lx, 128 - t, lx + 80, 128)])]
    # An underline in the highlight colour.
    layers.append(((76, 175, 80, 255), [box(505, 112, 600, 128)]))
    return layers


# ---------------------------------------------------------------------------------------------
# Raster output: anti-aliased by coverage over sub-scanlines.

SUB = 8


def raster(layers, size):
    n = size * size
    r, g, b, a = [0.0] * n, [0.0] * n, [0.0] * n, [0.0] * n
    for colour, contours in layers:
        cov = [0.0] * n
        edges = []
        for contour in contours:
            pts = [(x * size, y * size) for x, y in contour]
            for (x0, y0), (x1, y1) in zip(pts, pts[1:] + pts[:1]):
                if y0 != y1:
                    edges.append((x0, y0, x1, y1))
        for sy in range(size * SUB):
            y = (sy + 0.5) / SUB
            xs = sorted(x0 + (y - y0) * (x1 - x0) / (y1 - y0) for x0, y0, x1, y1 in edges
                        if (y0 <= y < y1) or (y1 <= y < y0))
            row = int(y) * size
            for left, right in zip(xs[0::2], xs[1::2]):
                left, right = max(left, 0.0), min(right, float(size))
                if right <= left:
                    continue
                i0, i1 = int(left), min(int(right), size - 1)
                if i0 == i1:
                    cov[row + i0] += (right - left) / SUB
                    continue
                cov[row + i0] += (i0 + 1 - left) / SUB
                for i in range(i0 + 1, i1):
                    cov[row + i] += 1.0 / SUB
                cov[row + i1] += (right - i1) / SUB
        cr, cg, cb, ca = colour
        for i in range(n):
            c = min(cov[i], 1.0) * ca / 255.0
            if c <= 0:
                continue
            # Source over destination, unpremultiplied.
            out = c + a[i] * (1 - c)
            r[i] = (cr * c + r[i] * a[i] * (1 - c)) / out
            g[i] = (cg * c + g[i] * a[i] * (1 - c)) / out
            b[i] = (cb * c + b[i] * a[i] * (1 - c)) / out
            a[i] = out
    return [(round(r[i]), round(g[i]), round(b[i]), round(a[i] * 255)) for i in range(n)]


def ico(path, layers, sizes=(16, 20, 24, 32, 40, 48)):
    images = []
    for s in sizes:
        pixels = raster(layers, s)
        rows = []
        for row in range(s - 1, -1, -1):   # bottom-up
            rows.append(b''.join(bytes((pb, pg, pr, pa)) for pr, pg, pb, pa in pixels[row * s:(row + 1) * s]))
        bih = struct.pack('<IiiHHIIiiII', 40, s, 2 * s, 1, 32, 0, 0, 0, 0, 0, 0)
        stride = ((s + 31) // 32) * 4
        mask = bytearray(stride * s)
        for row in range(s):
            for col in range(s):
                if pixels[(s - 1 - row) * s + col][3] == 0:
                    mask[row * stride + col // 8] |= 0x80 >> (col % 8)
        images.append(bih + b''.join(rows) + bytes(mask))
    offset = 6 + 16 * len(images)
    out = struct.pack('<HHH', 0, 1, len(images))
    for s, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


# ---------------------------------------------------------------------------------------------
# Vector output: one brush and one even-odd poly-polygon per layer.

def emf(path, layers, width=512, height=512):
    records = [struct.pack('<III', 19, 12, 1),                           # EMR_SETPOLYFILLMODE ALTERNATE
               struct.pack('<III', 37, 12, 0x80000000 | 8)]              # select NULL_PEN
    for colour, contours in layers:
        # Vector pictures have no partial opacity: a translucent highlight is left out.
        if colour[3] < 255:
            continue
        ref = colour[0] | colour[1] << 8 | colour[2] << 16
        records.append(struct.pack('<IIIIII', 39, 24, 1, 0, ref, 0))     # EMR_CREATEBRUSHINDIRECT
        records.append(struct.pack('<III', 37, 12, 1))                   # select it
        pts = [[(round(x * width), round(y * height)) for x, y in c] for c in contours]
        xs = [p[0] for c in pts for p in c]
        ys = [p[1] for c in pts for p in c]
        count = sum(len(c) for c in pts)
        body = struct.pack('<4iII', min(xs), min(ys), max(xs), max(ys), len(pts), count)
        body += b''.join(struct.pack('<I', len(c)) for c in pts)
        body += b''.join(struct.pack('<hh', x, y) for c in pts for x, y in c)
        records.append(struct.pack('<II', 91, 8 + len(body)) + body)     # EMR_POLYPOLYGON16
        records.append(struct.pack('<III', 37, 12, 0x80000000 | 4))      # select BLACK_BRUSH
        records.append(struct.pack('<III', 40, 12, 1))                   # EMR_DELETEOBJECT
    records.append(struct.pack('<IIIII', 14, 20, 0, 16, 20))             # EMR_EOF
    dev, mm, unit = (1000, 1000), (254, 254), 25.4
    header_size = 108
    total = header_size + sum(len(r) for r in records)
    header = struct.pack('<II4i4iIIIIHHIIIiiiiIIIii', 1, header_size, 0, 0, width - 1, height - 1,
                         0, 0, int(width * unit) - 1, int(height * unit) - 1, 0x464D4520, 0x10000, total,
                         len(records) + 1, 2, 0, 0, 0, 0, dev[0], dev[1], mm[0], mm[1], 0, 0, 0,
                         mm[0] * 1000, mm[1] * 1000)
    with open(path, 'wb') as f:
        f.write(header + b''.join(records))


ICONS = {
    'back': arrow(-1), 'forward': arrow(1), 'home': home(), 'tasks': tasks(), 'deployments': deployments(),
    'notices': notices(), 'refresh': refresh(), 'item': cube(),
    'ball-red': ball((220, 40, 40, 255)), 'ball-green': ball((60, 170, 60, 255)),
    'ball-amber': ball((240, 160, 20, 255)), 'warning': warning(), 'overlay': overlay(),
    'inherit': inherit(), 'attention': attention(), 'select': select(), 'view': view(),
}

PICTURES = {
    'tools': tools(), 'filter': filter_off(), 'filter-on': filter_on(), 'bell': bell(), 'about': about(),
    'lock': lock(), 'datapoint': datapoint(), 'link': link(), 'chat': chat(),
}

if __name__ == '__main__':
    for name, layers in ICONS.items():
        ico(name + '.ico', layers)
    for name, layers in PICTURES.items():
        emf(name + '.emf', layers)
    emf('logo.emf', logo(), 612 * 2, 145 * 2)
    ico('../Console.ico', application(), (16, 20, 24, 32, 40, 48, 64))
    ico('../Item.ico', magnifier())
