#!/usr/bin/env python3
"""Writes the text test drawings with ezdxf (an independent DXF writer).
Run from this folder: /usr/bin/python3 make_text_drawings.py

texts_mapping.dxf  (R2000) one of each annotation kind with values the
                   mapping tests read back.
texts_drawing.dxf  (R2000) the texts the picture tests draw: a TEXT at
                   each of the 12 alignments, width factors, oblique, a
                   mirrored TEXT, MTEXT at each attachment point with
                   direction vectors in all four quadrants, a block with
                   attributes inserted rotated, scaled and mirrored, and
                   ATTRIBs invisible and constant."""
import math

import ezdxf
from ezdxf.enums import TextEntityAlignment


def mapping():
    doc = ezdxf.new('R2000')
    doc.header['$HANDSEED'] = 'FFFF'
    doc.styles.new('Slanted', dxfattribs={'font': 'isocp.shx', 'oblique': 15})
    msp = doc.modelspace()
    t = msp.add_text('Rotated', dxfattribs={
        'height': 2.5, 'rotation': 45, 'width': 0.8, 'oblique': 15,
        'style': 'Slanted', 'layer': 'Notes'})
    t.set_placement((1, 2), (5, 6), TextEntityAlignment.MIDDLE_CENTER)
    t.dxf.halign = 1
    t.dxf.valign = 2
    t.dxf.align_point = (5, 6, 7)
    long_text = ''.join('word%03d ' % i for i in range(375))  # 3,000 characters
    m = msp.add_mtext(long_text, dxfattribs={
        'char_height': 3.0, 'width': 40.0, 'attachment_point': 5,
        'text_direction': (0, -1, 0), 'insert': (10, 20),
        'line_spacing_factor': 1.5, 'style': 'Slanted'})
    msp.add_mtext('Short\\Pline', dxfattribs={'char_height': 1.0, 'insert': (0, -10)})
    blk = doc.blocks.new('TITLE')
    blk.add_line((0, 0), (10, 0))
    blk.add_attdef('PART', (1, 1), dxfattribs={
        'height': 2.0, 'prompt': 'Part number?', 'rotation': 30, 'text': 'P-0'})
    ins = msp.add_blockref('TITLE', (100, 100))
    ins.add_attrib('PART', 'P-42', (101, 101), dxfattribs={'height': 2.0, 'rotation': 30})
    a = ins.add_attrib('HIDDEN', 'secret', (101, 105), dxfattribs={'height': 1.0, 'flags': 1})
    a.dxf.halign = 2
    a.dxf.align_point = (110, 105, 3)
    dim = msp.add_linear_dim(base=(0, 10), p1=(0, 0), p2=(30, 0), text='<> mm',
                             dxfattribs={'layer': 'Dims'})
    dim.render()
    msp.add_leader([(0, 0), (5, 5), (10, 5)], dxfattribs={'layer': 'Dims'})
    msp.add_entity(msp.doc.entitydb and ezdxf.entities.Tolerance.new(dxfattribs={
        'insert': (50, 50), 'x_axis_vector': (1, 0, 0), 'content': '{\\Fgdt;j}%%v0.1',
        'dimstyle': 'Standard'}, doc=doc))
    doc.saveas('texts_mapping.dxf')


def drawing():
    doc = ezdxf.new('R2000')
    doc.styles.new('WIDE', dxfattribs={'font': 'arial.ttf', 'width': 1.0})
    msp = doc.modelspace()
    aligns = [TextEntityAlignment.LEFT, TextEntityAlignment.CENTER, TextEntityAlignment.RIGHT,
              TextEntityAlignment.BOTTOM_LEFT, TextEntityAlignment.BOTTOM_CENTER,
              TextEntityAlignment.BOTTOM_RIGHT, TextEntityAlignment.MIDDLE_LEFT,
              TextEntityAlignment.MIDDLE_CENTER, TextEntityAlignment.MIDDLE_RIGHT,
              TextEntityAlignment.TOP_LEFT, TextEntityAlignment.TOP_CENTER,
              TextEntityAlignment.TOP_RIGHT]
    for i, al in enumerate(aligns):
        for j, rot in enumerate((0, 30, 180)):
            x, y = 60 * j, 200 - 15 * i
            t = msp.add_text('Ag%d' % i, dxfattribs={'height': 5, 'rotation': rot})
            t.set_placement((x, y), align=al)
            msp.add_circle((x, y), 0.5)
    for i, wf in enumerate((0.5, 1.0, 2.0)):
        msp.add_text('Width', dxfattribs={'height': 5, 'width': wf, 'insert': (200, 200 - 15 * i)})
    msp.add_text('Oblique', dxfattribs={'height': 5, 'oblique': 20, 'insert': (200, 140)})
    # aligned and fit texts: the writer stores the start point it computed
    a = msp.add_text('Aligned', dxfattribs={'height': 5})
    a.set_placement((200, 120), (260, 120), TextEntityAlignment.ALIGNED)
    f = msp.add_text('Fit', dxfattribs={'height': 5})
    f.set_placement((200, 105), (260, 105), TextEntityAlignment.FIT)
    # a text whose own coordinate system looks down: x negated, 180 - r
    msp.add_text('Mirror', dxfattribs={'height': 5, 'insert': (-300, 80), 'rotation': 0,
                                       'extrusion': (0, 0, -1)})
    for k in range(1, 10):
        ang = math.radians(90 * ((k - 1) % 4) + 20)
        msp.add_mtext('M%d line\\Psecond' % k, dxfattribs={
            'char_height': 4, 'attachment_point': k, 'insert': (40 * ((k - 1) % 3), 20 - 40 * ((k - 1) // 3)),
            'text_direction': (math.cos(ang), math.sin(ang), 0)})
    msp.add_mtext('A wrapped multiline text whose reference width breaks it into lines at spaces',
                  dxfattribs={'char_height': 4, 'width': 60, 'insert': (150, 0),
                              'line_spacing_factor': 1.5})
    blk = doc.blocks.new('TAG')
    blk.add_circle((0, 0), 5)
    blk.add_text('inner', dxfattribs={'height': 2, 'insert': (-3, -1)})
    blk.add_attdef('NAME', (0, 6), dxfattribs={'height': 2})
    for pos, rot, sx in (((300, 0), 0, 1), ((330, 0), 90, 1), ((360, 0), 0, -1), ((390, 0), 45, 2)):
        ins = msp.add_blockref('TAG', pos, dxfattribs={'rotation': rot, 'xscale': sx,
                                                       'yscale': abs(sx)})
        ins.add_auto_attribs({'NAME': 'V%d' % pos[0]})
    ins = msp.add_blockref('TAG', (300, -40))
    ins.add_attrib('NAME', 'invisible', (300, -34), dxfattribs={'height': 2, 'flags': 1})
    ins.add_attrib('NAME', 'constant', (300, -30), dxfattribs={'height': 2, 'flags': 2})
    doc.header['$EXTMIN'] = (-330, -170, 0)
    doc.header['$EXTMAX'] = (430, 215, 0)
    doc.saveas('texts_drawing.dxf')


mapping()
drawing()
