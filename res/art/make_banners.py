#!/usr/bin/env python3
"""Draws the two banner bitmaps of the splash screen and the About box.

banner_ortelan.bmp (325 x 325, 8 bits per pixel, 256-colour palette): a
shaded-relief map with layer tints, brown contour lines, a coast and spot
heights on the summits.

banner_halcyra.bmp (382 x 325, 24 bits per pixel): a geological map of folded
strata cut by a fault and a granite intrusion, with alluvium along a river,
strike-and-dip symbols and a small legend.

Both are computed from fixed formulas and fixed seeds, so every run writes the
same bytes. Usage: make_banners.py OUTDIR
"""

import math
import os
import struct
import sys

# ---------------------------------------------------------------- helpers


def hash01(ix, iy, seed):
    """A fixed pseudo-random value in [0, 1] for a lattice point."""
    h = (ix * 374761393 + iy * 668265263 + seed * 1442695041) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    h ^= h >> 16
    return h / 4294967295.0


def fade(t):
    return t * t * t * (t * (t * 6.0 - 15.0) + 10.0)


def value_noise(x, y, seed):
    ix = math.floor(x)
    iy = math.floor(y)
    fx = fade(x - ix)
    fy = fade(y - iy)
    a = hash01(ix, iy, seed)
    b = hash01(ix + 1, iy, seed)
    c = hash01(ix, iy + 1, seed)
    d = hash01(ix + 1, iy + 1, seed)
    top = a + (b - a) * fx
    bottom = c + (d - c) * fx
    return top + (bottom - top) * fy


def fbm(x, y, seed, octaves):
    total = 0.0
    amplitude = 0.5
    norm = 0.0
    for octave in range(octaves):
        total += amplitude * value_noise(x, y, seed + octave * 101)
        norm += amplitude
        x *= 2.03
        y *= 2.03
        amplitude *= 0.5
    return total / norm


def ridged(x, y, seed, octaves):
    total = 0.0
    amplitude = 0.5
    norm = 0.0
    weight = 1.0
    for octave in range(octaves):
        n = 1.0 - abs(2.0 * value_noise(x, y, seed + octave * 211) - 1.0)
        n = n * n * weight
        weight = min(1.0, n * 1.6)
        total += amplitude * n
        norm += amplitude
        x *= 2.11
        y *= 2.11
        amplitude *= 0.5
    return total / norm


def mix(c1, c2, t):
    return tuple(a + (b - a) * t for a, b in zip(c1, c2))


def ramp(stops, t):
    """Colour at t in [0, 1] along (position, colour) stops."""
    if t <= stops[0][0]:
        return stops[0][1]
    for (p1, c1), (p2, c2) in zip(stops, stops[1:]):
        if t <= p2:
            return mix(c1, c2, (t - p1) / (p2 - p1))
    return stops[-1][1]


def hillshade(height, width, rows, z_scale, azimuth=315.0, altitude=45.0):
    """Lambertian shading of a height grid, light from the north-west."""
    az = math.radians(360.0 - azimuth + 90.0)
    alt = math.radians(altitude)
    lx = math.cos(alt) * math.cos(az)
    ly = -math.cos(alt) * math.sin(az)
    lz = math.sin(alt)
    shade = [[0.0] * width for _ in range(rows)]
    for y in range(rows):
        ym = max(y - 1, 0)
        yp = min(y + 1, rows - 1)
        for x in range(width):
            xm = max(x - 1, 0)
            xp = min(x + 1, width - 1)
            dzdx = (height[y][xp] - height[y][xm]) * z_scale / (xp - xm)
            dzdy = (height[yp][x] - height[ym][x]) * z_scale / (yp - ym)
            nx, ny, nz = -dzdx, -dzdy, 1.0
            norm = math.sqrt(nx * nx + ny * ny + nz * nz)
            shade[y][x] = max(0.0, (nx * lx + ny * ly + nz * lz) / norm)
    return shade


def clamp_byte(v):
    return max(0, min(255, int(round(v))))


def write_bmp8(path, width, rows, palette, pixels):
    stride = (width + 3) & ~3
    image = bytearray()
    for y in range(rows - 1, -1, -1):
        image += bytes(pixels[y])
        image += bytes(stride - width)
    colours = bytearray()
    for r, g, b in palette:
        colours += bytes((b, g, r, 0))
    colours += bytes(4 * (256 - len(palette)))
    offset = 14 + 40 + len(colours)
    header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, rows, 1, 8, 0, len(image), 3780, 3780, 256, 0)
    with open(path, "wb") as out:
        out.write(header + info + colours + image)


def write_bmp24(path, width, rows, pixels):
    stride = (width * 3 + 3) & ~3
    image = bytearray()
    for y in range(rows - 1, -1, -1):
        line = bytearray()
        for r, g, b in pixels[y]:
            line += bytes((clamp_byte(b), clamp_byte(g), clamp_byte(r)))
        image += line + bytes(stride - width * 3)
    offset = 14 + 40
    header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, rows, 1, 24, 0, len(image), 3780, 3780, 0, 0)
    with open(path, "wb") as out:
        out.write(header + info + image)


# Ordered dither thresholds, so that 14 shade steps read as smooth shading.
BAYER4 = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]

# ---------------------------------------------------- shaded relief (122)

RELIEF_SIZE = 325
LAND_BANDS = 16
SHADE_LEVELS = 14
WATER_BANDS = 8
SHADE_LOW, SHADE_HIGH = 0.42, 1.22

LAND_TINTS = [
    (0.00, (112, 158, 104)),
    (0.18, (150, 186, 118)),
    (0.36, (214, 212, 146)),
    (0.52, (222, 184, 122)),
    (0.68, (188, 140, 98)),
    (0.82, (160, 128, 112)),
    (0.92, (206, 200, 196)),
    (1.00, (250, 250, 252)),
]
WATER_TINTS = [(0.0, (184, 222, 240)), (1.0, (88, 140, 196))]


def relief_heights():
    size = RELIEF_SIZE
    heights = []
    for y in range(size):
        v = y / size
        row = []
        for x in range(size):
            u = x / size
            # Warp the coordinates a little so ridges bend like real ones.
            wu = u + 0.18 * (fbm(u * 2.0, v * 2.0, 7, 3) - 0.5)
            wv = v + 0.18 * (fbm(u * 2.0 + 5.2, v * 2.0 + 1.3, 11, 3) - 0.5)
            mountains = ridged(wu * 3.2, wv * 3.2, 23, 5)
            hills = fbm(wu * 4.0, wv * 4.0, 41, 5)
            # A massif in the north-east falling to a bay in the south-west.
            slope = 0.5 + 0.5 * math.tanh(2.6 * (u - v + 0.15) + 1.4 * (0.5 - v))
            massif = math.exp(-((u - 0.68) ** 2 + (v - 0.30) ** 2) / 0.09)
            h = 0.50 * mountains * (0.35 + 0.65 * slope) + 0.30 * hills + 0.35 * slope
            h += 0.25 * massif * mountains
            row.append(h)
        heights.append(row)
    low = min(min(r) for r in heights)
    high = max(max(r) for r in heights)
    return [[(h - low) / (high - low) for h in r] for r in heights]


def relief_banner(path):
    size = RELIEF_SIZE
    height = relief_heights()
    # A quarter of the sheet is sea.
    ordered = sorted(h for r in height for h in r)
    sea_level = ordered[len(ordered) // 4]
    shade = hillshade(height, size, size, z_scale=size * 0.55)

    palette = []
    for band in range(LAND_BANDS):
        tint = ramp(LAND_TINTS, (band + 0.5) / LAND_BANDS)
        for level in range(SHADE_LEVELS):
            f = SHADE_LOW + (SHADE_HIGH - SHADE_LOW) * level / (SHADE_LEVELS - 1)
            palette.append(tuple(clamp_byte(c * f) for c in tint))
    water_base = len(palette)
    for band in range(WATER_BANDS):
        tint = ramp(WATER_TINTS, band / (WATER_BANDS - 1))
        palette.append(tuple(clamp_byte(c) for c in tint))
    contour = len(palette)
    palette.append((128, 88, 58))
    index_contour = len(palette)
    palette.append((92, 58, 36))
    coast = len(palette)
    palette.append((34, 84, 140))
    black = len(palette)
    palette.append((20, 20, 20))
    white = len(palette)
    palette.append((255, 255, 255))
    assert len(palette) <= 256

    def land_band(h):
        t = (h - sea_level) / (1.0 - sea_level)
        return min(LAND_BANDS - 1, int(t * LAND_BANDS))

    def water_band(h):
        t = (sea_level - h) / sea_level
        return min(WATER_BANDS - 1, int(t * 3.0 * WATER_BANDS))

    pixels = [[0] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            h = height[y][x]
            if h < sea_level:
                pixels[y][x] = water_base + water_band(h)
                continue
            band = land_band(h)
            f = 0.55 + 0.75 * shade[y][x]
            pos = (f - SHADE_LOW) / (SHADE_HIGH - SHADE_LOW) * (SHADE_LEVELS - 1)
            level = int(pos + (BAYER4[y % 4][x % 4] + 0.5) / 16.0)
            level = max(0, min(SHADE_LEVELS - 1, level))
            pixels[y][x] = band * SHADE_LEVELS + level

    # Contours where the layer changes; every fourth one is an index contour.
    for y in range(size - 1):
        for x in range(size - 1):
            h = height[y][x]
            for nh in (height[y][x + 1], height[y + 1][x]):
                if (h < sea_level) != (nh < sea_level):
                    pixels[y][x] = coast
                    break
                if h >= sea_level and nh >= sea_level:
                    b1, b2 = land_band(h), land_band(nh)
                    if b1 != b2:
                        pixels[y][x] = index_contour if max(b1, b2) % 4 == 0 else contour
                        break

    # Spot heights: a small triangle on the highest summits.
    summits = []
    for y in range(8, size - 8, 2):
        for x in range(8, size - 8, 2):
            h = height[y][x]
            if h > 0.72 and all(
                height[y + dy][x + dx] <= h for dy in range(-7, 8, 7) for dx in range(-7, 8, 7)
            ):
                summits.append((h, x, y))
    summits.sort(reverse=True)
    placed = []
    for h, x, y in summits:
        if all((x - px) ** 2 + (y - py) ** 2 > 60 ** 2 for px, py in placed):
            placed.append((x, y))
        if len(placed) == 4:
            break
    for x, y in placed:
        for dy in range(-3, 3):
            half = (dy + 3) // 2
            for dx in range(-half, half + 1):
                pixels[y + dy][x + dx] = black

    # Neat line: a white margin inside a dark rule.
    for i in range(size):
        for j in (0, size - 1):
            pixels[j][i] = black
            pixels[i][j] = black
        for j in (1, size - 2):
            pixels[j][i] = white if 0 < i < size - 1 else black
            pixels[i][j] = white if 0 < i < size - 1 else black
    write_bmp8(path, size, size, palette, pixels)


# ------------------------------------------------- geological map (124)

GEO_WIDTH, GEO_HEIGHT = 382, 325

# Stratigraphic column, youngest first: colour and relative thickness.
STRATA = [
    ((166, 206, 120), 1.0),  # glauconitic sandstone
    ((118, 172, 208), 1.3),  # oolitic limestone
    ((196, 150, 200), 0.8),  # red mudstone
    ((236, 170, 104), 1.2),  # sandstone
    ((150, 150, 156), 0.9),  # coal measures
    ((120, 182, 160), 1.1),  # limestone
    ((204, 120, 96), 1.0),  # slate
]
ALLUVIUM = (246, 232, 168)
GRANITE = (232, 120, 140)
RIVER = (40, 110, 190)
INK = (30, 26, 24)


def geo_topography(u, v):
    """Ground height: hills cut by a river valley winding north to south."""
    valley_x = 0.50 + 0.10 * math.sin(v * 5.3 + 0.4) + 0.04 * math.sin(v * 13.0)
    d = abs(u - valley_x)
    valley = 1.0 - math.exp(-(d * d) / 0.010)
    hills = fbm(u * 3.5, v * 3.0, 97, 4)
    return 0.55 * valley + 0.45 * hills, d


def geo_bedding(u, v):
    """Height of a reference bedding plane: a plunging anticline and syncline."""
    axis = 2.0 * math.pi * (u * 1.25 + 0.12 * math.sin(v * 3.0))
    return 0.55 * math.sin(axis) * (0.6 + 0.4 * v) + 0.9 * v


def fault_side(u, v):
    """Positive east of a north-east trending fault."""
    return (u - 0.28) - 0.55 * (v - 0.05) - 0.03 * math.sin(v * 9.0)


def geo_banner(path):
    width, rows = GEO_WIDTH, GEO_HEIGHT
    scale = max(width, rows)
    total = sum(t for _, t in STRATA)
    bounds = []
    acc = 0.0
    for colour, thick in STRATA:
        acc += thick / total
        bounds.append(acc)

    ground = [[0.0] * width for _ in range(rows)]
    unit = [[0] * width for _ in range(rows)]
    valley_distance = [[0.0] * width for _ in range(rows)]
    for y in range(rows):
        v = y / scale
        for x in range(width):
            u = x / scale
            t, d = geo_topography(u, v)
            ground[y][x] = t
            valley_distance[y][x] = d
            # Stratigraphic level reached at the surface, repeating the column.
            level = (t * 0.9 - geo_bedding(u, v)) * 1.6
            if fault_side(u, v) > 0:
                level += 0.37
            level -= math.floor(level)
            k = 0
            while bounds[k] < level:
                k += 1
            unit[y][x] = k

    shade = hillshade(ground, width, rows, z_scale=scale * 0.18)
    pluton_cx, pluton_cy = 0.80 * width / scale, 0.66 * rows / scale

    def in_pluton(u, v):
        du, dv = u - pluton_cx, v - pluton_cy
        r = math.sqrt(du * du / 0.018 + dv * dv / 0.010)
        return r < 1.0 + 0.08 * math.sin(math.atan2(dv, du) * 5.0)

    kinds = [[0] * width for _ in range(rows)]  # 0 strata, 1 alluvium, 2 granite
    for y in range(rows):
        for x in range(width):
            u, v = x / scale, y / scale
            if in_pluton(u, v):
                kinds[y][x] = 2
            elif valley_distance[y][x] < 0.035 + 0.012 * math.sin(v * 17.0):
                kinds[y][x] = 1

    pixels = [[(0, 0, 0)] * width for _ in range(rows)]
    for y in range(rows):
        for x in range(width):
            kind = kinds[y][x]
            if kind == 2:
                base = GRANITE
                # Crosses, the usual ornament of an intrusion.
                if (x % 9 == 4 and y % 9 in (3, 4, 5)) or (y % 9 == 4 and x % 9 in (3, 5)):
                    base = mix(GRANITE, INK, 0.45)
            elif kind == 1:
                base = ALLUVIUM
                if (x * 7 + y * 3) % 11 == 0 and (x + y) % 2 == 0:
                    base = mix(ALLUVIUM, INK, 0.35)
            else:
                base = STRATA[unit[y][x]][0]
            f = 0.78 + 0.34 * shade[y][x]
            pixels[y][x] = tuple(clamp_byte(c * f) for c in base)

    # Geological boundaries: thin ink where the unit or the kind changes.
    for y in range(rows - 1):
        for x in range(width - 1):
            here = (kinds[y][x], unit[y][x] if kinds[y][x] == 0 else -1)
            right = (kinds[y][x + 1], unit[y][x + 1] if kinds[y][x + 1] == 0 else -1)
            down = (kinds[y + 1][x], unit[y + 1][x] if kinds[y + 1][x] == 0 else -1)
            if here != right or here != down:
                pixels[y][x] = mix(pixels[y][x], INK, 0.75)

    # The fault: a heavy line, drawn outside the intrusion that cuts it.
    for y in range(rows):
        for x in range(width):
            u, v = x / scale, y / scale
            if abs(fault_side(u, v)) * scale < 1.3 and not in_pluton(u, v):
                pixels[y][x] = INK

    # The river along the valley floor.
    for y in range(rows):
        for x in range(width):
            if valley_distance[y][x] * scale < 1.2:
                pixels[y][x] = RIVER

    # Strike-and-dip symbols: a strike line with a short tick down dip.
    for gy in range(30, rows - 20, 58):
        for gx in range(34, width - 20, 64):
            u, v = gx / scale, gy / scale
            if kinds[gy][gx] != 0 or abs(fault_side(u, v)) * scale < 12:
                continue
            e = 1e-3
            gu = (geo_bedding(u + e, v) - geo_bedding(u - e, v)) / (2 * e)
            gv = (geo_bedding(u, v + e) - geo_bedding(u, v - e)) / (2 * e)
            norm = math.hypot(gu, gv)
            if norm < 1e-6:
                continue
            du, dv = -gu / norm, -gv / norm  # down dip
            su, sv = -dv, du  # strike
            for s in range(-7, 8):
                px, py = int(round(gx + su * s)), int(round(gy + sv * s))
                for ox, oy in ((0, 0), (1, 0)):
                    pixels[py + oy][px + ox] = INK
            for s in range(0, 5):
                px, py = int(round(gx + du * s)), int(round(gy + dv * s))
                pixels[py][px] = INK

    # A small legend in the south-west corner: one swatch per unit.
    lx, ly = 10, rows - 12 - 9 * (len(STRATA) + 2)
    box_w, box_h = 26, 9 * (len(STRATA) + 2) + 4
    for y in range(ly - 4, ly - 4 + box_h):
        for x in range(lx - 4, lx - 4 + box_w):
            edge = y in (ly - 4, ly - 5 + box_h) or x in (lx - 4, lx - 5 + box_w)
            pixels[y][x] = INK if edge else (252, 250, 244)
    swatches = [c for c, _ in STRATA] + [ALLUVIUM, GRANITE]
    for i, colour in enumerate(swatches):
        top = ly + i * 9
        for y in range(top, top + 7):
            for x in range(lx, lx + 18):
                edge = y in (top, top + 6) or x in (lx, lx + 17)
                pixels[y][x] = INK if edge else colour

    # Neat line.
    for x in range(width):
        for y in (0, 1, rows - 2, rows - 1):
            pixels[y][x] = INK
    for y in range(rows):
        for x in (0, 1, width - 2, width - 1):
            pixels[y][x] = INK
    write_bmp24(path, width, rows, pixels)


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: make_banners.py OUTDIR\n")
        return 2
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    relief_banner(os.path.join(out, "banner_ortelan.bmp"))
    geo_banner(os.path.join(out, "banner_halcyra.bmp"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
