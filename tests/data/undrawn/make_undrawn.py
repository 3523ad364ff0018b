#!/usr/bin/env python3
"""Writes the drawings of the tests of what a picture leaves out, with
ezdxf (python3-ezdxf): undrawn.dxf holds one LINE, a HATCH and entities of
kinds the conversion does not draw (two XLINEs, a RAY), nothing.dxf holds
nothing that is drawn (a single RAY). Run it from this
folder: /usr/bin/python3 make_undrawn.py"""
import ezdxf


def undrawn():
    doc = ezdxf.new('R2000')
    msp = doc.modelspace()
    msp.add_line((0, 0), (10, 5))
    msp.add_xline((0, 0), (1, 1))
    msp.add_xline((5, 0), (0, 1))
    msp.add_ray((2, 2), (1, 0))
    hatch = msp.add_hatch(color=3)
    hatch.paths.add_polyline_path([(0, 0), (4, 0), (4, 4), (0, 4)], is_closed=True)
    doc.saveas('undrawn.dxf')


def nothing():
    doc = ezdxf.new('R2000')
    doc.modelspace().add_ray((0, 0), (0, 1))
    doc.saveas('nothing.dxf')


if __name__ == '__main__':
    undrawn()
    nothing()
