#!/usr/bin/env python3
"""Builds data/spec.csv, the table the simulator reads its colours and spectra from.

spec.csv layout (no header line, comma separated, LF line endings):

    row i (i = 0..400) is the wavelength 380 + i nm
    col 0..2   xbar, ybar, zbar          CIE 1931 2 degree observer, as published (ybar(555) = 1)
    col 3..11  the nine test spectra     A, D50, D55, D65, D75, E, F2, F7, F11 in this order

Each test spectrum is scaled so that the plain 1 nm sum of ybar x spectrum over 380..780 nm is
TARGET_LUMINANCE: the simulator uses these sums unnormalised as X, Y, Z of a free reading, so
each free reading reads like a white of that many cd/m2.

Sources (copied into data/cie/, see data/cie/README.md):
    cie/cmf_cie1931_2deg_1nm.csv   the observer, 1 nm
    cie/illuminants_5nm.csv        D50, D55, D65, D75 at 5 nm (A is recomputed from its formula)
    cie/illuminants_F_5nm.csv      F2, F7, F11 at 5 nm

Standard library only. Usage: python3 data/make_simulator_spectra.py [output]   (default: data/spec.csv)
"""

import csv
import math
import os
import sys

FIRST_NM = 380
LAST_NM = 780
ROWS = LAST_NM - FIRST_NM + 1  # 401 rows, one per nm, as the instruments deliver spectra

# Luminance (cd/m2) a free reading of every spectrum gives: a typical calibrated desktop white.
TARGET_LUMINANCE = 100.0

# Second radiation constant used by the CIE definition of illuminant A (CIE 15:2004, 1.4350e-2 m K).
C2_ILLUMINANT_A = 1.435e-2
# Colour temperature of illuminant A in that definition (K).
T_ILLUMINANT_A = 2848.0

SPECTRA = ["A", "D50", "D55", "D65", "D75", "E", "F2", "F7", "F11"]

HERE = os.path.dirname(os.path.abspath(__file__))


def read_table(name):
    """Reads one CIE table: {column name: {nm: value}}; empty cells are left out."""
    path = os.path.join(HERE, "cie", name)
    with open(path, newline="") as f:
        rows = list(csv.reader(f))
    header = rows[0]
    table = {col: {} for col in header[1:]}
    for lineno, row in enumerate(rows[1:], start=2):
        if len(row) != len(header):
            sys.exit(f"{path}:{lineno}: expected {len(header)} fields, got {len(row)}")
        nm = int(row[0])
        for col, cell in zip(header[1:], row[1:]):
            if cell != "":
                table[col][nm] = float(cell)
    return table


def illuminant_a(nm):
    """Relative spectral power of CIE illuminant A (CIE 15:2004, eq. 3.1), 100 at 560 nm."""
    lam = nm * 1e-9
    lam560 = 560e-9
    return (100.0 * (lam560 / lam) ** 5
            * math.expm1(C2_ILLUMINANT_A / (T_ILLUMINANT_A * lam560))
            / math.expm1(C2_ILLUMINANT_A / (T_ILLUMINANT_A * lam)))


def to_1nm(samples):
    """Linear interpolation of a 5 nm table onto 380..780 nm at 1 nm."""
    out = []
    for nm in range(FIRST_NM, LAST_NM + 1):
        if nm in samples:
            out.append(samples[nm])
            continue
        lo = nm - nm % 5
        hi = lo + 5
        if lo not in samples or hi not in samples:
            sys.exit(f"no 5 nm samples around {nm} nm")
        t = (nm - lo) / 5.0
        out.append(samples[lo] + (samples[hi] - samples[lo]) * t)
    return out


def main():
    out_path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "spec.csv")

    cmf = read_table("cmf_cie1931_2deg_1nm.csv")
    daylight = read_table("illuminants_5nm.csv")
    fluorescent = read_table("illuminants_F_5nm.csv")

    xbar = [cmf["xbar"][nm] for nm in range(FIRST_NM, LAST_NM + 1)]
    ybar = [cmf["ybar"][nm] for nm in range(FIRST_NM, LAST_NM + 1)]
    zbar = [cmf["zbar"][nm] for nm in range(FIRST_NM, LAST_NM + 1)]

    raw = {
        "A": [illuminant_a(nm) for nm in range(FIRST_NM, LAST_NM + 1)],
        "D50": to_1nm(daylight["D50"]),
        "D55": to_1nm(daylight["D55"]),
        "D65": to_1nm(daylight["D65"]),
        "D75": to_1nm(daylight["D75"]),
        "E": [100.0] * ROWS,
        "F2": to_1nm(fluorescent["F2"]),
        "F7": to_1nm(fluorescent["F7"]),
        "F11": to_1nm(fluorescent["F11"]),
    }

    columns = []
    for name in SPECTRA:
        spd = raw[name]
        y = sum(s * w for s, w in zip(spd, ybar))
        k = TARGET_LUMINANCE / y
        columns.append([s * k for s in spd])

    with open(out_path, "w", newline="\n") as f:
        for i in range(ROWS):
            values = [xbar[i], ybar[i], zbar[i]] + [col[i] for col in columns]
            f.write(",".join(f"{v:.9g}" for v in values) + "\n")

    # A short check on stdout: the chromaticity each column gives through the same sums.
    for name, col in zip(SPECTRA, columns):
        X = sum(s * w for s, w in zip(col, xbar))
        Y = sum(s * w for s, w in zip(col, ybar))
        Z = sum(s * w for s, w in zip(col, zbar))
        print(f"{name:4s} X {X:9.4f} Y {Y:9.4f} Z {Z:9.4f}  x {X / (X + Y + Z):.5f} y {Y / (X + Y + Z):.5f}")


if __name__ == "__main__":
    main()
