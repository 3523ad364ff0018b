#!/usr/bin/python3
"""Writes the test drawings of the down-converter with ezdxf, an independent
DXF library (Debian's python3-ezdxf): one drawing with the same contents at
each release the converter reads (AC1018, AC1021, AC1024, AC1027, AC1032),
as ASCII and as binary DXF, and two more of AC1027 and AC1032 whose code
pages are Cyrillic (ANSI_1251) and Japanese (ANSI_932). (Not of AC1018: for
a code page other than ANSI_1252, ezdxf writes Latin-1 letters the page
lacks as "\\xfc" instead of "\\U+00FC".) Every drawing holds
the same layers and entities under the same handles; drawing.tsv says what
ezdxf put into them, one line per layer or entity, for the tests to compare
with what the toolkit loads from the converted files:

  LAYER   name    colour
  ENTITY  handle  kind  layer  colour  x  y  z  x2  y2  z2  text

The point is the entity's first point (start, centre, insertion point), the
second one the end point of a LINE; text is the text of a TEXT, MTEXT or
ATTRIB, the block name of an INSERT. Coordinates are written with repr, so
they read back exactly. Run it from this folder:
/usr/bin/python3 make_downconv_drawings.py"""

import math

import ezdxf
import ezdxf.math

RELEASES = [('R2004', 'r2004'), ('R2007', 'r2007'), ('R2010', 'r2010'), ('R2013', 'r2013'),
            ('R2018', 'r2018')]

LAYERS = [('Walls', 1), ('Grüße', 2), ('Δίκτυο', 3), ('Стены', 5), ('配管', 6)]

TEXTS = [
    ('Walls', 'Grüße aus Köln – 25 °C, naïve café'),
    ('Δίκτυο', 'Καλημέρα κόσμε'),
    ('Стены', 'Привет, мир! Ёлка'),
    ('配管', 'こんにちは世界、配管図'),
]

# Long enough that every release writes it in several chunks, with
# characters of every script on both sides of the chunk boundaries.
MTEXT = ' '.join(['Grüße Καλημέρα Привет こんにちは %d' % i for i in range(20)])


def build(version, codepage):
    doc = ezdxf.new(version)
    doc.encoding = 'cp' + codepage.split('_')[1]  # sets $DWGCODEPAGE
    for name, colour in LAYERS:
        doc.layers.add(name, color=colour)

    bolt = doc.blocks.new('Bolt')
    bolt.add_circle((0, 0), 2.5, dxfattribs={'layer': '0'})
    bolt.add_line((-2.5, 0), (2.5, 0), dxfattribs={'layer': '0', 'color': 0})
    bolt.add_attdef('TAG', (0, -4), dxfattribs={'height': 1.0})

    msp = doc.modelspace()
    msp.add_line((1.0 / 3.0, -2.75, 0.125), (1234567.890625, 1e-9, -7.5),
                 dxfattribs={'layer': 'Walls', 'color': 1})
    msp.add_line((0, 0), (10, 10), dxfattribs={'layer': 'Grüße', 'color': 256})
    msp.add_circle((5.5, -6.25), 3.75, dxfattribs={'layer': 'Δίκτυο', 'color': 4})
    msp.add_arc((-20, 20), 5, 30, 135, dxfattribs={'layer': 'Стены', 'color': 5})
    msp.add_point((math.pi, math.e, 1.5), dxfattribs={'layer': '配管', 'color': 6})
    msp.add_ellipse((50, 50), major_axis=(10, 5), ratio=0.5, dxfattribs={'layer': 'Walls'})
    msp.add_lwpolyline([(0, 0, 0, 0, 0.5), (10, 0), (10, 10), (0, 10)], format='xyseb',
                       close=True, dxfattribs={'layer': 'Walls', 'color': 2})
    msp.add_spline([(0, 0), (5, 8), (10, 3), (15, 9)], dxfattribs={'layer': 'Walls', 'color': 3})
    for i, (layer, text) in enumerate(TEXTS):
        msp.add_text(text, dxfattribs={'layer': layer, 'height': 2.5, 'color': 7 + i,
                                       'insert': (100.0, 10.0 * i, 0.0)})
    msp.add_mtext(MTEXT, dxfattribs={'layer': 'Стены', 'char_height': 1.5, 'color': 30,
                                      'insert': (200.0, 50.0, 0.0)})
    ref = msp.add_blockref('Bolt', (300.0, -40.5), dxfattribs={'layer': 'Δίκτυο', 'color': 150,
                                                                'xscale': 2, 'yscale': 2, 'rotation': 45})
    ref.add_auto_attribs({'TAG': 'Μπουλόνι M8 – Болт'})
    hatch = msp.add_hatch(color=40, dxfattribs={'layer': 'Walls'})
    hatch.paths.add_polyline_path([(0, 0), (20, 0), (20, 20), (0, 20)], is_closed=True)
    edges = hatch.paths.add_edge_path()
    edges.add_line((30, 0), (40, 0))
    edges.add_spline(fit_points=[(40, 0), (45, 5), (40, 10)], degree=3)
    edges.add_line((40, 10), (30, 10))
    edges.add_line((30, 10), (30, 0))
    # a true colour and a transparency, which AC1015 does not know
    c = msp.add_circle((-50, -50), 1, dxfattribs={'layer': 'Walls', 'color': 1})
    c.rgb = (255, 128, 0)
    c.transparency = 0.5
    # a kind that AC1015 does not know
    ml = msp.add_multileader_mtext('Standard')
    ml.set_content('Note', char_height=1.0)
    ml.add_leader_line(ezdxf.render.mleader.ConnectionSide.left, [(-100.0, -100.0)])
    ml.build(insert=ezdxf.math.Vec2(-90.0, -95.0))
    return doc


def point(v):
    return [repr(float(c)) for c in (tuple(v) + (0.0, 0.0, 0.0))[:3]]


def describe(doc):
    lines = []
    for layer in doc.layers:
        lines.append('\t'.join(['LAYER', layer.dxf.name, str(layer.dxf.color)]))
    for e in doc.modelspace():
        kind = e.dxftype()
        first, second, text = None, None, ''
        if kind == 'LINE':
            first, second = e.dxf.start, e.dxf.end
        elif kind in ('CIRCLE', 'ARC', 'ELLIPSE'):
            first = e.dxf.center
        elif kind == 'POINT':
            first = e.dxf.location
        elif kind in ('TEXT', 'MTEXT'):
            first, text = e.dxf.insert, e.dxf.text if kind == 'TEXT' else e.text
        elif kind == 'INSERT':
            first, text = e.dxf.insert, e.dxf.name
            for attrib in e.attribs:
                lines.append('\t'.join(['ENTITY', attrib.dxf.handle, 'ATTRIB', attrib.dxf.layer,
                                        str(attrib.dxf.color)] + point(attrib.dxf.insert) +
                                       ['', '', '', attrib.dxf.text]))
        fields = ['ENTITY', e.dxf.handle, kind, e.dxf.layer, str(e.dxf.get('color', 256))]
        fields += point(first) if first is not None else ['', '', '']
        fields += point(second) if second is not None else ['', '', '']
        fields.append(text)
        lines.append('\t'.join(fields))
    return '\n'.join(lines) + '\n'


def main():
    drawings = []
    for version, name in RELEASES:
        drawings.append((version, name, 'ANSI_1252', 'asc'))
        drawings.append((version, name + '-binary', 'ANSI_1252', 'bin'))
    drawings.append(('R2013', 'r2013-cp1251', 'ANSI_1251', 'asc'))
    drawings.append(('R2018', 'r2018-cp932', 'ANSI_932', 'asc'))
    described = set()
    for version, name, codepage, fmt in drawings:
        doc = build(version, codepage)
        doc.saveas(name + '.dxf', fmt=fmt)
        described.add(describe(doc))
    assert len(described) == 1, 'the drawings differ'
    with open('drawing.tsv', 'w', encoding='utf-8') as out:
        out.write(described.pop())


if __name__ == '__main__':
    main()
