/* Property resolution and the attribute step of the drawable elements.
 * Colour: BYBLOCK (0) takes the colour of the innermost insert being
 * written, outside any insert the owning block's colour, and 7 where that
 * is BYBLOCK again or there is no block; BYLAYER (256) takes the effective
 * layer's (through the kernel's layer table when the element has no
 * layer), and a negative colour of a switched-off layer counts as its
 * absolute value. Line weight: BYLAYER (-1) takes the effective layer's
 * (default without layer), BYBLOCK (-2) the innermost insert's (outside
 * inserts the block's, 25 at top level), the default (-3) is 25 hundredths
 * of a millimetre. Line type: BYBLOCK the innermost insert's, BYLAYER the
 * effective layer's. Nothing resolved is stored in the element: the
 * contents of a block are shared by all its inserts, and each insert that
 * writes them has its own properties. */
#include "Dxf2Cgm/VyrDxfEntity.h"

#include <cmath>
#include <new>
#include <memory>

#include "Dxf2Cgm/VyrDxfAttributesConverter.h"
#include "Dxf2Cgm/VyrDxfBlock.h"
#include "Dxf2Cgm/VyrDxfEntHeader.h"
#include "Dxf2Cgm/VyrDxfEntityLock.h"
#include "Dxf2Cgm/VyrDxfLayer.h"
#include "Dxf2Cgm/VyrDxfLineTypeTable.h"
#include "kernel/dxfi/dxfi.h"
#include "platform/base/VyrString.h"
#include "platform/base/VyrUnicodeString.h"
#include "platform/math/VyrMathTransformation2D.h"
#include "platform/print/VyrPrintGenerator.h"

int VyrDxfEntity::_currentColor = 7;
int VyrDxfEntity::_currentFillColor = 7;
int VyrDxfEntity::_currentThickness = 1;
int VyrDxfEntity::_currentLineType = 1;
VyrDxf2CgmOptions VyrDxfEntity::_options;
VyrDxfInsertFrame VyrDxfEntity::_insertStack[VyrDxfEntity::kMaxInsertDepth];
int VyrDxfEntity::_insertDepth = 0;
int VyrDxfEntity::_fillMode = 1;
double VyrDxfEntity::_lineTypeScale = 1.0;
bool VyrDxfEntity::_drawnPattern = false;
bool VyrDxfEntity::_rebuilding = false;

namespace {

const int kByBlock = 0;
const int kByLayer = 256;

/* Colour of a layer known only by name, through the kernel's layer table:
 * 256 when no such layer exists. */
int KernelLayerColor(const char *layerName)
{
    int flags = 0;
    int color = kByLayer;
    char lineType[256]; /* the kernel copies at most 255 characters */
    lineType[0] = '\0';
    dxfi_GetLayerInfo(0, layerName ? layerName : "", &flags, &color, lineType);
    return color;
}

} // namespace

VyrDxfEntity::VyrDxfEntity(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block)
    : VyrDxfElement(entity), layer(layer), block(block)
{
    if (entity != 0) header = new (std::nothrow) VyrDxfEntHeader(entity);
}

VyrDxfEntity::~VyrDxfEntity() { delete header; }

void VyrDxfEntity::SetBlockAndLayerPtr(VyrDxfBlock *newBlock, VyrDxfLayer *newLayer)
{
    block = newBlock;
    layer = newLayer;
}

void VyrDxfEntity::ResetAttributeCache()
{
    _currentColor = 7;
    _currentFillColor = 7;
    _currentThickness = 1;
    _currentLineType = 1;
    _drawnPattern = false;
}

bool VyrDxfEntity::IsLeftOut() const
{
    if (!_options.visibleLayersOnly) return false;
    /* Contents of a block on layer "0" are on the layer of their insert. */
    const VyrDxfLayer *on = GetEffectiveLayer();
    if (!on) return false;
    if (kind == VyrDxfKindInsert) return on->IsFrozen();
    return !on->IsShown();
}

bool VyrDxfEntity::PushInsert(const VyrDxfInsertFrame &frame)
{
    if (_insertDepth >= kMaxInsertDepth) return false;
    _insertStack[_insertDepth++] = frame;
    return true;
}

bool VyrDxfEntity::IsBeingWritten(const VyrDxfBlock *written)
{
    for (int i = 0; i < _insertDepth; ++i)
        if (_insertStack[i].block == written) return true;
    return false;
}

void VyrDxfEntity::PopInsert()
{
    if (_insertDepth > 0) --_insertDepth;
}

VyrDxfLayer *VyrDxfEntity::GetEffectiveLayer() const
{
    const VyrDxfInsertFrame *frame = GetInnermostInsert();
    if (!frame) return layer;
    const char *name = layer ? layer->GetName() : nullptr;
    if (!layer || (name && name[0] == '0' && name[1] == '\0')) return frame->layer ? frame->layer : layer;
    return layer;
}

int VyrDxfEntity::GetColor()
{
    int color = kByBlock;
    VyrDxfName layerName;
    if (header) {
        color = header->GetColor();
        layerName.Set(header->GetLayerName());
    } else {
        VyrDxfEntityLock lock(entity);
        if (const dxf_any *rec = lock.Common()) {
            color = rec->dxfhdr.color;
            layerName.Set(rec->dxfhdr.lay_name, sizeof rec->dxfhdr.lay_name);
        }
    }
    if (color == kByBlock) {
        const VyrDxfInsertFrame *frame = GetInnermostInsert();
        color = frame ? frame->color : block ? block->GetColor() : 7;
    }
    if (color == kByLayer) {
        VyrDxfLayer *effective = GetEffectiveLayer();
        color = effective ? effective->GetColor() : KernelLayerColor(layerName.Get());
    }
    if (color < 0) color = -color;
    /* a block definition of colour BYBLOCK drawn at top level */
    return color == kByBlock ? 7 : color;
}

double VyrDxfEntity::GetThickness()
{
    double weight = 13.0;
    if (header) {
        weight = header->GetThickness();
    } else {
        VyrDxfEntityLock lock(entity);
        if (const dxf_any *rec = lock.Common()) weight = rec->dxfhdr.lineweight;
    }
    if (weight == -1.0) {
        VyrDxfLayer *effective = GetEffectiveLayer();
        weight = effective ? effective->GetThickness() : -3.0;
    }
    if (weight == -2.0) {
        if (const VyrDxfInsertFrame *frame = GetInnermostInsert()) return frame->thickness;
        return block ? block->GetThickness() : 25.0;
    }
    if (weight == -3.0) return 25.0;
    return weight;
}

const char *VyrDxfEntity::GetLineType()
{
    if (!header) return nullptr;
    const char *own = header->GetLineType();
    if (VyrAsciiCompare(own, "BYBLOCK") == 0) {
        if (const VyrDxfInsertFrame *frame = GetInnermostInsert())
            return frame->lineType ? frame->lineType : "";
        const char *fromBlock = block ? block->GetLineType() : nullptr;
        return fromBlock ? fromBlock : "";
    }
    if (VyrAsciiCompare(own, "BYLAYER") == 0) {
        VyrDxfLayer *effective = GetEffectiveLayer();
        return effective ? effective->GetLineType() : "";
    }
    return own;
}

int VyrDxfEntity::MappVyrLineType()
{
    if (!header) return 1;
    const char *name = GetLineType();
    return VyrDxfAttributesConverter::GetVyrLineType(name);
}

int VyrDxfEntity::Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation)
{
    if (!generator) return -1;
    if (!transformation) return 1;

    const int thickness = VyrDxfAttributesConverter::GetVyrLineThicknessInd(GetThickness());
    if (thickness != _currentThickness) {
        _currentThickness = thickness;
        generator->SetLineWidth(VyrDxfAttributesConverter::GetMMThickness(thickness));
    }

    const char *name = GetLineType();
    int lineType = name ? VyrDxfAttributesConverter::GetVyrLineType(name) : _currentLineType;
    if (_options.drawingLineTypes) {
        if (WriteDrawnLineType(generator, *transformation, name)) {
            lineType = 1;
        } else if (_drawnPattern) {
            generator->SetDashPattern(0, nullptr);
            _drawnPattern = false;
        }
    }
    if (lineType != _currentLineType) {
        _currentLineType = lineType;
        generator->SetLineType(VyrDxfAttributesConverter::GetLineType(lineType), 0, 0);
    }

    const int color = GetColor();
    if (color != _currentColor) {
        _currentColor = color;
        generator->SetColor(color);
    }
    return 0;
}

bool VyrDxfEntity::WriteDrawnLineType(VyrPrintGenerator *generator,
                                      const VyrMathTransformation2D &transformation, const char *name)
{
    const std::vector<double> *pattern = name ? VyrDxfLineTypeTable::Find(name) : nullptr;
    if (!pattern) return false;
    if (pattern->empty()) {
        /* Continuous by the drawing's own definition. */
        if (_drawnPattern) generator->SetDashPattern(0, nullptr);
        _drawnPattern = false;
        return true;
    }
    const double mapped = std::sqrt(std::fabs(transformation.GetMatrix().Determinant()));
    const double scale = _lineTypeScale * (header ? header->GetLineTypeScale() : 1.0) * mapped;
    float lengths[VyrDxfLineTypeTable::kMaxDashes];
    const int count = static_cast<int>(pattern->size());
    for (int i = 0; i < count; ++i)
        lengths[i] = static_cast<float>((*pattern)[static_cast<size_t>(i)] * scale);
    /* Every element starts the pattern anew, so it is sent each time. */
    generator->SetDashPattern(count, lengths);
    _drawnPattern = true;
    return true;
}

void VyrDxfEntity::WriteFillAttribute(VyrPrintGenerator *generator)
{
    const int color = GetColor();
    if (color != _currentFillColor) {
        _currentFillColor = color;
        generator->SetFillColor(color);
    }
}

int VyrDxfEntity::WriteFilledArea(VyrPrintGenerator *generator, const VyrMathTransformation2D &transformation,
                                  int count, const double *xy)
{
    if (!generator || count < 3 || !xy) return 1;
    std::unique_ptr<float[]> mapped(new (std::nothrow) float[2 * static_cast<size_t>(count)]);
    if (!mapped) return 1;
    for (int i = 0; i < count; ++i) {
        const VyrMathPoint2D p = transformation * VyrMathPoint2D(xy[2 * i], xy[2 * i + 1]);
        mapped[2 * static_cast<size_t>(i)] = static_cast<float>(p.GetX());
        mapped[2 * static_cast<size_t>(i) + 1] = static_cast<float>(p.GetY());
    }
    WriteFillAttribute(generator);
    generator->DrawPolygon(count, mapped.get());
    return 0;
}
