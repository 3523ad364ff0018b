#!/usr/bin/env python3
"""Compiles the AFM metrics of the core PostScript fonts into a C++ table.

The CGM generator names its fonts from the core set every CGM viewer knows
(Helvetica, Times, Courier, Symbol) and places texts from their advance
widths. The widths come from the AFM files of Debian's fonts-urw-base35,
which are metric-compatible with those fonts. The generated file is
committed, so building needs no font package; run this script again only to
regenerate it:

    apt-get install fonts-urw-base35
    python3 platform/font/gen_font_metrics.py \
        /usr/share/fonts/type1/urw-base35 > platform/font/VyrFontMetricsData.inc

Glyph names are turned into Unicode code points by the glyph-naming rules
(uniXXXX names, one-letter names, the Latin-1 and Windows-1252 names listed
below, accented Latin and Greek letters through the Unicode character
names); glyphs whose name cannot be resolved are left out and get the
font's average width at run time.

The AFM files of this package carry Ascender and Descender 0, so the
ascender is taken as the top of the letters b, d, f, h, k, l and the
descender as the bottom of g, j, p, q, y, from their bounding boxes (the
font's bounding box for a font without those letters).
"""
import os
import sys
import unicodedata

FONTS = [
    ("Helvetica", "NimbusSans-Regular"),
    ("Helvetica-Bold", "NimbusSans-Bold"),
    ("Helvetica-Oblique", "NimbusSans-Italic"),
    ("Helvetica-BoldOblique", "NimbusSans-BoldItalic"),
    ("Times-Roman", "NimbusRoman-Regular"),
    ("Times-Bold", "NimbusRoman-Bold"),
    ("Times-Italic", "NimbusRoman-Italic"),
    ("Times-BoldItalic", "NimbusRoman-BoldItalic"),
    ("Courier", "NimbusMonoPS-Regular"),
    ("Courier-Bold", "NimbusMonoPS-Bold"),
    ("Courier-Oblique", "NimbusMonoPS-Italic"),
    ("Courier-BoldOblique", "NimbusMonoPS-BoldItalic"),
    ("Symbol", "StandardSymbolsPS"),
]

NAMES = {
    "space": 0x20, "exclam": 0x21, "quotedbl": 0x22, "numbersign": 0x23,
    "dollar": 0x24, "percent": 0x25, "ampersand": 0x26, "quotesingle": 0x27,
    "parenleft": 0x28, "parenright": 0x29, "asterisk": 0x2A, "plus": 0x2B,
    "comma": 0x2C, "hyphen": 0x2D, "period": 0x2E, "slash": 0x2F,
    "zero": 0x30, "one": 0x31, "two": 0x32, "three": 0x33, "four": 0x34,
    "five": 0x35, "six": 0x36, "seven": 0x37, "eight": 0x38, "nine": 0x39,
    "colon": 0x3A, "semicolon": 0x3B, "less": 0x3C, "equal": 0x3D,
    "greater": 0x3E, "question": 0x3F, "at": 0x40, "bracketleft": 0x5B,
    "backslash": 0x5C, "bracketright": 0x5D, "asciicircum": 0x5E,
    "underscore": 0x5F, "grave": 0x60, "braceleft": 0x7B, "bar": 0x7C,
    "braceright": 0x7D, "asciitilde": 0x7E,
    "exclamdown": 0xA1, "cent": 0xA2, "sterling": 0xA3, "currency": 0xA4,
    "yen": 0xA5, "brokenbar": 0xA6, "section": 0xA7, "dieresis": 0xA8,
    "copyright": 0xA9, "ordfeminine": 0xAA, "guillemotleft": 0xAB,
    "logicalnot": 0xAC, "registered": 0xAE, "macron": 0xAF,
    "degree": 0xB0, "plusminus": 0xB1, "twosuperior": 0xB2,
    "threesuperior": 0xB3, "acute": 0xB4, "mu": 0xB5, "paragraph": 0xB6,
    "periodcentered": 0xB7, "cedilla": 0xB8, "onesuperior": 0xB9,
    "ordmasculine": 0xBA, "guillemotright": 0xBB, "onequarter": 0xBC,
    "onehalf": 0xBD, "threequarters": 0xBE, "questiondown": 0xBF,
    "AE": 0xC6, "Eth": 0xD0, "multiply": 0xD7, "Oslash": 0xD8,
    "Thorn": 0xDE, "germandbls": 0xDF, "ae": 0xE6, "eth": 0xF0,
    "divide": 0xF7, "oslash": 0xF8, "thorn": 0xFE,
    "OE": 0x152, "oe": 0x153, "dotlessi": 0x131, "Lslash": 0x141,
    "lslash": 0x142, "florin": 0x192, "circumflex": 0x2C6, "caron": 0x2C7,
    "breve": 0x2D8, "dotaccent": 0x2D9, "ring": 0x2DA, "ogonek": 0x2DB,
    "tilde": 0x2DC, "hungarumlaut": 0x2DD, "endash": 0x2013,
    "emdash": 0x2014, "quoteleft": 0x2018, "quoteright": 0x2019,
    "quotesinglbase": 0x201A, "quotedblleft": 0x201C, "quotedblright": 0x201D,
    "quotedblbase": 0x201E, "dagger": 0x2020, "daggerdbl": 0x2021,
    "bullet": 0x2022, "ellipsis": 0x2026, "perthousand": 0x2030,
    "guilsinglleft": 0x2039, "guilsinglright": 0x203A, "Euro": 0x20AC,
    "trademark": 0x2122, "fraction": 0x2044, "minus": 0x2212,
    "fi": 0xFB01, "fl": 0xFB02, "Delta": 0x394, "Omega": 0x3A9,
    "angle": 0x2220, "perpendicular": 0x22A5, "infinity": 0x221E,
    "lessequal": 0x2264, "greaterequal": 0x2265, "notequal": 0x2260,
    "approxequal": 0x2248, "summation": 0x2211, "product": 0x220F,
    "radical": 0x221A, "integral": 0x222B, "partialdiff": 0x2202,
    "lozenge": 0x25CA, "nbspace": 0xA0, "sfthyphen": 0xAD,
}

ACCENTS = {
    "acute": "ACUTE", "grave": "GRAVE", "circumflex": "CIRCUMFLEX",
    "dieresis": "DIAERESIS", "tilde": "TILDE", "ring": "RING ABOVE",
    "cedilla": "CEDILLA", "caron": "CARON", "breve": "BREVE",
    "macron": "MACRON", "ogonek": "OGONEK", "dotaccent": "DOT ABOVE",
    "hungarumlaut": "DOUBLE ACUTE", "commaaccent": "COMMA BELOW",
}

GREEK = ["alpha", "beta", "gamma", "delta", "epsilon", "zeta", "eta",
         "theta", "iota", "kappa", "lambda", "mu", "nu", "xi", "omicron",
         "pi", "rho", "sigma", "tau", "upsilon", "phi", "chi", "psi",
         "omega"]


def to_unicode(name):
    if name in NAMES:
        return NAMES[name]
    if len(name) == 1 and name.isalpha():
        return ord(name)
    if name.startswith("uni") and len(name) == 7:
        try:
            return int(name[3:], 16)
        except ValueError:
            return None
    if name.lower() in GREEK:
        case = "CAPITAL" if name[0].isupper() else "SMALL"
        try:
            return ord(unicodedata.lookup("GREEK %s LETTER %s" % (case, name.upper())))
        except KeyError:
            return None
    for suffix, accent in ACCENTS.items():
        if name.endswith(suffix) and len(name) == len(suffix) + 1:
            base = name[0]
            case = "CAPITAL" if base.isupper() else "SMALL"
            for acc in (accent, "CEDILLA"):
                try:
                    return ord(unicodedata.lookup(
                        "LATIN %s LETTER %s WITH %s" % (case, base.upper(), acc)))
                except KeyError:
                    pass
            return None
    return None


def read_afm(path):
    header = {}
    glyphs = {}
    bbox = {}
    with open(path, encoding="latin-1") as f:
        in_metrics = False
        for line in f:
            line = line.strip()
            if line.startswith("StartCharMetrics"):
                in_metrics = True
                continue
            if line.startswith("EndCharMetrics"):
                in_metrics = False
                continue
            if not in_metrics:
                parts = line.split(None, 1)
                if len(parts) == 2:
                    header[parts[0]] = parts[1]
                continue
            fields = {}
            for item in line.split(";"):
                item = item.strip().split()
                if item:
                    fields[item[0]] = item[1:]
            if "N" not in fields or "WX" not in fields:
                continue
            name = fields["N"][0]
            glyphs[name] = int(float(fields["WX"][0]))
            if "B" in fields:
                bbox[name] = [int(float(v)) for v in fields["B"]]
    return header, glyphs, bbox


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: gen_font_metrics.py AFM-DIRECTORY")
    folder = sys.argv[1]
    out = []
    out.append("/* Generated by platform/font/gen_font_metrics.py from the AFM files of")
    out.append(" * fonts-urw-base35; do not edit. Widths and heights in 1/1000 em. */")
    entries = []
    for cgm_name, afm in FONTS:
        header, glyphs, bbox = read_afm(os.path.join(folder, afm + ".afm"))
        widths = {}
        for name, wx in glyphs.items():
            cp = to_unicode(name)
            if cp is not None and cp < 0x10000 and cp not in widths:
                widths[cp] = wx
        if 0xA0 not in widths and 0x20 in widths:
            widths[0xA0] = widths[0x20]
        if 0xAD not in widths and 0x2D in widths:
            widths[0xAD] = widths[0x2D]
        asc = max((bbox[g][3] for g in "bdfhkl" if g in bbox), default=0)
        desc = min((bbox[g][1] for g in "gjpqy" if g in bbox), default=0)
        cap = int(float(header.get("CapHeight", "700")))
        xh = int(float(header.get("XHeight", "500")))
        italic = float(header.get("ItalicAngle", "0"))
        fbb = [int(float(v)) for v in header.get("FontBBox", "0 0 1000 1000").split()]
        if asc == 0:
            asc = fbb[3]
        if desc == 0:
            desc = fbb[1]
        latin = [widths[c] for c in range(0x20, 0x7F) if c in widths]
        avg = int(round(sum(latin) / len(latin))) if latin else 500
        ident = "k" + cgm_name.replace("-", "")
        out.append("static const VyrGlyphWidth %sWidths[] = {" % ident)
        items = sorted(widths.items())
        for i in range(0, len(items), 6):
            out.append("    " + " ".join("{0x%04X, %d}," % kv for kv in items[i:i + 6]))
        out.append("};")
        entries.append('    {"%s", %d, %d, %d, %d, %.1f, {%d, %d, %d, %d}, %d, %sWidths, %d},'
                       % (cgm_name, cap, xh, asc, desc, italic, fbb[0], fbb[1], fbb[2],
                          fbb[3], avg, ident, len(items)))
    out.append("static const VyrFontMetrics kFontMetrics[] = {")
    out.extend(entries)
    out.append("};")
    print("\n".join(out))


if __name__ == "__main__":
    main()
