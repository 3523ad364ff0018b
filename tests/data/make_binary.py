#!/usr/bin/env python3
"""Writes the binary DXF test drawings with Debian's python3-ezdxf, a DXF
library independent of this project, so that the binary reader is checked
against another writer's idea of the value widths rather than its own:

- ac1015-binary.dxf: the pairs of ac1015.dxf (make_drawings.py) as they are,
  written by ezdxf's binary tag writer;
- ezdxf-r2000.dxf and ezdxf-r2000-binary.dxf: one drawing built with ezdxf,
  saved as ASCII DXF and that file's pairs written again as binary DXF (a
  second save would renew the time stamps and GUIDs): the tables with a layer that is not
  plotted (290), a block with an attribute, entities of most kinds, a hatch
  with every edge type, extended data, and an XRECORD that carries a value
  of every range of group codes of the DXF reference;
- ezdxf-r12.dxf and ezdxf-r12-binary.dxf: the same for an R12 drawing
  (one-byte group codes, extended data behind the 255 escape).

The files are committed; rerunning the script changes their time stamps and
GUIDs only. Run it from this folder with the system's Python:
/usr/bin/python3 make_binary.py"""

import math

import ezdxf
from ezdxf.lldxf import tagger, tagwriter


def to_binary(src, dst, dxfversion):
    """Rewrites an ASCII DXF file pair by pair as binary DXF."""
    with open(src, encoding='latin-1') as f:
        tags = list(tagger.tag_compiler(tagger.ascii_tags_loader(f, skip_comments=True)))
    with open(dst, 'wb') as out:
        writer = tagwriter.BinaryTagWriter(out, dxfversion=dxfversion, encoding='latin-1')
        writer.write_signature()
        for tag in tags:
            writer.write_tag(tag)


def r2000():
    doc = ezdxf.new('R2000', setup=True)
    doc.layers.add('Walls', color=1, linetype='DASHED')
    doc.layers.add('NoPlot', color=3).dxf.plot = 0
    doc.layers.add('Frozen', color=5).freeze()
    doc.appids.add('EZTEST')
    blk = doc.blocks.new('DOOR', base_point=(0, 0))
    blk.add_line((0, 0), (1, 0))
    blk.add_arc((0, 0), 1, 0, 90)
    blk.add_attdef('TAG', (0, 1), dxfattribs={'height': 0.2})
    msp = doc.modelspace()
    msp.add_line((0, 0, 0), (10, 5, 1), dxfattribs={'layer': 'Walls'})
    msp.add_circle((3, 4), 2.5, dxfattribs={'layer': 'NoPlot'})
    msp.add_arc((1, 1), 3, 30, 120)
    msp.add_point((7, 8, 9))
    msp.add_lwpolyline([(0, 0, 0, 0, 0.5), (5, 0, 0.1, 0.2, 0), (5, 5, 0, 0, 0)], format='xyseb', close=True)
    msp.add_text('Hello', dxfattribs={'height': 1.5, 'rotation': 30}).set_pos((2, 3))
    msp.add_mtext('Line one\\PLine two', dxfattribs={'char_height': 0.7, 'insert': (1, 9)})
    msp.add_ellipse((0, 0), (4, 0), 0.5, 0, math.pi)
    msp.add_spline([(0, 0), (1, 2), (3, 1), (5, 4), (7, 0)])
    msp.add_solid([(0, 0), (1, 0), (0, 1), (1, 1)])
    msp.add_3dface([(0, 0, 0), (1, 0, 0), (1, 1, 1), (0, 1, 1)])
    msp.add_xline((0, 0), (1, 1))
    msp.add_ray((0, 0), (1, 0))
    ins = msp.add_blockref('DOOR', (20, 20), dxfattribs={'xscale': 2, 'rotation': 45})
    ins.add_attrib('TAG', 'D1', (20, 21))
    hatch = msp.add_hatch(color=2)
    hatch.paths.add_polyline_path([(0, 0), (10, 0), (10, 10), (0, 10)], is_closed=True)
    edges = hatch.paths.add_edge_path()
    edges.add_line((1, 1), (4, 1))
    edges.add_arc((4, 2), 1, -90, 90)
    edges.add_ellipse((2, 3), (2, 0), 0.5, 0, 180)
    edges.add_spline(control_points=[(0, 3), (0, 2), (1, 1)], knot_values=[0, 0, 0, 1, 1, 1], degree=2)
    hatch.set_pattern_fill('ANSI31', scale=2)
    line = msp.add_line((0, 0), (1, 1))
    line.set_xdata('EZTEST', [(1000, 'text'), (1002, '{'), (1070, 7), (1071, 70000), (1040, 2.5),
                              (1010, (1, 2, 3)), (1005, '1F'), (1004, b'\x01\x02\xff'), (1002, '}')])
    xrecord = doc.objects.add_xrecord(doc.rootdict.dxf.handle)
    xrecord.reset([
        (1, 'string'), (40, 1.25), (60, -7), (70, 32767), (90, -123456), (100, 'Subclass'),
        (102, 'group'), (105, '1A'), (110, (1.5, 2.5, 3.5)), (140, 4.5), (160, 1234567890123),
        (170, 12), (210, (0, 0, 1)), (270, 27), (280, 200), (281, -1), (290, 1), (291, 0),
        (300, 'text300'), (310, b'\x00\x7f\xff'), (311, b'\x10'), (320, '2B'), (330, '2C'),
        (340, '2D'), (350, '2E'), (360, '2F'), (370, -3), (380, 1), (390, '30'), (400, 40),
        (410, 'text410'), (420, 0x123456), (430, 'text430'), (440, 7777), (450, 8888),
        (460, 46.5), (470, 'text470'), (480, '31'), (481, '32'), (1000, 'xdstring'),
        (1001, 'EZTEST'), (1003, '0'), (1005, '33'), (1010, (6.5, 6.6, 6.7)), (1040, 10.4),
        (1070, 1070), (1071, 1071071), (1, 'end')])
    return doc


def r12():
    doc = ezdxf.new('R12')
    doc.layers.add('Walls', color=1)
    doc.appids.add('EZTEST')
    msp = doc.modelspace()
    msp.add_line((0, 0), (3, 4), dxfattribs={'layer': 'Walls'})
    msp.add_circle((1, 1), 2)
    msp.add_arc((0, 0), 5, 10, 200)
    msp.add_polyline2d([(0, 0), (1, 0), (1, 1)], close=True)
    msp.add_text('R12', dxfattribs={'height': 2.0})
    line = msp.add_line((5, 5), (6, 6))
    line.set_xdata('EZTEST', [(1000, 'r12'), (1070, 12), (1040, 1.5), (1010, (1, 2, 3))])
    return doc


def main():
    to_binary('ac1015.dxf', 'ac1015-binary.dxf', 'AC1015')
    for name, make in (('ezdxf-r2000', r2000), ('ezdxf-r12', r12)):
        doc = make()
        doc.saveas(name + '.dxf')
        to_binary(name + '.dxf', name + '-binary.dxf', doc.dxfversion)


if __name__ == '__main__':
    main()
