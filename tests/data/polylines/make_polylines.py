#!/usr/bin/env python3
"""Writes the polyline drawings of the conversion tests with ezdxf (Debian's
python3-ezdxf), a DXF writer independent of this project. Run it from this
folder: /usr/bin/python3 make_polylines.py

convert_polylines_r2000.dxf  (AC1015) polylines of every kind: lightweight
    ones (open, closed, bulged, of constant and of tapering width, wide with
    arcs, mirrored by a downward extrusion), classic 2D polylines with
    bulges and widths (one vertex with an explicit width of 0), a curve-fit
    and a spline-fit polyline, a 3D polyline, a 3 x 4 polygon mesh and a
    polyface mesh with invisible edges, and one LINE.
convert_polylines_r12.dxf  (AC1009) the same shapes, the lightweight ones
    written as classic 2D polylines (release 12 has no other kind).
broken_polylines.dxf  (AC1015) damaged polylines between two LINEs: a vertex
    count (90) larger than the vertices stored, a huge count, coordinates
    that are not numbers or infinite, a polyline of one vertex with a width,
    one with no vertex, duplicate vertices with bulges, a mesh whose M x N
    the vertices do not fill, polyface numbers that name no vertex.

ezdxf leaves out widths of 0 and counts vertices itself, so a few values
are put in afterwards as text: a width written as 0.125125 becomes an
explicit 0, and markers in the broken drawing become the damage listed."""

import ezdxf
from ezdxf.math import BSpline

S = 100.0  # drawing units per grid step
ZERO_MARK = 0.125125


def p(x, y):
    return (x * S, y * S)


def setup(doc):
    for name, colour in (('Plain', 7), ('Wide', 1), ('Smooth', 3), ('Mesh', 5)):
        doc.layers.add(name, color=colour)


def lightweight_shapes(msp, as_lw):
    """The shapes of the lightweight polylines; as_lw False writes them as
    classic 2D polylines with the same vertices."""
    def add(points, close=False, const_width=None, layer='Plain', extrusion=None):
        attribs = {'layer': layer}
        if extrusion:
            attribs['extrusion'] = extrusion
        pts = [(x * S, y * S, sw * S, ew * S, b) for (x, y, sw, ew, b) in points]
        if as_lw:
            if const_width is not None:
                attribs['const_width'] = const_width * S
            return msp.add_lwpolyline(pts, format='xyseb', close=close, dxfattribs=attribs)
        if const_width is not None:
            attribs['default_start_width'] = const_width * S
            attribs['default_end_width'] = const_width * S
        return msp.add_polyline2d(pts, format='xyseb', close=close, dxfattribs=attribs)

    add([(0, 0, 0, 0, 0), (10, 0, 0, 0, 0), (10, 10, 0, 0, 0)])
    add([(30, 0, 0, 0, 0), (40, 0, 0, 0, 0), (40, 10, 0, 0, 0), (30, 10, 0, 0, 0)], close=True)
    add([(60, 0, 0, 0, 1), (70, 0, 0, 0, -0.5), (80, 0, 0, 0, 0), (90, 0, 0, 0, 0)])
    add([(0, 30, 0, 0, 0), (10, 30, 0, 0, 0), (10, 40, 0, 0, 0)], const_width=1, layer='Wide')
    add([(30, 35, 0.5, 0.5, 0), (38, 35, 2, 0, 0), (42, 35, 0, 0, 0)], layer='Wide')
    add([(60, 30, 1, 1, 0), (70, 30, 1, 1, 1), (80, 30, 1, 1, 0.5), (80, 40, 1, 1, 0)], layer='Wide')
    r = 0.41421356237309503  # tan(pi / 8): a quarter circle
    add([(2, 60, 0, 0, 0), (8, 60, 0, 0, r), (10, 62, 0, 0, 0), (10, 68, 0, 0, r),
         (8, 70, 0, 0, 0), (2, 70, 0, 0, r), (0, 68, 0, 0, 0), (0, 62, 0, 0, r)],
        close=True, const_width=0.5, layer='Wide')
    # Mirrored by its extrusion: drawn at x 30 to 40.
    add([(-30, 60, 0, 0, 0.5), (-40, 60, 0, 0, 0), (-40, 65, 0, 0, 0)], extrusion=(0, 0, -1))


def classic_shapes(msp):
    # Bulges and widths; the second vertex's widths are an explicit 0.
    pl = msp.add_polyline2d([(60 * S, 60 * S, 0, 0, 0), (66 * S, 60 * S, 0, 0, -1),
                             (72 * S, 60 * S, 1.5 * S, 0, 0), (78 * S, 66 * S, 0, 0, 0)],
                            format='xyseb', dxfattribs={'layer': 'Wide', 'default_start_width': 0.4 * S,
                                                        'default_end_width': 0.4 * S})
    pl.vertices[1].dxf.start_width = ZERO_MARK
    pl.vertices[1].dxf.end_width = ZERO_MARK

    # Curve-fit: the vertices and those curve fitting added (flag 1).
    cf = msp.add_polyline2d([], dxfattribs={'layer': 'Smooth'})
    cf.dxf.flags |= 2
    points = [(0, 90), (2.5, 95), (5, 92), (7.5, 97), (10, 90)]
    for i, (x, y) in enumerate(points):
        cf.append_vertex((x * S, y * S), dxfattribs={'flags': 1 if i % 2 else 0})

    # Spline-fit, cubic: the frame's control points (flag 16) and the
    # points on the curve (flag 8).
    frame = [(30, 90), (33, 100), (37, 90), (40, 100)]
    sf = msp.add_polyline2d([], dxfattribs={'layer': 'Smooth'})
    sf.dxf.flags |= 4
    sf.dxf.smooth_type = 6
    curve = BSpline([(x * S, y * S, 0) for x, y in frame], order=4)
    for x, y in frame:
        sf.append_vertex((x * S, y * S), dxfattribs={'flags': 16})
    for v in curve.approximate(8):
        sf.append_vertex((v.x, v.y), dxfattribs={'flags': 8})

    msp.add_polyline3d([(60 * S, 90 * S, 0), (70 * S, 100 * S, 5 * S), (80 * S, 90 * S, 10 * S)],
                       dxfattribs={'layer': 'Plain'})

    mesh = msp.add_polymesh(size=(3, 4), dxfattribs={'layer': 'Mesh'})
    for m in range(3):
        for n in range(4):
            mesh.set_mesh_vertex((m, n), ((n * 3) * S, (120 + m * 4) * S, (m * n) * S))

    pf = msp.add_polyface(dxfattribs={'layer': 'Mesh'})
    base = [(30, 120, 0), (40, 120, 0), (40, 130, 0), (30, 130, 0)]
    top = (35, 125, 10)
    corners = [(x * S, y * S, z * S) for x, y, z in base + [top]]
    pf.append_face([corners[0], corners[1], corners[2], corners[3]])
    for i in range(4):
        pf.append_face([corners[i], corners[(i + 1) % 4], corners[4]])
    return pf


def hide_edges(doc, polyface):
    """Marks the edges from the apex back to the base as invisible in the
    four triangles (the third number of each face negative)."""
    faces = [v for v in polyface.vertices if v.dxf.flags & 128 and not v.dxf.flags & 64]
    for face in faces[1:]:
        face.dxf.vtx2 = -abs(face.dxf.vtx2)


def write(path, version, as_lw, line=True):
    doc = ezdxf.new(version)
    setup(doc)
    msp = doc.modelspace()
    lightweight_shapes(msp, as_lw)
    pf = classic_shapes(msp)
    hide_edges(doc, pf)
    if line:
        msp.add_line(p(0, 150), p(90, 150), dxfattribs={'layer': 'Plain'})
    doc.saveas(path)
    text = open(path, encoding='cp1252').read()
    text = text.replace('\n%r\n' % ZERO_MARK, '\n0.0\n')
    text = text.replace('\n%r\n' % (ZERO_MARK * 1.0), '\n0.0\n')
    open(path, 'w', encoding='cp1252', newline='\n').write(text)


def write_broken(path):
    doc = ezdxf.new('R2000')
    setup(doc)
    msp = doc.modelspace()
    msp.add_line(p(0, -10), p(10, -10), dxfattribs={'layer': 'Plain'})
    msp.add_lwpolyline([p(0, 0), p(10, 0), p(10, 10)], dxfattribs={'layer': 'Count90'})
    msp.add_lwpolyline([p(20, 0), p(30, 0), p(30, 10)], dxfattribs={'layer': 'HugeCount'})
    msp.add_lwpolyline([(40 * S, 0), (12345.0, 0), (23456.0, 7), (50 * S, 10 * S)], dxfattribs={'layer': 'NotANumber'})
    msp.add_polyline2d([(60 * S, 0, 1 * S, 1 * S, 0)], format='xyseb', dxfattribs={'layer': 'OneVertex'})
    msp.add_polyline2d([], dxfattribs={'layer': 'NoVertex'})
    msp.add_polyline2d([(70 * S, 0, 0, 0, 0.5), (70 * S, 0, 0, 0, 1), (80 * S, 0, 0, 0, 0.5),
                        (80 * S, 0, 0, 0, 0), (90 * S, 0, 0, 0, 0)], format='xyseb',
                       dxfattribs={'layer': 'Duplicates'})
    msp.add_lwpolyline([(0, 20 * S, 1 * S, 1 * S, 0.5), (0, 20 * S, 1 * S, 1 * S, 0.5), (10 * S, 20 * S, 0, 0, 0)],
                       format='xyseb', dxfattribs={'layer': 'Duplicates'})
    mesh = msp.add_polymesh(size=(2, 2), dxfattribs={'layer': 'Mesh'})
    for m in range(2):
        for n in range(2):
            mesh.set_mesh_vertex((m, n), ((20 + n) * S, (20 + m) * S, 0))
    mesh.dxf.m_count = 1000
    mesh.dxf.n_count = 1000
    pf = msp.add_polyface(dxfattribs={'layer': 'Mesh'})
    pf.append_face([(30 * S, 20 * S, 0), (40 * S, 20 * S, 0), (40 * S, 30 * S, 0)])
    face = [v for v in pf.vertices if v.dxf.flags & 128 and not v.dxf.flags & 64][0]
    face.dxf.vtx2 = 99
    face.dxf.vtx3 = -32000
    msp.add_line(p(0, 40), p(10, 40), dxfattribs={'layer': 'Plain'})
    doc.saveas(path)

    text = open(path, encoding='cp1252').read()
    def damage(layer, old, new):
        start = text.index('\n  8\n%s\n' % layer)
        at = text.index(old, start)
        return text[:at] + new + text[at + len(old):]
    text = damage('Count90', '\n 90\n3\n', '\n 90\n1000\n')
    text = damage('HugeCount', '\n 90\n3\n', '\n 90\n2147483647\n')
    text = text.replace('\n12345.0\n', '\nnan\n').replace('\n23456.0\n', '\ninf\n')
    text = text.replace('\n 20\n7.0\n', '\n 20\n1e999\n')
    open(path, 'w', encoding='cp1252', newline='\n').write(text)


if __name__ == '__main__':
    write('convert_polylines_r2000.dxf', 'R2000', True)
    write('convert_polylines_r12.dxf', 'R12', False)
    write_broken('broken_polylines.dxf')
