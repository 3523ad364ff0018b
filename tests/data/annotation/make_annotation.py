#!/usr/bin/env python3
"""Writes the annotation drawings of the conversion tests with ezdxf
(Debian's python3-ezdxf), a DXF writer independent of this project. Run it
from this folder: /usr/bin/python3 make_annotation.py

annotation.dxf (AC1015):
  multilines of the style "TWO" (elements at offsets 0.5 and -0.5, colour 1
    with line type BYLAYER and colour 3 with line type DASHED), justified on
    their zero line: an open one (0, 0)-(10, 0) whose flags are 1 (has
    vertices, not closed), a closed one (0, 20), (10, 20), (10, 30);
  leaders in the style "ARROWS" (DIMASZ 2, DIMSCALE 1.5, so arrows of 3):
    (100, 0), (110, 10), (120, 10) with its arrowhead; (100, 50), (110, 60)
    without; a spline leader (100, 100), (110, 110), (120, 100); a leader of
    one vertex (200, 0); a leader naming a style the drawing does not have
    (200, 50), (210, 50), whose arrow takes the header's $DIMASZ 4 and
    $DIMSCALE 0.5;
  dimensions with blocks of our making: one of colour 1 on the layer "WHITE"
    (colour 7) whose block holds a line (300, 0)-(310, 0) of colour BYBLOCK,
    a line (300, 1)-(310, 1) BYLAYER on layer 0 and a line (300, 2)-(310, 2)
    of colour 3; one whose block is empty;
  dimensions that ezdxf draws itself: linear (0, 100)-(10, 100) with its
    line at y 105, aligned, angular, radial and ordinate.

dimensions.dxf (AC1015): dimensions without blocks (not rendered by ezdxf,
  so only their definition points are written), in the style "PLAIN"
  (DIMASZ 1, DIMTXT 1, DIMEXO 0.5, DIMEXE 1, DIMGAP 0.5 at DIMSCALE 2, DIMDEC
  2, DIMADEC 1, DIMZIN 8): a horizontal linear (0, 0)-(10, 0) with its line at
  y 5, a vertical one (20, 0)-(20, 12.5) with its line at x 25, an aligned
  (30, 0)-(36, 8) at a distance 2 whose text is "<> mm", a radius 5 around
  (50, 0) at 0 degrees, a diameter 6 around (70, 0) at 90 degrees, an angle
  of 90 degrees at (80, 0) between (90, 0) and (80, 10) through (85, 5), an
  ordinate x of the feature (100, 3) from the origin (95, 0) whose leader
  ends at (100, 10), and a linear one whose points coincide.

mlines.dxf (AC1015): multilines of the style "CAPS" (elements at offsets
  0.5, colour 1, and -0.5, colour 3; fill on in colour 4, a square start cap
  and a round end cap), justified on their zero line: an open one (0, 0)-
  (10, 0); an open one (0, 20)-(10, 20) whose flags suppress its start cap;
  a closed one (0, 40), (10, 40), (10, 50).
"""

import ezdxf
import io


def multilines(doc, msp):
    style = doc.mline_styles.new('TWO')
    style.elements.append(0.5, 1, 'BYLAYER')
    style.elements.append(-0.5, 3, 'DASHED')
    attribs = {'style_name': 'TWO', 'justification': 1}
    msp.add_mline([(0, 0), (10, 0)], dxfattribs=attribs)
    closed = msp.add_mline([(0, 20), (10, 20), (10, 30)], dxfattribs=attribs)
    closed.close(True)


def leaders(doc, msp):
    arrows = doc.dimstyles.new('ARROWS')
    arrows.dxf.dimasz = 2.0
    arrows.dxf.dimscale = 1.5
    msp.add_leader([(100, 0), (110, 10), (120, 10)], dimstyle='ARROWS')
    plain = msp.add_leader([(100, 50), (110, 60)], dimstyle='ARROWS')
    plain.dxf.has_arrowhead = 0
    spline = msp.add_leader([(100, 100), (110, 110), (120, 100)], dimstyle='ARROWS')
    spline.dxf.path_type = 1
    spline.dxf.has_arrowhead = 0
    # ezdxf writes neither a leader of one vertex nor one whose style is
    # missing: both are made from ordinary leaders in the written text
    single = msp.add_leader([(200, 0), (201, 0)], dimstyle='ARROWS')
    unknown = msp.add_leader([(200, 50), (210, 50)], dimstyle='ARROWS')
    doc.header['$DIMASZ'] = 4.0
    doc.header['$DIMSCALE'] = 0.5
    return single.dxf.handle, unknown.dxf.handle


def dimension_with_block(doc, msp, name, entities, dxfattribs):
    block = doc.blocks.new(name)
    for start, end, attribs in entities:
        block.add_line(start, end, dxfattribs=attribs)
    attribs = {'geometry': name, 'dimstyle': 'Standard', 'dimtype': 32,
               'defpoint': (0, 0), 'text_midpoint': (0, 0), 'defpoint2': (0, 0),
               'defpoint3': (0, 0)}
    attribs.update(dxfattribs)
    return msp.new_entity('DIMENSION', dxfattribs=attribs)


def dimensions(doc, msp):
    doc.layers.new('WHITE', dxfattribs={'color': 7})
    dimension_with_block(doc, msp, '*D100', [
        ((300, 0), (310, 0), {'layer': '0', 'color': 0}),
        ((300, 1), (310, 1), {'layer': '0', 'color': 256}),
        ((300, 2), (310, 2), {'layer': '0', 'color': 3}),
    ], {'layer': 'WHITE', 'color': 1})
    dimension_with_block(doc, msp, '*D101', [], {'layer': 'WHITE'})

    msp.add_linear_dim(base=(0, 105), p1=(0, 100), p2=(10, 100)).render()
    msp.add_aligned_dim(p1=(20, 100), p2=(30, 110), distance=2).render()
    msp.add_angular_dim_3p(base=(45, 105), center=(40, 100), p1=(50, 100), p2=(40, 110)).render()
    msp.add_radius_dim(center=(70, 100), radius=5, angle=45).render()
    msp.add_circle((70, 100), 5)
    msp.add_ordinate_x_dim(feature_location=(90, 100), offset=(0, 5), origin=(80, 100)).render()


def unrendered_dimensions():
    doc = ezdxf.new('R2000', setup=True)
    msp = doc.modelspace()
    plain = doc.dimstyles.new('PLAIN')
    for name, value in (('dimasz', 1.0), ('dimtxt', 1.0), ('dimexo', 0.5), ('dimexe', 1.0),
                        ('dimgap', 0.5), ('dimscale', 2.0), ('dimdec', 2), ('dimadec', 1),
                        ('dimzin', 8)):
        plain.set_dxf_attrib(name, value)
    style = {'dimstyle': 'PLAIN'}
    msp.add_linear_dim(base=(0, 5), p1=(0, 0), p2=(10, 0), **style)
    msp.add_linear_dim(base=(25, 0), p1=(20, 0), p2=(20, 12.5), angle=90, **style)
    msp.add_aligned_dim(p1=(30, 0), p2=(36, 8), distance=2, text='<> mm', **style)
    msp.add_radius_dim(center=(50, 0), radius=5, angle=0, **style)
    msp.add_diameter_dim(center=(70, 0), radius=3, angle=90, **style)
    msp.add_angular_dim_3p(base=(85, 5), center=(80, 0), p1=(90, 0), p2=(80, 10), **style)
    msp.add_ordinate_x_dim(feature_location=(100, 3), offset=(0, 7), origin=(95, 0), **style)
    msp.add_linear_dim(base=(0, -20), p1=(0, -25), p2=(0, -25), **style)
    doc.saveas('dimensions.dxf')


def capped_multilines():
    doc = ezdxf.new('R2000')
    msp = doc.modelspace()
    style = doc.mline_styles.new('CAPS')
    style.elements.append(0.5, 1)
    style.elements.append(-0.5, 3)
    style.dxf.flags = 1 + 16 + 1024  # fill, square start, round end
    style.dxf.fill_color = 4
    attribs = {'style_name': 'CAPS', 'justification': 1}
    msp.add_mline([(0, 0), (10, 0)], dxfattribs=attribs)
    suppressed = msp.add_mline([(0, 20), (10, 20)], dxfattribs=attribs)
    suppressed.dxf.flags = suppressed.dxf.flags | 4
    closed = msp.add_mline([(0, 40), (10, 40), (10, 50)], dxfattribs=attribs)
    closed.close(True)
    doc.saveas('mlines.dxf')


def patch_entity(text, handle, change):
    """The text with the entity of `handle` passed through `change`."""
    start = text.index('  5\n%s\n' % handle)
    end = text.index('\n  0\n', start)
    changed = change(text[start:end])
    assert changed != text[start:end], handle
    return text[:start] + changed + text[end:]


def main():
    doc = ezdxf.new('R2000', setup=True)
    msp = doc.modelspace()
    multilines(doc, msp)
    single, unknown = leaders(doc, msp)
    dimensions(doc, msp)
    stream = io.StringIO()
    doc.write(stream)
    text = stream.getvalue()
    text = patch_entity(text, single, lambda e: e.replace(' 76\n2\n', ' 76\n1\n').replace(
        '\n 10\n201.0\n 20\n0.0\n 30\n0.0', ''))
    text = patch_entity(text, unknown, lambda e: e.replace('  3\nARROWS\n', '  3\nNOSUCHSTYLE\n'))
    with open('annotation.dxf', 'w') as out:
        out.write(text)
    unrendered_dimensions()
    capped_multilines()


if __name__ == '__main__':
    main()
