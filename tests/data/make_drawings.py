#!/usr/bin/env python3
"""Writes the test drawings of the toolkit tests: one ASCII DXF file per
release ("AC1009" without handles, "AC1012", "AC1014", "AC1015"). Each holds
every table and the entity kinds of its release with values the tests read
back field by field; the tests in tests/toolkit/dxf name these values. The
binary twin of the "AC1015" drawing is written by make_binary.py with an
independent library's binary writer. Run it from this folder:
python3 make_drawings.py"""


class Dxf:
    def __init__(self):
        self.pairs = []

    def __call__(self, *items):
        for i in range(0, len(items), 2):
            self.pairs.append((items[i], items[i + 1]))
        return self

    def ascii(self):
        out = []
        for code, value in self.pairs:
            if isinstance(value, float):
                text = repr(value)
            else:
                text = str(value)
            out.append('%3d\n%s\n' % (code, text))
        return ''.join(out).encode('latin-1')


def acis(text):
    """ACIS text as DXF files keep it: each printable character c becomes
    159 - c."""
    return ''.join(chr(159 - ord(c)) if 33 <= ord(c) <= 126 else c for c in text)


def section(d, name):
    d(0, 'SECTION', 2, name)


def endsec(d):
    d(0, 'ENDSEC')


# --------------------------------------------------------------------------- AC1015

def r2000():
    d = Dxf()
    d(999, 'toolkit test drawing, release AC1015')
    section(d, 'HEADER')
    d(9, '$ACADVER', 1, 'AC1015', 9, '$ACADMAINTVER', 70, 6, 9, '$DWGCODEPAGE', 3, 'ANSI_1252')
    d(9, '$INSBASE', 10, 1.0, 20, 2.0, 30, 3.0)
    d(9, '$EXTMIN', 10, -10.0, 20, -20.0, 30, 0.0, 9, '$EXTMAX', 10, 100.0, 20, 200.0, 30, 5.0)
    d(9, '$LIMMIN', 10, 0.0, 20, 0.0, 9, '$LIMMAX', 10, 420.0, 20, 297.0)
    d(9, '$LTSCALE', 40, 2.5, 9, '$TEXTSIZE', 40, 0.25, 9, '$ORTHOMODE', 70, 1)
    d(9, '$CLAYER', 8, 'Walls', 9, '$CELTYPE', 6, 'BYLAYER', 9, '$CECOLOR', 62, 256)
    d(9, '$DIMSCALE', 40, 1.5, 9, '$DIMASZ', 40, 0.2, 9, '$DIMTXSTY', 7, 'Notes')
    d(9, '$DIMSTYLE', 2, 'ISO-25', 9, '$DIMATFIT', 280, 2, 9, '$DIMLUNIT', 70, 4)
    d(9, '$ANGBASE', 50, 90.0, 9, '$ANGDIR', 70, 1)
    d(9, '$TDCREATE', 40, 2451545.25, 9, '$TDUPDATE', 40, 2451546.5)
    d(9, '$HANDSEED', 5, '3FF', 9, '$USERI3', 70, 42, 9, '$USERR2', 40, 3.5)
    d(9, '$MENU', 1, 'acad', 9, '$CMLSTYLE', 2, 'Standard', 9, '$TEXTSTYLE', 7, 'Notes')
    d(9, '$FOOBAR', 70, 1)                        # unknown: passed over
    d(9, '$PSTYLEMODE', 290, 1, 9, '$CELWEIGHT', 370, -1, 9, '$PROXYGRAPHICS', 70, 1)
    d(9, '$HYPERLINKBASE', 1, 'http://example.invalid/base')
    d(9, '$UCSORG', 10, 0.0, 20, 0.0, 30, 0.0, 9, '$UCSNAME', 2, '')
    d(9, '$PDMODE', 70, 3, 9, '$PDSIZE', 40, 0.1)
    endsec(d)

    section(d, 'CLASSES')
    for name, cpp, entity in [('ACDBDICTIONARYWDFLT', 'AcDbDictionaryWithDefault', 0),
                              ('ACDBPLACEHOLDER', 'AcDbPlaceHolder', 0),
                              ('LAYOUT', 'AcDbLayout', 0), ('XRECORD', 'AcDbXrecord', 0),
                              ('LWPOLYLINE', 'AcDbPolyline', 1), ('HATCH', 'AcDbHatch', 1),
                              ('IMAGE', 'AcDbRasterImage', 1), ('IMAGEDEF', 'AcDbRasterImageDef', 0),
                              ('RTEXT', 'RText', 1), ('ARCALIGNEDTEXT', 'AcDbArcAlignedText', 1),
                              ('FANCYTHING', 'AcDbFancy', 1)]:
        d(0, 'CLASS', 1, name, 2, cpp, 3, 'ObjectDBX Classes', 90, 0, 280, 0, 281, entity)
    endsec(d)

    section(d, 'TABLES')
    d(0, 'TABLE', 2, 'VPORT', 5, '8', 330, '0', 100, 'AcDbSymbolTable', 70, 1)
    d(0, 'VPORT', 5, '29', 330, '8', 100, 'AcDbSymbolTableRecord', 100, 'AcDbViewportTableRecord',
      2, '*ACTIVE', 70, 0, 10, 0.0, 20, 0.0, 11, 1.0, 21, 1.0, 12, 210.0, 22, 148.5,
      13, 0.0, 23, 0.0, 14, 10.0, 24, 10.0, 15, 5.0, 25, 5.0, 16, 0.0, 26, 0.0, 36, 1.0,
      17, 0.0, 27, 0.0, 37, 0.0, 40, 297.0, 41, 1.414, 42, 50.0, 43, 0.0, 44, 0.0,
      50, 30.0, 51, 0.0, 71, 0, 72, 1000, 73, 1, 74, 3, 75, 0, 76, 1, 77, 0, 78, 0, 281, 0, 65, 1)
    d(0, 'ENDTAB')
    d(0, 'TABLE', 2, 'LTYPE', 5, '5', 330, '0', 100, 'AcDbSymbolTable', 70, 4)
    d(0, 'LTYPE', 5, '14', 330, '5', 100, 'AcDbSymbolTableRecord', 100, 'AcDbLinetypeTableRecord',
      2, 'ByBlock', 70, 0, 3, '', 72, 65, 73, 0, 40, 0.0)
    d(0, 'LTYPE', 5, '15', 330, '5', 100, 'AcDbSymbolTableRecord', 100, 'AcDbLinetypeTableRecord',
      2, 'ByLayer', 70, 0, 3, '', 72, 65, 73, 0, 40, 0.0)
    d(0, 'LTYPE', 5, '16', 330, '5', 100, 'AcDbSymbolTableRecord', 100, 'AcDbLinetypeTableRecord',
      2, 'Continuous', 70, 0, 3, 'Solid line', 72, 65, 73, 0, 40, 0.0)
    d(0, 'LTYPE', 5, '30', 330, '5', 100, 'AcDbSymbolTableRecord', 100, 'AcDbLinetypeTableRecord',
      2, 'DASHED', 70, 0, 3, '__ __ __', 72, 65, 73, 2, 40, 0.75, 49, 0.5, 74, 0, 49, -0.25, 74, 0)
    d(0, 'LTYPE', 5, '31', 330, '5', 100, 'AcDbSymbolTableRecord', 100, 'AcDbLinetypeTableRecord',
      2, 'GAS', 70, 0, 3, 'Gas line', 72, 65, 73, 3, 40, 1.5,
      49, 0.5, 74, 0, 49, -0.2, 74, 2, 75, 0, 340, '11', 46, 0.1, 50, 0.0, 44, -0.1, 45, -0.05,
      9, 'GAS', 49, -0.25, 74, 0)
    d(0, 'ENDTAB')
    d(0, 'TABLE', 2, 'LAYER', 5, '2', 330, '0', 100, 'AcDbSymbolTable', 70, 4)
    d(0, 'LAYER', 5, '10', 330, '2', 100, 'AcDbSymbolTableRecord', 100, 'AcDbLayerTableRecord',
      2, '0', 70, 0, 62, 7, 6, 'Continuous', 370, -3, 390, 'F')
    d(0, 'LAYER', 5, '40', 330, '2', 100, 'AcDbSymbolTableRecord', 100, 'AcDbLayerTableRecord',
      2, 'Walls', 70, 0, 62, 1, 6, 'DASHED', 290, 1, 370, 35, 390, 'F',
      1001, 'MYAPP', 1000, 'layer data')
    d(0, 'LAYER', 5, '41', 330, '2', 100, 'AcDbSymbolTableRecord', 100, 'AcDbLayerTableRecord',
      2, 'Doors', 70, 4, 62, -3, 6, 'NOSUCHTYPE', 290, 0, 370, -3, 390, 'F')
    d(0, 'LAYER', 5, '42', 330, '2', 102, '{ACAD_XDICTIONARY', 360, '43', 102, '}',
      100, 'AcDbSymbolTableRecord', 100, 'AcDbLayerTableRecord',
      2, 'XREF|Pipes', 70, 48, 62, 5, 6, 'GAS', 370, -3, 390, 'F')
    d(0, 'ENDTAB')
    d(0, 'TABLE', 2, 'STYLE', 5, '3', 330, '0', 100, 'AcDbSymbolTable', 70, 3)
    d(0, 'STYLE', 5, '11', 330, '3', 100, 'AcDbSymbolTableRecord', 100, 'AcDbTextStyleTableRecord',
      2, 'Standard', 70, 0, 40, 0.0, 41, 1.0, 50, 0.0, 71, 0, 42, 0.2, 3, 'txt', 4, '')
    d(0, 'STYLE', 5, '50', 330, '3', 100, 'AcDbSymbolTableRecord', 100, 'AcDbTextStyleTableRecord',
      2, 'Notes', 70, 0, 40, 2.5, 41, 0.8, 50, 15.0, 71, 2, 42, 2.5, 3, 'arial.ttf', 4, 'bigfont.shx')
    d(0, 'ENDTAB')
    d(0, 'TABLE', 2, 'VIEW', 5, '6', 330, '0', 100, 'AcDbSymbolTable', 70, 1)
    d(0, 'VIEW', 5, '60', 330, '6', 100, 'AcDbSymbolTableRecord', 100, 'AcDbViewTableRecord',
      2, 'Front', 70, 0, 40, 50.0, 10, 5.0, 20, 6.0, 41, 80.0, 11, 0.0, 21, -1.0, 31, 0.0,
      12, 1.0, 22, 2.0, 32, 3.0, 42, 35.0, 43, 1.0, 44, 2.0, 50, 45.0, 71, 0, 281, 0, 72, 0)
    d(0, 'ENDTAB')
    d(0, 'TABLE', 2, 'UCS', 5, '7', 330, '0', 100, 'AcDbSymbolTable', 70, 1)
    d(0, 'UCS', 5, '70', 330, '7', 100, 'AcDbSymbolTableRecord', 100, 'AcDbUCSTableRecord',
      2, 'Tilted', 70, 0, 10, 1.0, 20, 1.0, 30, 0.0, 11, 0.0, 21, 1.0, 31, 0.0, 12, -1.0, 22, 0.0, 32, 0.0,
      79, 0, 146, 4.5)
    d(0, 'ENDTAB')
    d(0, 'TABLE', 2, 'APPID', 5, '9', 330, '0', 100, 'AcDbSymbolTable', 70, 2)
    d(0, 'APPID', 5, '12', 330, '9', 100, 'AcDbSymbolTableRecord', 100, 'AcDbRegAppTableRecord',
      2, 'ACAD', 70, 0)
    d(0, 'APPID', 5, '80', 330, '9', 100, 'AcDbSymbolTableRecord', 100, 'AcDbRegAppTableRecord',
      2, 'MYAPP', 70, 0)
    d(0, 'ENDTAB')
    d(0, 'TABLE', 2, 'DIMSTYLE', 5, 'A', 330, '0', 100, 'AcDbSymbolTable', 70, 2, 100, 'AcDbDimStyleTable', 71, 0)
    d(0, 'DIMSTYLE', 105, '27', 330, 'A', 100, 'AcDbSymbolTableRecord', 100, 'AcDbDimStyleTableRecord',
      2, 'Standard', 70, 0, 340, '11')
    d(0, 'DIMSTYLE', 105, '90', 330, 'A', 100, 'AcDbSymbolTableRecord', 100, 'AcDbDimStyleTableRecord',
      2, 'ISO-25', 70, 0, 3, '<> mm', 40, 1.0, 41, 2.5, 42, 0.625, 43, 3.75, 44, 1.25, 140, 2.5,
      147, 0.625, 77, 1, 176, 3, 177, 4, 178, 5, 271, 2, 277, 2, 278, 44, 289, 3, 279, 1,
      340, '50', 343, 'A1', 371, 25, 372, 18)
    d(0, 'ENDTAB')
    d(0, 'TABLE', 2, 'BLOCK_RECORD', 5, '1', 330, '0', 100, 'AcDbSymbolTable', 70, 5)
    for handle, name, extra in [('1F', '*Model_Space', (340, '22')), ('1B', '*Paper_Space', (340, '1E')),
                                ('A0', 'Door', (70, 4, 280, 1, 281, 0)), ('A1', 'Arrow1', ()),
                                ('A2', '*D1', ())]:
        d(0, 'BLOCK_RECORD', 5, handle, 330, '1', 100, 'AcDbSymbolTableRecord',
          100, 'AcDbBlockTableRecord', 2, name, *extra)
        if name == 'Door':
            d(310, '0102030405060708', 310, 'FF')
    d(0, 'ENDTAB')
    endsec(d)

    section(d, 'BLOCKS')
    d(0, 'BLOCK', 5, '20', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'AcDbBlockBegin',
      2, '*Model_Space', 70, 0, 10, 0.0, 20, 0.0, 30, 0.0, 3, '*Model_Space', 1, '')
    d(0, 'ENDBLK', 5, '21', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'AcDbBlockEnd')
    d(0, 'BLOCK', 5, '1C', 330, '1B', 100, 'AcDbEntity', 67, 1, 8, '0', 100, 'AcDbBlockBegin',
      2, '*Paper_Space', 70, 0, 10, 0.0, 20, 0.0, 30, 0.0, 3, '*Paper_Space', 1, '')
    d(0, 'ENDBLK', 5, '1D', 330, '1B', 100, 'AcDbEntity', 67, 1, 8, '0', 100, 'AcDbBlockEnd')
    d(0, 'BLOCK', 5, 'B0', 330, 'A0', 100, 'AcDbEntity', 8, '0', 100, 'AcDbBlockBegin',
      2, 'Door', 70, 2, 10, 0.5, 20, 0.25, 30, 0.0, 3, 'Door', 1, '', 4, 'A door')
    d(0, 'LINE', 5, 'B1', 330, 'A0', 100, 'AcDbEntity', 8, '0', 100, 'AcDbLine',
      10, 0.0, 20, 0.0, 30, 0.0, 11, 0.0, 21, 1.0, 31, 0.0)
    d(0, 'ARC', 5, 'B2', 330, 'A0', 100, 'AcDbEntity', 8, '0', 100, 'AcDbCircle',
      10, 0.0, 20, 0.0, 30, 0.0, 40, 1.0, 100, 'AcDbArc', 50, 0.0, 51, 90.0)
    d(0, 'ATTDEF', 5, 'B3', 330, 'A0', 100, 'AcDbEntity', 8, '0', 100, 'AcDbText',
      10, 0.1, 20, 0.2, 30, 0.0, 40, 0.125, 1, 'D-00', 7, 'Notes', 100, 'AcDbAttributeDefinition',
      3, 'Door number?', 2, 'TAG1', 70, 2, 73, 8, 74, 1)
    d(0, 'ENDBLK', 5, 'B4', 330, 'A0', 100, 'AcDbEntity', 8, '0', 100, 'AcDbBlockEnd')
    d(0, 'BLOCK', 5, 'C0', 330, 'A1', 100, 'AcDbEntity', 8, '0', 100, 'AcDbBlockBegin',
      2, 'Arrow1', 70, 0, 10, 0.0, 20, 0.0, 30, 0.0, 3, 'Arrow1', 1, '')
    d(0, 'SOLID', 5, 'C1', 330, 'A1', 100, 'AcDbEntity', 8, '0', 62, 0, 100, 'AcDbTrace',
      10, 0.0, 20, 0.0, 30, 0.0, 11, -1.0, 21, 0.1667, 31, 0.0, 12, -1.0, 22, -0.1667, 32, 0.0,
      13, -1.0, 23, -0.1667, 33, 0.0)
    d(0, 'ENDBLK', 5, 'C2', 330, 'A1', 100, 'AcDbEntity', 8, '0', 100, 'AcDbBlockEnd')
    d(0, 'BLOCK', 5, 'D0', 330, 'A2', 100, 'AcDbEntity', 8, '0', 100, 'AcDbBlockBegin',
      2, '*D1', 70, 1, 10, 0.0, 20, 0.0, 30, 0.0, 3, '*D1', 1, '')
    d(0, 'LINE', 5, 'D1', 330, 'A2', 100, 'AcDbEntity', 8, '0', 100, 'AcDbLine',
      10, 0.0, 20, 5.0, 30, 0.0, 11, 10.0, 21, 5.0, 31, 0.0)
    d(0, 'ENDBLK', 5, 'D2', 330, 'A2', 100, 'AcDbEntity', 8, '0', 100, 'AcDbBlockEnd')
    endsec(d)

    section(d, 'ENTITIES')
    d(0, 'LINE', 5, '100', 330, '1F', 100, 'AcDbEntity', 8, 'Walls', 62, 1, 48, 2.0, 370, 50,
      100, 'AcDbLine', 10, 1.0, 20, 2.0, 30, 3.0, 11, 4.0, 21, 5.0, 31, 6.0,
      1001, 'MYAPP', 1000, 'hello', 1070, 7, 1010, 1.5, 1020, 2.5, 1030, 3.5, 1040, 0.5,
      1071, 99999, 1005, '100', 1002, '{', 1003, 'Walls', 1002, '}', 1004, 'DEADBEEF')
    d(0, 'POINT', 5, '101', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'AcDbPoint',
      10, 7.0, 20, 8.0, 30, 9.0, 50, 90.0)
    d(0, 'CIRCLE', 5, '102', 330, '1F', 100, 'AcDbEntity', 8, '0', 6, 'DASHED', 100, 'AcDbCircle',
      39, 2.0, 10, 1.0, 20, 1.0, 30, 0.0, 40, 3.0, 210, 0.0, 220, 0.0, 230, -1.0)
    d(0, 'ARC', 5, '103', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'AcDbCircle',
      10, 2.0, 20, 2.0, 30, 0.0, 40, 1.5, 100, 'AcDbArc', 50, 90.0, 51, 180.0)
    d(0, 'ELLIPSE', 5, '104', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'AcDbEllipse',
      10, 0.0, 20, 0.0, 30, 0.0, 11, 4.0, 21, 0.0, 31, 0.0, 210, 0.0, 220, 0.0, 230, 1.0,
      40, 0.5, 41, 0.0, 42, 3.14159265358979)
    d(0, 'SPLINE', 5, '105', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'AcDbSpline',
      210, 0.0, 220, 0.0, 230, 1.0, 70, 12, 71, 3, 72, 8, 73, 4, 74, 0, 42, 1e-10, 43, 1e-10,
      40, 0.0, 40, 0.0, 40, 0.0, 40, 0.0, 40, 1.0, 40, 1.0, 40, 1.0, 40, 1.0,
      10, 0.0, 20, 0.0, 30, 0.0, 41, 1.0, 10, 1.0, 20, 2.0, 30, 0.0, 41, 0.5,
      10, 3.0, 20, 2.0, 30, 0.0, 41, 0.5, 10, 4.0, 20, 0.0, 30, 0.0, 41, 1.0)
    d(0, 'SPLINE', 5, '106', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'AcDbSpline',
      70, 8, 71, 3, 72, 0, 73, 0, 74, 3, 44, 1e-10, 12, 1.0, 22, 0.0, 32, 0.0, 13, 0.0, 23, -1.0, 33, 0.0,
      11, 0.0, 21, 0.0, 31, 0.0, 11, 5.0, 21, 5.0, 31, 0.0, 11, 10.0, 21, 0.0, 31, 0.0)
    d(0, 'TEXT', 5, '107', 330, '1F', 100, 'AcDbEntity', 8, 'Walls', 100, 'AcDbText',
      10, 1.0, 20, 2.0, 30, 0.0, 40, 0.5, 1, 'Line one^Jline two ^ caret', 50, 45.0, 41, 0.75, 51, 15.0,
      7, 'Notes', 72, 1, 11, 3.0, 21, 4.0, 31, 0.0, 100, 'AcDbText', 73, 2)
    d(0, 'MTEXT', 5, '108', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'AcDbMText',
      10, 5.0, 20, 5.0, 30, 0.0, 40, 0.35, 41, 20.0, 71, 1, 72, 5,
      3, 'The first chunk of a long text, ', 3, 'the second chunk, ', 1, 'and the end.',
      7, 'Notes', 42, 12.5, 43, 0.7, 73, 1, 44, 1.0)
    d(0, 'MTEXT', 5, '109', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'AcDbMText',
      10, 6.0, 20, 6.0, 30, 0.0, 40, 0.35, 41, 10.0, 71, 7, 1, 'Short\\Ptext', 50, 90.0)
    d(0, 'LWPOLYLINE', 5, '10A', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'AcDbPolyline',
      90, 3, 70, 129, 38, 1.25, 39, 0.5, 10, 0.0, 20, 0.0, 42, 1.0, 10, 10.0, 20, 0.0, 10, 10.0, 20, 5.0,
      40, 0.1, 41, 0.2)
    d(0, 'LWPOLYLINE', 5, '10B', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'AcDbPolyline',
      90, 2, 70, 0, 43, 0.5, 10, 1.0, 20, 1.0, 10, 2.0, 20, 2.0)
    d(0, 'POLYLINE', 5, '10C', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'AcDb2dPolyline',
      66, 1, 10, 0.0, 20, 0.0, 30, 2.0, 70, 1, 40, 0.1, 41, 0.1)
    d(0, 'VERTEX', 5, '10D', 330, '10C', 100, 'AcDbEntity', 8, '0', 100, 'AcDbVertex',
      100, 'AcDb2dVertex', 10, 0.0, 20, 0.0, 30, 0.0, 42, 0.5)
    d(0, 'VERTEX', 5, '10E', 330, '10C', 100, 'AcDbEntity', 8, '0', 100, 'AcDbVertex',
      100, 'AcDb2dVertex', 10, 5.0, 20, 0.0, 30, 0.0, 40, 0.3, 41, 0.4)
    d(0, 'VERTEX', 5, '10F', 330, '10C', 100, 'AcDbEntity', 8, '0', 100, 'AcDbVertex',
      100, 'AcDb2dVertex', 10, 5.0, 20, 5.0, 30, 0.0)
    d(0, 'SEQEND', 5, '110', 330, '10C', 100, 'AcDbEntity', 8, '0')
    d(0, 'POLYLINE', 5, '111', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'AcDbPolyFaceMesh',
      66, 1, 10, 0.0, 20, 0.0, 30, 0.0, 70, 64, 71, 3, 72, 1)
    for i, (x, y) in enumerate([(0.0, 0.0), (1.0, 0.0), (0.0, 1.0)]):
        d(0, 'VERTEX', 5, '%X' % (0x112 + i), 330, '111', 100, 'AcDbEntity', 8, '0', 100, 'AcDbVertex',
          100, 'AcDbPolyFaceMeshVertex', 10, x, 20, y, 30, 0.0, 70, 192)
    d(0, 'VERTEX', 5, '115', 330, '111', 100, 'AcDbEntity', 8, '0', 100, 'AcDbFaceRecord',
      10, 0.0, 20, 0.0, 30, 0.0, 70, 128, 71, 1, 72, 2, 73, -3)
    d(0, 'SEQEND', 5, '116', 330, '111', 100, 'AcDbEntity', 8, '0')
    d(0, 'INSERT', 5, '117', 330, '1F', 100, 'AcDbEntity', 8, 'Doors', 100, 'AcDbBlockReference',
      66, 1, 2, 'door', 10, 10.0, 20, 20.0, 30, 0.0, 41, 2.0, 42, 2.0, 43, 1.0, 50, 30.0)
    d(0, 'ATTRIB', 5, '118', 330, '117', 100, 'AcDbEntity', 8, 'Doors', 100, 'AcDbText',
      10, 10.1, 20, 20.2, 30, 0.0, 40, 0.25, 1, 'D-01', 7, 'Notes', 11, 10.5, 21, 20.5, 31, 0.75,
      100, 'AcDbAttribute', 2, 'TAG1', 70, 0, 73, 8, 74, 2)
    d(0, 'SEQEND', 5, '119', 330, '117', 100, 'AcDbEntity', 8, 'Doors')
    d(0, 'DIMENSION', 5, '11A', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'AcDbDimension',
      2, '*D1', 10, 10.0, 20, 5.0, 30, 0.0, 11, 5.0, 21, 6.0, 31, 0.0, 70, 32, 1, '<> mm', 71, 5,
      42, 10.0, 3, 'ISO-25', 100, 'AcDbAlignedDimension', 13, 0.0, 23, 0.0, 33, 0.0,
      14, 10.0, 24, 0.0, 34, 0.0, 100, 'AcDbRotatedDimension', 50, 0.0)
    d(0, 'LEADER', 5, '11B', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'AcDbLeader',
      3, 'ISO-25', 71, 1, 72, 0, 73, 0, 74, 1, 75, 0, 40, 0.35, 41, 5.0, 76, 3,
      10, 0.0, 20, 0.0, 30, 0.0, 10, 2.0, 20, 2.0, 10, 4.0, 20, 2.0, 30, 1.0, 77, 256,
      340, '108', 210, 0.0, 220, 0.0, 230, 1.0, 211, 1.0, 221, 0.0, 231, 0.0,
      212, 0.0, 222, 0.0, 232, 0.0, 213, 0.5, 223, 0.25, 233, 0.0)
    d(0, 'TOLERANCE', 5, '11C', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'AcDbFcf',
      3, 'ISO-25', 10, 1.0, 20, 1.0, 30, 0.0, 1, '{\\Fgdt;j}%%v0.1', 11, 1.0, 21, 0.0, 31, 0.0)
    d(0, 'MLINE', 5, '11D', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'AcDbMline',
      2, 'STANDARD', 340, '18', 40, 1.0, 70, 0, 71, 3, 72, 2, 73, 2, 10, 0.0, 20, 0.0, 30, 0.0,
      210, 0.0, 220, 0.0, 230, 1.0,
      11, 0.0, 21, 0.0, 31, 0.0, 12, 1.0, 22, 0.0, 32, 0.0, 13, 0.0, 23, 1.0, 33, 0.0,
      74, 2, 41, 0.0, 41, 0.0, 75, 0, 74, 2, 41, -1.0, 41, 0.0, 75, 0,
      11, 10.0, 21, 0.0, 31, 0.0, 12, 1.0, 22, 0.0, 32, 0.0, 13, 0.0, 23, 1.0, 33, 0.0,
      74, 1, 41, 0.5, 75, 1, 42, 0.25, 74, 0, 75, 0)
    d(0, 'HATCH', 5, '11E', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'AcDbHatch',
      10, 0.0, 20, 0.0, 30, 0.0, 210, 0.0, 220, 0.0, 230, 1.0, 2, 'ANSI31', 70, 0, 71, 1, 91, 2,
      92, 7, 72, 1, 73, 1, 93, 3, 10, 0.0, 20, 0.0, 42, 0.5, 10, 10.0, 20, 0.0, 42, 0.0,
      10, 10.0, 20, 10.0, 42, 0.0, 97, 1, 330, '10A',
      92, 1, 93, 4,
      72, 1, 10, 0.0, 20, 0.0, 11, 5.0, 21, 0.0,
      72, 2, 10, 5.0, 20, 1.0, 40, 1.0, 50, 270.0, 51, 90.0, 73, 1,
      72, 3, 10, 5.0, 20, 3.0, 11, 2.0, 21, 0.0, 40, 0.5, 50, 0.0, 51, 90.0, 73, 1,
      72, 4, 94, 3, 73, 0, 74, 0, 95, 8, 96, 4,
      40, 0.0, 40, 0.0, 40, 0.0, 40, 0.0, 40, 1.0, 40, 1.0, 40, 1.0, 40, 1.0,
      10, 5.0, 20, 4.0, 10, 3.0, 20, 5.0, 10, 1.0, 20, 5.0, 10, 0.0, 20, 0.0,
      97, 0,
      75, 1, 76, 1, 52, 45.0, 41, 2.0, 77, 0, 78, 1,
      53, 45.0, 43, 0.0, 44, 0.0, 45, -2.2, 46, 2.2, 79, 2, 49, 1.0, 49, -0.5,
      98, 1, 10, 1.0, 20, 1.0)
    d(0, 'TRACE', 5, '11F', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'AcDbTrace',
      10, 0.0, 20, 0.0, 30, 0.0, 11, 1.0, 21, 0.0, 31, 0.0, 12, 0.0, 22, 1.0, 32, 0.0, 13, 1.0, 23, 1.0, 33, 0.0)
    d(0, 'SOLID', 5, '120', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'AcDbTrace',
      10, 2.0, 20, 0.0, 30, 0.0, 11, 3.0, 21, 0.0, 31, 0.0, 12, 2.0, 22, 1.0, 32, 0.0, 13, 3.0, 23, 1.0, 33, 0.0)
    d(0, '3DFACE', 5, '121', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'AcDbFace',
      10, 0.0, 20, 0.0, 30, 1.0, 11, 1.0, 21, 0.0, 31, 1.0, 12, 1.0, 22, 1.0, 32, 2.0,
      13, 0.0, 23, 1.0, 33, 2.0, 70, 5)
    d(0, 'RAY', 5, '122', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'AcDbRay',
      10, 1.0, 20, 1.0, 30, 0.0, 11, 0.6, 21, 0.8, 31, 0.0)
    d(0, 'XLINE', 5, '123', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'AcDbXline',
      10, -1.0, 20, 1.0, 30, 0.0, 11, 0.0, 21, 1.0, 31, 0.0)
    d(0, '3DSOLID', 5, '124', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'AcDbModelerGeometry', 70, 1,
      1, acis('400 26 1 0'), 1, acis('16 Toolkit Tests 6 ACIS 1.0'), 3, acis(' continued'),
      1, acis('End-of-ACIS-data'))
    d(0, 'REGION', 5, '125', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'AcDbModelerGeometry', 70, 1,
      1, acis('region 1'))
    d(0, 'SHAPE', 5, '126', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'AcDbShape',
      10, 1.0, 20, 2.0, 30, 0.0, 40, 1.5, 2, 'BOX', 50, 10.0, 41, 1.2, 51, 5.0)
    d(0, 'IMAGE', 5, '127', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'AcDbRasterImage', 90, 0,
      10, 0.0, 20, 0.0, 30, 0.0, 11, 0.01, 21, 0.0, 31, 0.0, 12, 0.0, 22, 0.01, 32, 0.0,
      13, 640.0, 23, 480.0, 340, '200', 70, 7, 280, 1, 281, 60, 282, 40, 283, 10, 360, '201',
      71, 1, 91, 2, 14, -0.5, 24, -0.5, 14, 639.5, 24, 479.5)
    d(0, 'RTEXT', 5, '128', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'RText',
      10, 1.0, 20, 1.0, 30, 0.0, 50, 0.0, 40, 0.5, 7, 'Notes', 70, 1, 1, '$(getvar, "dwgname")')
    d(0, 'ARCALIGNEDTEXT', 5, '129', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'AcDbArcAlignedText',
      1, 'Around', 2, 'Arial', 3, '', 7, 'Notes', 10, 0.0, 20, 0.0, 30, 0.0, 40, 5.0, 41, 1.0, 42, 0.5,
      43, 0.1, 44, 0.2, 45, 0.0, 46, 0.0, 50, 0.0, 51, 180.0, 70, 0, 71, 1, 72, 2, 73, 1, 74, 1,
      75, 0, 76, 0, 77, 0, 78, 0, 79, 1, 90, 256, 280, 1, 330, '103')
    d(0, 'ACAD_PROXY_ENTITY', 5, '12A', 330, '1F', 100, 'AcDbEntity', 8, '0', 100, 'AcDbProxyEntity',
      90, 498, 91, 509, 92, 4, 310, '01020304', 93, 48, 310, 'A1B2C3D4E5F6', 330, '100', 340, '101', 94, 0)
    d(0, 'FANCYTHING', 5, '12B', 330, '1F', 100, 'AcDbEntity', 8, 'Made Up', 100, 'AcDbFancy',
      10, 1.0, 20, 2.0, 1, 'fancy text', 90, 12345)
    d(0, 'VIEWPORT', 5, '12C', 330, '1B', 100, 'AcDbEntity', 67, 1, 8, '0', 100, 'AcDbViewport',
      10, 210.0, 20, 148.5, 30, 0.0, 40, 300.0, 41, 200.0, 68, 2, 69, 2, 12, 50.0, 22, 60.0,
      13, 0.0, 23, 0.0, 14, 10.0, 24, 10.0, 15, 10.0, 25, 10.0, 16, 0.0, 26, 0.0, 36, 1.0,
      17, 0.0, 27, 0.0, 37, 0.0, 42, 50.0, 43, 0.0, 44, 0.0, 45, 120.0, 50, 0.0, 51, 0.0,
      72, 100, 90, 557056, 1, '', 281, 0, 71, 1, 74, 0, 110, 0.0, 120, 0.0, 130, 0.0,
      111, 1.0, 121, 0.0, 131, 0.0, 112, 0.0, 122, 1.0, 132, 0.0, 79, 0, 146, 0.0, 331, '41')
    d(0, 'CIRCLE', 5, '12D', 330, '1B', 100, 'AcDbEntity', 67, 1, 8, '0', 100, 'AcDbCircle',
      10, 20.0, 20, 20.0, 30, 0.0, 40, 5.0)
    d(0, 'LINE', 5, '12E', 330, '1F', 100, 'AcDbEntity', 8, 'NewLayer', 6, 'BYBLOCK', 62, 0, 100, 'AcDbLine',
      10, 0.0, 20, 0.0, 30, 0.0, 11, 1.0, 21, 1.0, 31, 0.0)
    endsec(d)

    section(d, 'OBJECTS')
    d(0, 'DICTIONARY', 5, 'C', 330, '0', 100, 'AcDbDictionary', 281, 1,
      3, 'ACAD_GROUP', 350, 'D', 3, 'ACAD_LAYOUT', 350, '1A', 3, 'ACAD_MLINESTYLE', 350, '17',
      3, 'ACAD_PLOTSTYLENAME', 350, 'E')
    d(0, 'DICTIONARY', 5, 'D', 102, '{ACAD_REACTORS', 330, 'C', 102, '}', 330, 'C',
      100, 'AcDbDictionary', 281, 1, 3, 'G1', 350, '300')
    d(0, 'ACDBDICTIONARYWDFLT', 5, 'E', 102, '{ACAD_REACTORS', 330, 'C', 102, '}', 330, 'C',
      100, 'AcDbDictionary', 281, 1, 3, 'Normal', 350, 'F', 100, 'AcDbDictionaryWithDefault', 340, 'F')
    d(0, 'ACDBPLACEHOLDER', 5, 'F', 102, '{ACAD_REACTORS', 330, 'E', 102, '}', 330, 'E')
    d(0, 'DICTIONARY', 5, '17', 102, '{ACAD_REACTORS', 330, 'C', 102, '}', 330, 'C',
      100, 'AcDbDictionary', 281, 1, 3, 'Standard', 350, '18')
    d(0, 'MLINESTYLE', 5, '18', 102, '{ACAD_REACTORS', 330, '17', 102, '}', 330, '17',
      100, 'AcDbMlineStyle', 2, 'STANDARD', 70, 0, 3, 'Two lines', 62, 256, 51, 90.0, 52, 90.0, 71, 2,
      49, 0.5, 62, 256, 6, 'BYLAYER', 49, -0.5, 62, 1, 6, 'DASHED')
    d(0, 'DICTIONARY', 5, '1A', 102, '{ACAD_REACTORS', 330, 'C', 102, '}', 330, 'C',
      100, 'AcDbDictionary', 281, 1, 3, 'Layout1', 350, '1E', 3, 'Model', 350, '22')
    for handle, name, tab, block in [('1E', 'Layout1', 1, '1B'), ('22', 'Model', 0, '1F')]:
        d(0, 'LAYOUT', 5, handle, 102, '{ACAD_REACTORS', 330, '1A', 102, '}', 330, '1A',
          100, 'AcDbPlotSettings', 1, 'Setup ' + name, 2, 'none_device', 4, '', 6, '',
          40, 0.0, 41, 0.0, 42, 0.0, 43, 0.0, 44, 0.0, 45, 0.0, 46, 0.0, 47, 0.0, 48, 0.0, 49, 0.0,
          140, 0.0, 141, 0.0, 142, 1.0, 143, 1.0, 70, 688, 72, 0, 73, 0, 74, 5, 7, '', 75, 16,
          147, 1.0, 148, 0.0, 149, 0.0,
          100, 'AcDbLayout', 1, name, 70, 1, 71, tab, 10, 0.0, 20, 0.0, 11, 420.0, 21, 297.0,
          12, 0.0, 22, 0.0, 32, 0.0, 14, 1.0, 24, 2.0, 34, 0.0, 15, 100.0, 25, 200.0, 35, 0.0,
          146, 0.0, 13, 0.0, 23, 0.0, 33, 0.0, 16, 1.0, 26, 0.0, 36, 0.0, 17, 0.0, 27, 1.0, 37, 0.0,
          76, 0, 330, block)
    d(0, 'GROUP', 5, '300', 102, '{ACAD_REACTORS', 330, 'D', 102, '}', 330, 'D', 100, 'AcDbGroup',
      300, 'Two things', 70, 0, 71, 1, 340, '100', 340, '101')
    d(0, 'XRECORD', 5, '301', 330, 'C', 100, 'AcDbXrecord', 280, 1, 1, 'stored', 40, 2.5, 90, 77,
      310, '00FF')
    d(0, 'IMAGEDEF', 5, '200', 330, 'C', 100, 'AcDbRasterImageDef', 90, 0, 1, 'photo.png',
      10, 640.0, 20, 480.0, 11, 0.01, 21, 0.01, 280, 1, 281, 0)
    d(0, 'ACAD_PROXY_OBJECT', 5, '302', 330, 'C', 100, 'AcDbProxyObject', 90, 499, 91, 510,
      93, 32, 310, 'CAFEBABE', 330, '100', 94, 0)
    endsec(d)
    d(0, 'EOF')
    return d


# --------------------------------------------------------------------------- AC1014

def r14():
    d = Dxf()
    section(d, 'HEADER')
    d(9, '$ACADVER', 1, 'AC1014', 9, '$DIMUNIT', 70, 7, 9, '$DIMFIT', 70, 4, 9, '$HANDSEED', 5, '500')
    d(9, '$CLAYER', 8, 'Layer1', 9, '$DWGCODEPAGE', 3, 'ANSI_932')
    endsec(d)
    section(d, 'CLASSES')
    d(0, 'CLASS', 1, 'LWPOLYLINE', 2, 'AcDbPolyline', 3, 'AutoCAD', 90, 0, 280, 0, 281, 1)
    d(0, 'CLASS', 1, 'HATCH', 2, 'AcDbHatch', 3, 'AutoCAD', 90, 0, 280, 0, 281, 1)
    endsec(d)
    section(d, 'TABLES')
    d(0, 'TABLE', 2, 'VPORT', 5, '8', 70, 1, 0, 'VPORT', 5, '29', 100, 'AcDbSymbolTableRecord',
      2, '*ACTIVE', 70, 0, 12, 5.0, 22, 5.0, 40, 10.0, 41, 1.5, 0, 'ENDTAB')
    d(0, 'TABLE', 2, 'LTYPE', 5, '5', 70, 2)
    d(0, 'LTYPE', 5, '14', 2, 'BYBLOCK', 70, 0, 3, '', 72, 65, 73, 0, 40, 0.0)
    d(0, 'LTYPE', 5, '15', 2, 'BYLAYER', 70, 0, 3, '', 72, 65, 73, 0, 40, 0.0)
    d(0, 'LTYPE', 5, '16', 2, 'CONTINUOUS', 70, 0, 3, 'Solid line', 72, 65, 73, 0, 40, 0.0)
    d(0, 'ENDTAB')
    d(0, 'TABLE', 2, 'LAYER', 5, '2', 70, 1)
    d(0, 'LAYER', 5, '10', 2, '0', 70, 0, 62, 7, 6, 'CONTINUOUS')
    d(0, 'LAYER', 5, '40', 2, 'Layer1', 70, 0, 62, 3, 6, 'CONTINUOUS')
    d(0, 'LAYER', 5, '41', 2, 'LAYER1', 70, 1, 62, 4, 6, 'CONTINUOUS')     # a taken name
    d(0, 'ENDTAB')
    d(0, 'TABLE', 2, 'STYLE', 5, '3', 70, 1, 0, 'STYLE', 5, '11', 2, 'STANDARD', 70, 0, 40, 0.0,
      41, 1.0, 50, 0.0, 71, 0, 42, 0.2, 3, 'txt', 4, '', 0, 'ENDTAB')
    d(0, 'TABLE', 2, 'VIEW', 5, '6', 70, 0, 0, 'ENDTAB')
    d(0, 'TABLE', 2, 'UCS', 5, '7', 70, 0, 0, 'ENDTAB')
    d(0, 'TABLE', 2, 'APPID', 5, '9', 70, 1, 0, 'APPID', 5, '12', 2, 'ACAD', 70, 0, 0, 'ENDTAB')
    d(0, 'TABLE', 2, 'DIMSTYLE', 5, 'A', 70, 1, 0, 'DIMSTYLE', 105, '1D', 2, 'STANDARD', 70, 0,
      270, 6, 287, 5, 5, 'ARROW', 6, '', 7, 'NOPE', 0, 'ENDTAB')
    d(0, 'TABLE', 2, 'BLOCK_RECORD', 5, '1', 70, 3)
    d(0, 'BLOCK_RECORD', 5, '1F', 2, '*MODEL_SPACE', 0, 'BLOCK_RECORD', 5, '1B', 2, '*PAPER_SPACE')
    d(0, 'BLOCK_RECORD', 5, '60', 2, 'ARROW')
    d(0, 'ENDTAB')
    endsec(d)
    # a second TABLES section is passed over
    section(d, 'TABLES')
    d(0, 'TABLE', 2, 'LAYER', 70, 1, 0, 'LAYER', 5, '99', 2, 'Ignored', 70, 0, 62, 1, 6, 'CONTINUOUS', 0, 'ENDTAB')
    endsec(d)
    section(d, 'BLOCKS')
    d(0, 'BLOCK', 5, '20', 330, '1F', 8, '0', 2, '*MODEL_SPACE', 70, 0, 10, 0.0, 20, 0.0, 30, 0.0, 3, '*MODEL_SPACE')
    d(0, 'ENDBLK', 5, '21', 330, '1F', 8, '0')
    d(0, 'BLOCK', 5, '1C', 330, '1B', 67, 1, 8, '0', 2, '*PAPER_SPACE', 70, 0, 10, 0.0, 20, 0.0, 30, 0.0)
    d(0, 'ENDBLK', 5, '1D', 330, '1B', 67, 1, 8, '0')
    d(0, 'BLOCK', 5, '61', 330, '60', 8, '0', 2, 'ARROW', 70, 0, 10, 0.0, 20, 0.0, 30, 0.0, 3, 'ARROW')
    d(0, 'LWPOLYLINE', 5, '62', 330, '60', 8, '0', 90, 2, 70, 0, 10, 0.0, 20, 0.0, 10, -1.0, 20, 0.2)
    d(0, 'ENDBLK', 5, '63', 330, '60', 8, '0')
    endsec(d)
    section(d, 'ENTITIES')
    d(0, 'LWPOLYLINE', 5, '100', 330, '1F', 100, 'AcDbEntity', 8, 'Layer1', 100, 'AcDbPolyline',
      90, 9, 70, 1, 10, 0.0, 20, 0.0, 10, 1.0, 20, 0.0, 42, 2e16, 10, 1.0, 20, 1.0)
    d(0, 'HATCH', 5, '101', 330, '1F', 100, 'AcDbEntity', 8, 'Layer1', 100, 'AcDbHatch',
      10, 0.0, 20, 0.0, 30, 0.0, 210, 0.0, 220, 0.0, 230, 1.0, 2, 'SOLID', 70, 1, 71, 0, 91, 1,
      92, 2, 72, 0, 73, 1, 93, 4, 10, 0.0, 20, 0.0, 10, 1.0, 20, 0.0, 10, 1.0, 20, 1.0, 10, 0.0, 20, 1.0,
      97, 0, 75, 0, 76, 1, 98, 1, 10, 0.5, 20, 0.5)
    d(0, 'LINE', 5, '102', 8, 'Layer1', 10, 0.0, 20, 0.0, 11, 1.0, 21, 1.0)
    d(0, 'SPLINE', 5, '103', 8, 'Layer1', 70, 8, 71, 1, 72, 4, 73, 2, 74, 0,
      40, 0.0, 40, 0.0, 40, 1.0, 40, 1.0, 10, 0.0, 20, 0.0, 30, 0.0, 10, 1.0, 20, 1.0, 30, 0.0)
    endsec(d)
    section(d, 'OBJECTS')
    d(0, 'DICTIONARY', 5, 'C', 330, '0', 100, 'AcDbDictionary', 3, 'ACAD_GROUP', 350, 'D')
    d(0, 'DICTIONARY', 5, 'D', 330, 'C', 100, 'AcDbDictionary')
    endsec(d)
    d(0, 'EOF')
    return d


# --------------------------------------------------------------------------- AC1012

def r13():
    d = Dxf()
    section(d, 'HEADER')
    d(9, '$ACADVER', 1, 'AC1012', 9, '$DIMUNIT', 70, 7, 9, '$HANDSEED', 5, '400', 9, '$TEXTSTYLE', 7, 'STANDARD')
    endsec(d)
    section(d, 'TABLES')
    d(0, 'TABLE', 2, 'LTYPE', 5, '5', 70, 1)
    d(0, 'LTYPE', 5, '16', 2, 'CONTINUOUS', 70, 64, 3, 'Solid line', 72, 65, 73, 0, 40, 0.0)
    d(0, 'LTYPE', 5, '17', 2, 'HIDDEN', 70, 64, 3, '_ _ _', 72, 65, 73, 2, 40, 0.375, 49, 0.25, 49, -0.125)
    d(0, 'ENDTAB')
    d(0, 'TABLE', 2, 'LAYER', 5, '2', 70, 1)
    d(0, 'LAYER', 5, '10', 2, '0', 70, 0, 62, 7, 6, 'CONTINUOUS')
    d(0, 'LAYER', 5, '11', 2, 'Hidden', 70, 0, 62, 2, 6, 'HIDDEN')
    d(0, 'ENDTAB')
    d(0, 'TABLE', 2, 'STYLE', 5, '3', 70, 1, 0, 'STYLE', 5, '30', 2, 'STANDARD', 70, 0, 40, 0.0,
      41, 1.0, 50, 0.0, 71, 0, 42, 0.2, 3, 'txt', 4, '', 0, 'ENDTAB')
    d(0, 'TABLE', 2, 'DIMSTYLE', 5, 'A', 70, 1, 0, 'DIMSTYLE', 105, '31', 2, 'STANDARD', 70, 0, 0, 'ENDTAB')
    d(0, 'TABLE', 2, 'BLOCK_RECORD', 5, '1', 70, 2)
    d(0, 'BLOCK_RECORD', 5, '1F', 2, '*MODEL_SPACE', 0, 'BLOCK_RECORD', 5, '1B', 2, '*PAPER_SPACE')
    d(0, 'ENDTAB')
    endsec(d)
    section(d, 'ENTITIES')
    d(0, 'ELLIPSE', 5, '100', 8, 'Hidden', 6, 'HIDDEN', 10, 1.0, 20, 1.0, 30, 0.0, 11, 0.0, 21, 2.0, 31, 0.0,
      40, 0.25, 41, 1.0, 42, 2.0)
    d(0, 'MTEXT', 5, '101', 8, '0', 10, 0.0, 20, 0.0, 30, 0.0, 40, 1.0, 41, 10.0, 71, 1, 72, 1, 1, 'R13 text')
    d(0, 'BODY', 5, '102', 8, '0', 70, 1, 1, acis('body data'))
    d(0, 'XLINE', 5, '103', 8, '0', 10, 0.0, 20, 0.0, 30, 0.0, 11, 1.0, 21, 0.0, 31, 0.0)
    d(0, 'POLYLINE', 5, '104', 8, '0', 66, 1, 10, 0.0, 20, 0.0, 30, 1.5, 70, 0)
    d(0, 'VERTEX', 5, '105', 8, '0', 10, 0.0, 20, 0.0, 30, 1.5, 70, 0)
    d(0, 'VERTEX', 5, '106', 8, '0', 10, 3.0, 20, 4.0, 30, 1.5, 70, 0, 42, -0.5)
    d(0, 'SEQEND', 5, '107', 8, '0')
    endsec(d)
    d(0, 'EOF')
    return d


# --------------------------------------------------------------------------- AC1009

def r12():
    d = Dxf()
    d(999, 'toolkit test drawing, release AC1009, no handles')
    section(d, 'HEADER')
    d(9, '$ACADVER', 1, 'AC1009', 9, '$HANDLING', 70, 0, 9, '$INSBASE', 10, 0.0, 20, 0.0, 30, 0.0)
    d(9, '$LIMMAX', 10, 12.0, 20, 9.0, 9, '$CLAYER', 8, '0', 9, '$CELTYPE', 6, 'BYBLOCK')
    d(9, '$VISRETAIN', 70, 0, 9, '$TILEMODE', 70, 0)
    d(9, '$DIMBLK', 1, 'TICK', 9, '$TDCREATE', 40, 2448000.125)
    endsec(d)
    section(d, 'TABLES')
    d(0, 'TABLE', 2, 'VPORT', 70, 1, 0, 'VPORT', 2, '*ACTIVE', 70, 0, 10, 0.0, 20, 0.0, 11, 1.0, 21, 1.0,
      12, 6.0, 22, 4.5, 40, 9.0, 41, 1.33, 50, 0.0, 0, 'ENDTAB')
    d(0, 'TABLE', 2, 'LTYPE', 70, 2)
    d(0, 'LTYPE', 2, 'DOT', 70, 64, 3, '. . .', 72, 65, 73, 2, 40, 0.25, 49, 0.0, 49, -0.25)
    d(0, 'LTYPE', 2, 'DOT', 70, 64, 3, 'Dots again', 72, 65, 73, 0, 40, 0.0)   # a taken name
    d(0, 'ENDTAB')
    d(0, 'TABLE', 2, 'LAYER', 70, 3)
    d(0, 'LAYER', 2, 'BASE', 70, 0, 62, 3, 6, 'DOT')
    d(0, 'LAYER', 2, 'PLAN|WALLS', 70, 0, 62, 4, 6, 'DOT')
    d(0, 'LAYER', 2, 'ODD', 70, 0, 62, -2, 6, 'MISSING')
    d(0, 'ENDTAB')
    d(0, 'TABLE', 2, 'STYLE', 70, 1, 0, 'STYLE', 2, 'ROMANS', 70, 0, 40, 0.0, 41, 1.0, 50, 0.0, 71, 0,
      42, 0.2, 3, 'romans.shx', 4, '', 0, 'ENDTAB')
    d(0, 'TABLE', 2, 'VIEW', 70, 0, 0, 'ENDTAB')
    d(0, 'TABLE', 2, 'UCS', 70, 1, 0, 'UCS', 2, 'SIDE', 70, 0, 10, 0.0, 20, 0.0, 30, 0.0,
      11, 0.0, 21, 1.0, 31, 0.0, 12, 0.0, 22, 0.0, 32, 1.0, 0, 'ENDTAB')
    d(0, 'TABLE', 2, 'APPID', 70, 1, 0, 'APPID', 2, 'OTHER', 70, 0, 0, 'ENDTAB')
    d(0, 'TABLE', 2, 'DIMSTYLE', 70, 1, 0, 'DIMSTYLE', 2, 'STANDARD', 70, 0, 5, 'TICK', 40, 2.0, 0, 'ENDTAB')
    endsec(d)
    section(d, 'BLOCKS')
    d(0, 'BLOCK', 8, '0', 2, '$MODEL_SPACE', 70, 0, 10, 0.0, 20, 0.0, 30, 0.0, 3, '$MODEL_SPACE', 0, 'ENDBLK', 8, '0')
    d(0, 'BLOCK', 8, '0', 2, 'TICK', 70, 0, 10, 0.0, 20, 0.0, 30, 0.0, 3, 'TICK')
    d(0, 'LINE', 8, '0', 10, -0.5, 20, -0.5, 11, 0.5, 21, 0.5)
    d(0, 'ENDBLK', 8, '0')
    d(0, 'BLOCK', 8, '0', 2, 'TAGGED', 70, 2, 10, 1.0, 20, 1.0, 30, 0.0, 3, 'TAGGED')
    d(0, 'ATTDEF', 8, '0', 10, 0.0, 20, 0.0, 30, 0.0, 40, 0.2, 1, 'def', 3, 'Prompt', 2, 'NUM', 70, 0)
    d(0, 'CIRCLE', 8, '0', 10, 0.0, 20, 0.0, 40, 0.5)
    d(0, 'ENDBLK', 8, '0')
    endsec(d)
    section(d, 'ENTITIES')
    d(0, 'LINE', 8, 'BASE', 38, 5.0, 10, 0.0, 20, 0.0, 11, 1.0, 21, 1.0, 31, 2.0)
    d(0, 'POINT', 8, 'BASE', 10, 1.0, 20, 1.0, 30, 0.0)
    d(0, 'CIRCLE', 8, 'BASE', 62, 257, 10, 2.0, 20, 2.0, 40, 1.0)
    d(0, 'ARC', 8, 'BASE', 10, 3.0, 20, 3.0, 40, 1.0, 50, 0.0, 51, 270.0)
    d(0, 'TRACE', 8, 'BASE', 10, 0.0, 20, 0.0, 11, 1.0, 21, 0.0, 12, 0.0, 22, 1.0, 13, 1.0, 23, 1.0)
    d(0, 'SOLID', 8, 'BASE', 38, 1.0, 10, 0.0, 20, 0.0, 11, 1.0, 21, 0.0, 12, 0.0, 22, 1.0, 13, 1.0, 23, 1.0)
    d(0, 'TEXT', 8, 'BASE', 10, 1.0, 20, 1.0, 40, 0.2, 1, 'R12 text', 7, 'ROMANS')
    d(0, 'SHAPE', 8, 'BASE', 10, 1.0, 20, 1.0, 40, 1.0, 2, 'ARROW')
    d(0, '3DLINE', 8, 'BASE', 10, 0.0, 20, 0.0, 30, 0.0, 11, 1.0, 21, 1.0, 31, 1.0)
    d(0, '3DFACE', 8, 'BASE', 10, 0.0, 20, 0.0, 30, 0.0, 11, 1.0, 21, 0.0, 31, 0.0, 12, 1.0, 22, 1.0,
      32, 0.0, 13, 1.0, 23, 1.0, 33, 0.0, 70, 8)
    d(0, 'INSERT', 8, 'BASE', 66, 1, 2, 'TAGGED', 10, 5.0, 20, 5.0, 30, 0.0)
    d(0, 'ATTRIB', 8, 'BASE', 10, 5.0, 20, 5.0, 30, 0.0, 40, 0.2, 1, '42', 2, 'NUM', 70, 0)
    d(0, 'SEQEND', 8, 'BASE')
    d(0, 'POLYLINE', 8, 'BASE', 66, 1, 10, 0.0, 20, 0.0, 30, 0.0, 70, 0, 40, 0.2, 41, 0.2)
    d(0, 'VERTEX', 8, 'BASE', 10, 0.0, 20, 0.0, 30, 0.0)
    d(0, 'VERTEX', 8, 'BASE', 10, 4.0, 20, 0.0, 30, 0.0)
    d(0, 'VERTEX', 8, 'BASE', 10, 4.0, 20, 3.0, 30, 0.0)
    d(0, 'SEQEND', 8, 'BASE')
    d(0, 'POLYLINE', 8, 'BASE', 66, 1, 10, 0.0, 20, 0.0, 30, 0.0, 70, 16, 71, 2, 72, 2)
    for x, y in [(0.0, 0.0), (1.0, 0.0), (0.0, 1.0), (1.0, 1.0)]:
        d(0, 'VERTEX', 8, 'BASE', 10, x, 20, y, 30, 0.0, 70, 64)
    d(0, 'SEQEND', 8, 'BASE')
    d(0, 'DIMENSION', 8, 'BASE', 2, 'TICK', 3, 'STANDARD', 10, 1.0, 20, 1.0, 30, 0.0, 11, 0.5, 21, 0.5,
      31, 0.0, 70, 0, 1, '', 13, 0.0, 23, 0.0, 33, 0.0, 14, 1.0, 24, 0.0, 34, 0.0)
    d(0, 'LINE', 8, 'NEWLAYER', 62, 5, 10, 0.0, 20, 0.0, 11, 1.0, 21, 0.0,
      1001, 'OTHER', 1000, 'r12 data', 1003, 'BASE', 1010, 1.0, 1040, 2.0, 1070, 3)
    d(0, 'VIEWPORT', 8, '0', 67, 1, 10, 5.0, 20, 4.0, 30, 0.0, 40, 10.0, 41, 8.0, 68, 1, 69, 1,
      1001, 'ACAD', 1000, 'MVIEW', 1002, '{', 1070, 16, 1010, 0.0, 1020, 0.0, 1030, 0.0,
      1010, 0.0, 1020, 0.0, 1030, 1.0, 1040, 0.0, 1040, 8.0, 1040, 5.0, 1040, 4.0, 1040, 50.0,
      1040, 0.0, 1040, 0.0, 1070, 0, 1070, 100, 1070, 1, 1070, 3, 1070, 0, 1070, 1, 1070, 0, 1070, 2,
      1040, 0.0, 1040, 0.0, 1040, 0.0, 1040, 0.5, 1040, 0.5, 1040, 1.0, 1040, 1.0, 1070, 0,
      1002, '{', 1003, 'ODD', 1002, '}', 1002, '}')
    endsec(d)
    d(0, 'EOF')
    return d


def main():
    drawings = {'ac1015.dxf': r2000(), 'ac1014.dxf': r14(), 'ac1012.dxf': r13(), 'ac1009.dxf': r12()}
    for name, d in drawings.items():
        with open(name, 'wb') as f:
            f.write(d.ascii())


if __name__ == '__main__':
    main()
