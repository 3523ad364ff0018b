#!/usr/bin/env python3
"""Writes dimension_in_block.dxf with ezdxf (Debian's python3-ezdxf), a DXF
writer independent of this project, for the mapping and conversion tests.
Run it from this folder: /usr/bin/python3 make_dimension_in_block.py

dimension_in_block.dxf  (AC1015) the blocks "A" (a LINE and a linear
    dimension, whose own block "*D1" is written after the blocks "B" and
    "C"), "B" (a CIRCLE of radius 1) and "C" (a CIRCLE of radius 2), each
    inserted once in model space. Mapping the dimension inside "A" must not
    change which block header the block walk reads next.
"""

import ezdxf

doc = ezdxf.new('R2000')
msp = doc.modelspace()
a = doc.blocks.new('A')
a.add_line((0, 0), (1, 1))
doc.blocks.new('B').add_circle((0, 0), 1)
doc.blocks.new('C').add_circle((0, 0), 2)
a.add_linear_dim(base=(0, 2), p1=(0, 0), p2=(3, 0)).render()
msp.add_blockref('A', (0, 0))
msp.add_blockref('B', (10, 0))
msp.add_blockref('C', (20, 0))
doc.saveas('dimension_in_block.dxf')
