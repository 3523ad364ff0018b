#!/usr/bin/env python3
"""Adds the annotation of the sample drawing: linear, aligned, angular,
radial and ordinate dimensions of the plate, a leader pointing at a bolt hole
and a closed two-line multiline, all on layer 0 in colour 6.

ezdxf (Debian's python3-ezdxf, a writer independent of this project) draws
the dimensions into a scratch drawing of the same scale; their records (the
DIMENSION, LEADER and MLINE entities, the dimension blocks with the arrow
block they insert, their block records, the dimension style "SAMPLE" and the
multiline style "SAMPLE") are copied into sample.dxf with handles of their
own (from A0001 on; $HANDSEED becomes B0000). The script was run once:
/usr/bin/python3 examples/add_annotation.py examples/sample.dxf; it refuses a
drawing that has the records already.
"""

import io
import sys

import ezdxf

FIRST_HANDLE = 0xA0001
HANDSEED = 'B0000'
# the sample's own objects the copied records refer to
SAMPLE_MODEL_SPACE = '1F'
SAMPLE_BLOCK_RECORDS = '3A'
SAMPLE_DIMSTYLES = '38'
SAMPLE_ROOT_DICTIONARY = '69'
SAMPLE_TEXT_STYLE = '33'
HANDLE_CODES = {'5', '105', '330', '390', '1005'} | {str(c) for c in range(340, 370)}


def scratch_drawing():
    doc = ezdxf.new('R2000')
    msp = doc.modelspace()
    doc.dimstyles.new('SAMPLE', dxfattribs={
        'dimasz': 250, 'dimtxt': 300, 'dimexo': 100, 'dimexe': 150, 'dimgap': 80,
        'dimblk': '', 'dimclrd': 0, 'dimclre': 0, 'dimclrt': 0, 'dimdec': 0})
    own = {'layer': '0', 'color': 6}
    attribs = {'dimstyle': 'SAMPLE', 'dxfattribs': own}
    msp.add_linear_dim(base=(0, 7300), p1=(-8500, 4500), p2=(8500, 4500), **attribs).render()
    msp.add_aligned_dim(p1=(8500, -4500), p2=(8500, 4500), distance=-2700, **attribs).render()
    msp.add_angular_dim_3p(base=(4300, 1800), center=(0, 0), p1=(4600, 0), p2=(3253, 3253),
                           **attribs).render()
    msp.add_radius_dim(center=(0, 0), radius=3800, angle=135, **attribs).render()
    msp.add_ordinate_x_dim(feature_location=(-8500, -4500), offset=(500, -2300), origin=(0, 0),
                           **attribs).render()
    msp.add_leader([(-9207, 3793), (-10500, 2500), (-11500, 2500)], dimstyle='SAMPLE',
                   dxfattribs=own)
    style = doc.mline_styles.new('SAMPLE')
    style.elements.append(150, 256, 'BYLAYER')
    style.elements.append(-150, 5, 'DASHED')
    doc.linetypes.new('DASHED', dxfattribs={'pattern': [0.75, 0.5, -0.25]})
    slot = msp.add_mline([(3500, -7300), (6500, -7300), (6500, -6000), (3500, -6000)],
                         dxfattribs={'style_name': 'SAMPLE', 'justification': 1, 'layer': '0',
                                     'color': 6})
    slot.close(True)
    stream = io.StringIO()
    doc.write(stream)
    return doc, stream.getvalue()


def records(text):
    """The drawing as sections of records, each record a list of (code, value)."""
    lines = text.split('\n')
    pairs = [(lines[i].strip(), lines[i + 1]) for i in range(0, len(lines) - 1, 2)]
    sections, current, record = {}, None, None
    for code, value in pairs:
        if code == '0' and value in ('SECTION', 'ENDSEC', 'EOF'):
            record, current = None, None
            continue
        if code == '2' and current is None and record is None:
            current = sections.setdefault(value, [])
            continue
        if code == '0':
            record = [(code, value)]
            current.append(record)
        elif record is not None:
            record.append((code, value))
    return sections


def value(record, code):
    return next((v for c, v in record if c == code), None)


def pick(sections, doc):
    """The records to copy, in the order they go into the sample."""
    blocks = {b.name for b in doc.blocks if b.name.startswith('*D')} | {'_CLOSEDFILLED'}
    tables = sections['TABLES']
    dimstyles = [r for r in tables if r[0][1] == 'DIMSTYLE' and value(r, '2') == 'SAMPLE']
    block_records = [r for r in tables if r[0][1] == 'BLOCK_RECORD' and value(r, '2') in blocks]
    in_block, definitions = False, []
    for r in sections['BLOCKS']:
        if r[0][1] == 'BLOCK':
            in_block = value(r, '2') in blocks
        if in_block:
            definitions.append(r)
    entities = [r for r in sections['ENTITIES'] if r[0][1] in ('DIMENSION', 'LEADER', 'MLINE')]
    mlinestyles = [r for r in sections['OBJECTS'] if r[0][1] == 'MLINESTYLE' and value(r, '2') == 'SAMPLE']
    return dimstyles, block_records, definitions, entities, mlinestyles


def renumber(groups, doc):
    """Gives every copied record a handle of its own and points references
    to the sample's objects; references to anything else are left out."""
    own = {}
    for group in groups:
        for r in group:
            for c, v in r:
                if c in ('5', '105'):
                    own[v] = '%X' % (FIRST_HANDLE + len(own))
    outside = {
        doc.modelspace().block_record.dxf.handle: SAMPLE_MODEL_SPACE,
        doc.block_records.head.dxf.handle: SAMPLE_BLOCK_RECORDS,
        doc.dimstyles.head.dxf.handle: SAMPLE_DIMSTYLES,
        doc.rootdict.dxf.handle: SAMPLE_ROOT_DICTIONARY,
        doc.styles.get('Standard').dxf.handle: SAMPLE_TEXT_STYLE,
    }
    out = []
    for group in groups:
        copied = []
        for r in group:
            kept, skipping = [], False
            for c, v in r:
                if c == '102':
                    skipping = v.startswith('{')
                    continue
                if skipping:
                    continue
                if c in HANDLE_CODES:
                    if v in own:
                        v = own[v]
                    elif v in outside:
                        v = outside[v]
                    else:
                        continue
                kept.append((c, v))
            copied.append(kept)
        out.append(copied)
    return out


def text_of(group):
    return ''.join('%3s\n%s\n' % (c, v) for r in group for c, v in r)


def insert_before(text, anchor, after, addition):
    """`addition` before the first `anchor` that follows `after`."""
    start = text.index(after)
    at = text.index(anchor, start)
    return text[:at] + addition + text[at:]


def main(path):
    with open(path, newline='') as f:
        sample = f.read()
    crlf = '\r\n' in sample
    sample = sample.replace('\r\n', '\n')
    if '\n%X\n' % FIRST_HANDLE in sample:
        sys.exit('%s has the annotation already' % path)
    doc, text = scratch_drawing()
    dimstyles, block_records, definitions, entities, mlinestyles = renumber(
        pick(records(text), doc), doc)
    end = '  0\nENDTAB\n'
    sample = insert_before(sample, end, '  2\nDIMSTYLE\n', text_of(dimstyles))
    sample = insert_before(sample, end, '  2\nBLOCK_RECORD\n', text_of(block_records))
    sample = insert_before(sample, '  0\nENDSEC\n', '  2\nBLOCKS\n', text_of(definitions))
    sample = insert_before(sample, '  0\nENDSEC\n', '  2\nENTITIES\n', text_of(entities))
    sample = insert_before(sample, '  0\nENDSEC\n', '  2\nOBJECTS\n', text_of(mlinestyles))
    seed = sample.index('$HANDSEED\n  5\n') + len('$HANDSEED\n  5\n')
    sample = sample[:seed] + HANDSEED + sample[sample.index('\n', seed):]
    with open(path, 'w', newline='\r\n' if crlf else '\n') as f:
        f.write(sample)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'sample.dxf')
