#!/usr/bin/env python3
"""Writes the block drawings of the mapping and conversion tests with ezdxf
(Debian's python3-ezdxf), a DXF writer independent of this project. Run it
from this folder: /usr/bin/python3 make_blocks.py

blocks_r2000.dxf  (AC1015) the block "Mark" (base point (10, 0): a LINE
    (10, 0)-(11, 0) on layer 0 BYLAYER, a CIRCLE at (12, 0) of radius 0.5
    with colour and line type BYBLOCK, a LINE (10, 1)-(10, 2) of colour 5 on
    layer "Other") inserted at every combination the conversion must place
    right: plain, scaled 2 (the documented case), rotated, non-uniformly
    scaled, mirrored in x and in y, with extrusion (0, 0, -1), twice with
    different colours, layers and line types; "Outer" > "Middle" > "Inner"
    nested three deep with a rotation at each level; a 3 x 2 array; the
    block "Tag" with an attribute definition inserted with two attribute
    values; a group "Doors" of two lines; a hatch with a polyline path and
    an edge path (line, arc, ellipse, spline) and a pattern hatch with
    seed points; a multiline.
blocks_r12.dxf  (AC1009) the inserts of "Mark" and the attributes in the
    release that has no groups or objects.
broken_blocks.dxf  (AC1015) damaged references between two LINEs: a block
    that inserts itself, two blocks that insert each other, an insert of a
    block that is not defined, a 32767 x 32767 array, a scale of 1e300 and
    a scale that is not a number (ezdxf refuses to write these two, so they
    are put in afterwards as text), and a group.
"""

import ezdxf

MARKS = [
    # (name, insertion, xscale, yscale, rotation, extra dxfattribs)
    ('plain', (100, 100), 1, 1, 0, {}),
    ('scale2', (100, 200), 2, 2, 0, {}),
    ('rot90', (100, 300), 1, 1, 90, {}),
    ('nonuni', (100, 400), 2, 0.5, 30, {}),
    ('mirrorx', (100, 500), -1, 1, 0, {}),
    ('mirrory', (100, 600), 1, -1, 0, {}),
    ('extrusion', (100, 700), 1, 1, 0, {'extrusion': (0, 0, -1)}),
    ('red', (300, 100), 1, 1, 0, {'color': 1, 'layer': 'Symbols'}),
    ('green', (300, 200), 1, 1, 0, {'color': 3, 'layer': 'Other', 'linetype': 'DASHED'}),
    ('bylayer', (300, 300), 1, 1, 0, {'layer': 'Symbols'}),
]


def mark_block(doc):
    mark = doc.blocks.new('Mark', base_point=(10, 0))
    mark.add_line((10, 0), (11, 0), dxfattribs={'layer': '0'})
    mark.add_circle((12, 0), 0.5, dxfattribs={'layer': '0', 'color': 0, 'linetype': 'BYBLOCK'})
    mark.add_line((10, 1), (10, 2), dxfattribs={'layer': 'Other', 'color': 5})


def tables(doc):
    doc.linetypes.add('DASHED', pattern=[0.75, 0.5, -0.25], description='Dashed __ __ __')
    doc.layers.add('Symbols', color=1, linetype='DASHED')
    doc.layers.add('Other', color=3)


def marks(msp):
    for name, ins, sx, sy, rot, extra in MARKS:
        attribs = dict(xscale=sx, yscale=sy, rotation=rot)
        attribs.update(extra)
        msp.add_blockref('Mark', ins, dxfattribs=attribs)


def tagged(doc, msp):
    tag = doc.blocks.new('Tag', base_point=(0, 0))
    tag.add_line((0, 0), (5, 0))
    tag.add_attdef('NAME', (0, 1), dxfattribs={'height': 0.5, 'prompt': 'Name?'})
    tag.add_attdef('SIZE', (0, 2), dxfattribs={'height': 0.5})
    ref = msp.add_blockref('Tag', (500, 100), dxfattribs={'rotation': 0})
    ref.add_attrib('NAME', 'Door 1', (500, 101), dxfattribs={'height': 0.5})
    ref.add_attrib('SIZE', '90x210', (500, 102), dxfattribs={'height': 0.5})


def nested(doc, msp):
    inner = doc.blocks.new('Inner', base_point=(0, 0))
    inner.add_line((0, 0), (1, 0))
    middle = doc.blocks.new('Middle', base_point=(0, 0))
    middle.add_blockref('Inner', (1, 0), dxfattribs={'rotation': 45})
    outer = doc.blocks.new('Outer', base_point=(0, 0))
    outer.add_blockref('Middle', (2, 0), dxfattribs={'rotation': 30})
    msp.add_blockref('Outer', (700, 100), dxfattribs={'rotation': 15})


def array(msp):
    ref = msp.add_blockref('Inner', (700, 300))
    ref.dxf.row_count = 3
    ref.dxf.column_count = 2
    ref.dxf.row_spacing = 10
    ref.dxf.column_spacing = 20


def group(doc, msp):
    a = msp.add_line((900, 100), (910, 100))
    b = msp.add_line((900, 110), (910, 110))
    doc.groups.new('Doors').set_data([a, b])


def hatches(msp):
    h = msp.add_hatch(color=2)
    h.paths.add_polyline_path([(900, 300), (910, 300, 0.5), (910, 310), (900, 310)], is_closed=True)
    edges = h.paths.add_edge_path()
    edges.add_line((920, 300), (930, 300))
    edges.add_arc((930, 305), 5, -90, 90)
    edges.add_ellipse((925, 310), (5, 0), 0.5, 0, 180)
    edges.add_spline(control_points=[(920, 310), (918, 306), (920, 300)], degree=2)
    p = msp.add_hatch(color=4)
    p.set_pattern_fill('ANSI31', scale=2.0, angle=15)
    p.paths.add_polyline_path([(900, 400), (920, 400), (920, 420), (900, 420)], is_closed=True)
    p.set_seed_points([(905, 405), (910, 410)])


def mline(msp):
    msp.add_mline([(900, 500), (950, 500), (950, 550)])


def good(version, name):
    doc = ezdxf.new(version)
    tables(doc)
    mark_block(doc)
    msp = doc.modelspace()
    marks(msp)
    tagged(doc, msp)
    nested(doc, msp)
    array(msp)
    if version != 'R12':
        group(doc, msp)
        hatches(msp)
        mline(msp)
    doc.saveas(name)


def broken(name):
    doc = ezdxf.new('R2000')
    msp = doc.modelspace()
    msp.add_line((0, 0), (1, 0))
    me = doc.blocks.new('Self')
    me.add_line((0, 0), (0, 1))
    me.add_blockref('Self', (1, 1))
    a = doc.blocks.new('PingA')
    a.add_line((0, 0), (2, 0))
    b = doc.blocks.new('PingB')
    b.add_line((0, 0), (0, 2))
    a.add_blockref('PingB', (1, 0))
    b.add_blockref('PingA', (0, 1))
    doc.blocks.new('Gone').add_line((0, 0), (3, 3))
    msp.add_blockref('Self', (10, 0))
    msp.add_blockref('PingA', (20, 0))
    msp.add_blockref('Gone', (30, 0))
    big = msp.add_blockref('PingB', (40, 0))
    big.dxf.row_count = 32767
    big.dxf.column_count = 32767
    big.dxf.row_spacing = 1
    big.dxf.column_spacing = 1
    msp.add_blockref('PingB', (50, 0), dxfattribs={'xscale': 7.25, 'yscale': 7.25})
    msp.add_blockref('PingB', (60, 0), dxfattribs={'xscale': 8.25})
    g = doc.groups.new('Loop')
    g.set_data([msp.add_line((70, 0), (71, 0))])
    msp.add_line((100, 0), (101, 0))
    doc.saveas(name)
    text = open(name).read()
    # the insert of Gone names a block that the file does not define
    text = text.replace('\n  2\nGone\n 10\n30.0\n', '\n  2\nNowhere\n 10\n30.0\n', 1)
    text = text.replace('\n 41\n7.25\n 42\n7.25\n', '\n 41\n1e300\n 42\n1e300\n', 1)
    text = text.replace('\n 41\n8.25\n', '\n 41\nnan\n', 1)
    open(name, 'w').write(text)


good('R2000', 'blocks_r2000.dxf')
good('R12', 'blocks_r12.dxf')
broken('broken_blocks.dxf')
