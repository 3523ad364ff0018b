#!/usr/bin/env python3
"""Writes the hatch drawings of the conversion tests with ezdxf (Debian's
python3-ezdxf), a DXF writer independent of this project. Run it from this
folder: /usr/bin/python3 make_hatches.py

hatches.dxf  (AC1015) one hatch of each kind the conversion draws, each in
    its own place and colour, and no other entity:
    - colour 1: solid, the square (0,0)-(100,100) with the square hole
      (20,20)-(40,40);
    - colour 2: solid, the square (200,0)-(300,100) with the island
      (220,20)-(280,80) and inside it the island (240,40)-(260,60);
    - colour 3: ANSI31 scaled to a spacing of 5 (45 degree lines through
      (0,0)) inside the circle of radius 50 about (450,50), an arc edge;
    - colour 4: solid, a polyline path with bulges, the slot (600,0)
      (700,0) bulge 1 (700,50) (600,50) bulge 1: two half circles of
      radius 25 about (700,25) and (600,25);
    - colour 5: a user pattern of one family, angle 0, base (1,0), offset
      (0,10), dashes 5 and -2.5, inside the square (0,200)-(100,300);
    - colour 6: solid, a full elliptic edge about (450,250), major axis
      (50,0), ratio 0.5;
    - colour 30: solid, the square (10,10)-(20,20) of a hatch whose
      extrusion is (0,0,-1), at elevation 0 (drawn at x -20 to -10).
broken_hatches.dxf  (AC1015) hatches a damaged or careless file holds,
    each in the square (0,0)-(100,100) moved along x by 200 per hatch: a
    path of three line edges that does not close (colour 1); a bow-tie
    polyline path that crosses itself (colour 2); pattern lines of
    spacing 0 (colour 3) and of a spacing of one millionth of the hatch
    (colour 4); a hatch of two paths, a square and a circle crossing it
    (colour 5); a square of four line edges (colour 6).
gradient.dxf  (AC1018, read through the down-converter) three hatches of
    colour 5 in the squares (0,0)-(10,10), (20,0)-(30,10), (40,0)-(50,10):
    a gradient from index 3 (true colour green) to blue; a gradient from
    the true colour red (no index) to blue; a plain solid fill.
clockwise_arcs.dxf  (AC1015) edge paths walked clockwise: colour 1, the
    edges (0,0)-(0,100)-(100,100), then the arc about (100,50) of radius 50
    from 90 clockwise to -90 degrees through (150,50), then (100,0)-(0,0);
    colour 2, the same with an elliptic arc about (300,50), major axis
    (0,50), ratio 0.5, from (300,100) clockwise to (300,0) through (325,50).
"""

import ezdxf


def square(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]


def hatches():
    doc = ezdxf.new('R2000')
    msp = doc.modelspace()

    h = msp.add_hatch(color=1)
    h.paths.add_polyline_path(square(0, 0, 100, 100), is_closed=True, flags=1)
    h.paths.add_polyline_path(square(20, 20, 40, 40), is_closed=True, flags=16)

    h = msp.add_hatch(color=2)
    h.paths.add_polyline_path(square(200, 0, 300, 100), is_closed=True, flags=1)
    h.paths.add_polyline_path(square(220, 20, 280, 80), is_closed=True, flags=16)
    h.paths.add_polyline_path(square(240, 40, 260, 60), is_closed=True, flags=0)

    h = msp.add_hatch(color=3)
    h.set_pattern_fill('ANSI31', color=3, scale=5 / 3.175)
    path = h.paths.add_edge_path(flags=1)
    path.add_arc((450, 50), radius=50, start_angle=0, end_angle=360, ccw=True)

    h = msp.add_hatch(color=4)
    h.paths.add_polyline_path([(600, 0, 0), (700, 0, 1), (700, 50, 0), (600, 50, 1)], is_closed=True, flags=1)

    h = msp.add_hatch(color=5)
    h.set_pattern_fill('USER', color=5, definition=[[0, (1, 0), (0, 10), [5, -2.5]]])
    h.paths.add_polyline_path(square(0, 200, 100, 300), is_closed=True, flags=1)

    h = msp.add_hatch(color=6)
    path = h.paths.add_edge_path(flags=1)
    path.add_ellipse((450, 250), major_axis=(50, 0), ratio=0.5, start_angle=0, end_angle=360, ccw=True)

    h = msp.add_hatch(color=30, dxfattribs={'extrusion': (0, 0, -1)})
    h.paths.add_polyline_path(square(10, 10, 20, 20), is_closed=True, flags=1)

    doc.saveas('hatches.dxf')


def broken_hatches():
    doc = ezdxf.new('R2000')
    msp = doc.modelspace()

    h = msp.add_hatch(color=1)
    path = h.paths.add_edge_path(flags=1)
    path.add_line((0, 0), (100, 0))
    path.add_line((100, 0), (100, 100))
    path.add_line((100, 100), (0, 100))

    h = msp.add_hatch(color=2)
    h.paths.add_polyline_path([(200, 0), (300, 100), (300, 0), (200, 100)], is_closed=True, flags=1)

    h = msp.add_hatch(color=3)
    h.set_pattern_fill('USER', color=3, definition=[[45, (0, 0), (0, 0), []]])
    h.paths.add_polyline_path(square(400, 0, 500, 100), is_closed=True, flags=1)

    h = msp.add_hatch(color=4)
    h.set_pattern_fill('USER', color=4, definition=[[45, (0, 0), (0, 1e-4), []]])
    h.paths.add_polyline_path(square(600, 0, 700, 100), is_closed=True, flags=1)

    h = msp.add_hatch(color=5)
    h.paths.add_polyline_path(square(800, 0, 900, 100), is_closed=True, flags=1)
    path = h.paths.add_edge_path(flags=0)
    path.add_arc((900, 50), radius=30, start_angle=0, end_angle=360, ccw=True)

    h = msp.add_hatch(color=6)
    path = h.paths.add_edge_path(flags=1)
    for a, b in zip(square(1000, 0, 1100, 100), square(1000, 0, 1100, 100)[1:] + [(1000, 0)]):
        path.add_line(a, b)

    doc.saveas('broken_hatches.dxf')


def gradient():
    doc = ezdxf.new('R2004')
    msp = doc.modelspace()
    for x, first, index in ((0, (0, 255, 0), 3), (20, (255, 0, 0), None), (40, None, None)):
        hatch = msp.add_hatch(color=5)
        if first:
            hatch.set_gradient(color1=first, color2=(0, 0, 255))
            hatch.gradient.aci1 = index
        hatch.paths.add_polyline_path(square(x, 0, x + 10, 10))
    doc.saveas('gradient.dxf')


def clockwise_arcs():
    doc = ezdxf.new('R2000')
    msp = doc.modelspace()
    arc = msp.add_hatch(color=1).paths.add_edge_path()
    arc.add_line((0, 0), (0, 100))
    arc.add_line((0, 100), (100, 100))
    # angles counter-clockwise from start to end, walked the other way
    arc.add_arc((100, 50), 50, start_angle=-90, end_angle=90, ccw=False)
    arc.add_line((100, 0), (0, 0))
    ellipse = msp.add_hatch(color=2).paths.add_edge_path()
    ellipse.add_line((200, 0), (200, 100))
    ellipse.add_line((200, 100), (300, 100))
    ellipse.add_ellipse((300, 50), major_axis=(0, 50), ratio=0.5, start_angle=180, end_angle=360,
                        ccw=False)
    ellipse.add_line((300, 0), (200, 0))
    doc.saveas('clockwise_arcs.dxf')


hatches()
broken_hatches()
gradient()
clockwise_arcs()
