#!/usr/bin/python3
"""Writes the drawings of the picture tests with ezdxf (Debian's
python3-ezdxf), an independent DXF writer, and beside each drawing a file of
expected values that ezdxf computes from the same entities (world
coordinates of points on curves, line type patterns). The tests in
tests/Dxf2Cgm/options_test.cpp and tests/Dxf2Cgm/projection_test.cpp read
both. Run it from this folder: /usr/bin/python3 make_picture_drawings.py

Expected-value files hold one value per line: a name, then numbers."""

import math

import ezdxf
from ezdxf.math import Vec3, fit_points_to_cad_cv

EXPECT = {}


def expect(drawing, name, *numbers):
    EXPECT.setdefault(drawing, []).append(
        name + ''.join(' %.12g' % n for n in numbers))


def save(doc, drawing):
    doc.saveas(drawing + '.dxf')
    if drawing in EXPECT:
        with open(drawing + '.expect', 'w') as out:
            out.write('\n'.join(EXPECT[drawing]) + '\n')


def new_doc():
    doc = ezdxf.new('R2000', setup=True)
    doc.linetypes.add('HIDDEN', pattern=[0.375, 0.25, -0.125], description='Hidden __ __ __')
    doc.linetypes.add('BORDER', pattern=[1.75, 0.5, -0.25, 0.5, -0.25, 0.0, -0.25],
                      description='Border __ __ . __ __ .')
    return doc


# ---------------------------------------------------------------- solids

def solids():
    doc = new_doc()
    msp = doc.modelspace()
    # Corners in the drawing's order 1, 2, 3, 4 (the outline runs 1 2 4 3).
    msp.add_solid([(0, 0), (10, 0), (0, 5), (10, 5)], dxfattribs={'color': 1})
    msp.add_trace([(20, 0), (30, 0), (20, 2), (30, 2)], dxfattribs={'color': 3})
    # A triangle: corners 3 and 4 equal.
    msp.add_solid([(40, 0), (50, 0), (45, 8), (45, 8)], dxfattribs={'color': 5})
    # Mirrored by its extrusion: drawn with x negated.
    msp.add_solid([(60, 0), (70, 0), (60, 5), (70, 5)],
                  dxfattribs={'color': 2, 'extrusion': (0, 0, -1)})
    # No area: every corner on one line.
    msp.add_solid([(0, 20), (5, 20), (10, 20), (10, 20)], dxfattribs={'color': 4})
    save(doc, 'solids')


# ---------------------------------------------------------------- extrusions

def extrusions():
    """Entities whose extrusion is not (0, 0, 1), and what a plan view shows
    of them in world coordinates."""
    doc = new_doc()
    doc.header['$PDMODE'] = 32
    msp = doc.modelspace()

    # Each entity has a colour of its own, so the tests find its primitives.
    # A full-turn arc mirrored by its extrusion: a circle at (-10, 5).
    arc = msp.add_arc((10, 5), 3, 0, 360, dxfattribs={'extrusion': (0, 0, -1), 'color': 7})
    centre = arc.ocs().to_wcs(Vec3(10, 5, 0))
    expect('extrusions', 'full_arc_centre', centre.x, centre.y, 3)

    # An arc mirrored by its extrusion: start and end points in the world.
    arc = msp.add_arc((10, 20), 4, 0, 90, dxfattribs={'extrusion': (0, 0, -1), 'color': 2})
    c = arc.construction_tool()
    s = arc.ocs().to_wcs(c.start_point)
    e = arc.ocs().to_wcs(c.end_point)
    expect('extrusions', 'mirrored_arc_ends', s.x, s.y, e.x, e.y)

    # An ellipse with extrusion (0, 0, -1): centre and axis are world
    # coordinates, the parameters run clockwise seen from above.
    ellipse = msp.add_ellipse((30, 5), major_axis=(4, 0), ratio=0.5, start_param=0,
                              end_param=math.pi / 2,
                              dxfattribs={'extrusion': (0, 0, -1), 'color': 3})
    s, e = ellipse.construction_tool().start_point, ellipse.construction_tool().end_point
    expect('extrusions', 'mirrored_ellipse_ends', s.x, s.y, e.x, e.y)

    # A circle on a tilted plane: the plan view is an ellipse.
    normal = Vec3(0, -1, 1).normalize()
    circle = msp.add_circle((0, 0, 0), 5, dxfattribs={'extrusion': normal, 'color': 4})
    ocs = circle.ocs()
    centre_ocs = ocs.from_wcs(Vec3(50, 5, 2))
    circle.dxf.center = centre_ocs
    points = [ocs.to_wcs(Vec3(centre_ocs.x + 5 * math.cos(t), centre_ocs.y + 5 * math.sin(t), centre_ocs.z))
              for t in (i * math.pi / 180 for i in range(360))]
    expect('extrusions', 'tilted_circle_box', min(p.x for p in points), min(p.y for p in points),
           max(p.x for p in points), max(p.y for p in points))

    # An arc on a tilted plane, 0 to 90 degrees: its ends in the world.
    normal = Vec3(1, 0, 1).normalize()
    tilted = msp.add_arc((0, 0, 0), 4, 0, 90, dxfattribs={'extrusion': normal, 'color': 5})
    ocs = tilted.ocs()
    centre_ocs = ocs.from_wcs(Vec3(70, 5, 0))
    tilted.dxf.center = centre_ocs
    c = tilted.construction_tool()
    s = ocs.to_wcs(Vec3(c.start_point.x, c.start_point.y, centre_ocs.z))
    e = ocs.to_wcs(Vec3(c.end_point.x, c.end_point.y, centre_ocs.z))
    expect('extrusions', 'tilted_arc_ends', s.x, s.y, e.x, e.y)

    # A 3DFACE whose edges 2 and 4 (second and fourth) are invisible.
    msp.add_3dface([(0, 40, 0), (10, 40, 5), (10, 50, 5), (0, 50, 0)],
                   dxfattribs={'invisible': 2 | 8, 'color': 6})
    expect('extrusions', 'face_visible_edges', 0, 40, 10, 40, 10, 50, 0, 50)
    # A triangular 3DFACE (fourth corner equal to the third), all visible.
    msp.add_3dface([(20, 40, 0), (30, 40, 0), (25, 48, 0), (25, 48, 0)], dxfattribs={'color': 1})

    # Points drawn in point display modes 32 (circle around a dot).
    msp.add_point((80, 40), dxfattribs={'color': 10})

    # A spline through fit points with stored end tangents.
    fit = [(0, 60), (10, 70), (20, 60), (30, 70)]
    spline = msp.add_spline(fit, dxfattribs={'color': 8})
    spline.dxf.start_tangent = (0, 1, 0)
    spline.dxf.end_tangent = (1, 0, 0)
    curve = fit_points_to_cad_cv([Vec3(p) for p in fit], tangents=[Vec3(0, 1, 0), Vec3(1, 0, 0)])
    samples = list(curve.approximate(16))
    expect('extrusions', 'spline_samples', *[v for p in samples for v in (p.x, p.y)])

    # A B-spline of control points (degree 3, clamped).
    msp.add_open_spline([(40, 60), (45, 70), (55, 70), (60, 60)], degree=3, dxfattribs={'color': 9})
    save(doc, 'extrusions')


# ---------------------------------------------------------------- layers

def layers():
    doc = new_doc()
    msp = doc.modelspace()
    doc.layers.add('SHOWN', color=1)
    off = doc.layers.add('OFF', color=2)
    off.off()
    frozen = doc.layers.add('FROZEN', color=3)
    frozen.freeze()
    noplot = doc.layers.add('NOPLOT', color=4)
    noplot.dxf.plot = 0
    doc.layers.get('Defpoints').color = 5
    y = 0
    for name in ('SHOWN', 'OFF', 'FROZEN', 'NOPLOT', 'Defpoints'):
        msp.add_line((0, y), (10, y), dxfattribs={'layer': name})
        expect('layers', 'line_' + name, 0, y, 10, y)
        y += 10
    # A block with one line on a shown layer and one on the frozen layer,
    # inserted on a shown layer.
    block = doc.blocks.new('PART')
    block.add_line((0, 0), (5, 0), dxfattribs={'layer': 'SHOWN'})
    block.add_line((0, 1), (5, 1), dxfattribs={'layer': 'FROZEN'})
    msp.add_blockref('PART', (20, 0), dxfattribs={'layer': 'SHOWN'})
    expect('layers', 'block_shown_line', 20, 0, 25, 0)
    expect('layers', 'block_frozen_line', 20, 1, 25, 1)
    save(doc, 'layers')


# ---------------------------------------------------------------- line types

def linetypes():
    doc = new_doc()
    doc.header['$LTSCALE'] = 2.0
    msp = doc.modelspace()
    msp.add_line((0, 0), (20, 0), dxfattribs={'linetype': 'HIDDEN', 'ltscale': 0.5})
    expect('linetypes', 'hidden_pattern', 0.25, -0.125)
    expect('linetypes', 'hidden_scale', 2.0 * 0.5)
    doc.layers.add('EDGES', color=1, linetype='BORDER')
    msp.add_line((0, 10), (20, 10), dxfattribs={'layer': 'EDGES'})
    expect('linetypes', 'border_pattern', 0.5, -0.25, 0.5, -0.25, 0.0, -0.25)
    expect('linetypes', 'border_scale', 2.0)
    # The pattern runs on across the vertices of a polyline.
    msp.add_lwpolyline([(0, 20), (1.3, 20), (1.3, 21.1)], dxfattribs={'linetype': 'DASHED2'})
    expect('linetypes', 'dashed2_pattern', 0.635, -0.127)
    msp.add_circle((40, 0), 5, dxfattribs={'linetype': 'CENTER2'})
    expect('linetypes', 'center2_pattern', 1.587, -0.318, 0.318, -0.318)
    msp.add_line((0, 30), (20, 30), dxfattribs={'linetype': 'Continuous'})
    save(doc, 'linetypes')


# ---------------------------------------------------------------- far out

def georeferenced():
    """A survey drawing in a projected coordinate system: half a million
    east, five million north, with details of a millimetre (0.001)."""
    doc = new_doc()
    msp = doc.modelspace()
    x0, y0 = 500000.0, 5000000.0
    msp.add_lwpolyline([(x0, y0), (x0 + 40, y0), (x0 + 40, y0 + 25), (x0, y0 + 25)], close=True)
    msp.add_line((x0 + 10, y0 + 10), (x0 + 10.001, y0 + 10))
    msp.add_line((x0 + 10, y0 + 10.002), (x0 + 10.003, y0 + 10.002))
    msp.add_circle((x0 + 30, y0 + 12), 0.004)
    expect('georeferenced', 'origin', x0, y0)
    expect('georeferenced', 'extent', 40, 25)
    save(doc, 'georeferenced')


solids()
extrusions()
layers()
linetypes()
georeferenced()
