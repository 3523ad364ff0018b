/* The drawable elements' common base: the element's kind, its layer and
 * owning block (both borrowed), its header of common properties (owned),
 * the resolution of colour, line weight and line type through BYLAYER and
 * BYBLOCK, and the attribute step every element runs before its primitives.
 *
 * The attribute cache (_current...) mirrors the generator's current line
 * width, line type, colour and fill colour, so an attribute is sent only
 * when it changes. The driver sets the generator to the cache's starting
 * values at the start of every picture and resets the cache with them:
 * colour 7, fill colour 7, thickness index 1 (0.13 mm), line type index 1.
 *
 * The options of the picture (VyrDxf2CgmOptions) and the drawing-wide
 * settings that go with them are class-wide too: the driver sets them at
 * the start of every conversion and elements read them when they write, so
 * an element built once writes the way the current picture asks.
 *
 * With drawing line types, the attribute step hands the generator the
 * drawing's own dash pattern of the element's line type, scaled by the
 * drawing's line type scale, the element's and the transformation's, and
 * sets the line type continuous; a line type the drawing does not define
 * falls back to the table of known names. */
#ifndef VYR_DXF2CGM_VYRDXFENTITY_H
#define VYR_DXF2CGM_VYRDXFENTITY_H

#include "Dxf2Cgm/VyrDxf2CgmOptions.h"
#include "Dxf2Cgm/VyrDxfElement.h"

class VyrDxfBlock;
class VyrDxfEntHeader;
class VyrDxfLayer;
class VyrMathTransformation2D;
class VyrPrintGenerator;

/* Element kind codes. */
enum VyrDxfKind {
    VyrDxfKindNone = 0,
    VyrDxfKindArc = 1,
    VyrDxfKindBlock = 2,
    VyrDxfKindCircle = 3,
    VyrDxfKindDimension = 4,
    VyrDxfKindEllipse = 5,
    VyrDxfKindInsert = 7,
    VyrDxfKindLine = 9,
    VyrDxfKindLWPolyline = 10,
    VyrDxfKindMline = 11,
    VyrDxfKindMText = 12,
    VyrDxfKindPoint = 14,
    VyrDxfKindPolyline = 15,
    VyrDxfKindSolid = 16,
    VyrDxfKindSpline = 17,
    VyrDxfKindText = 18,
    VyrDxfKindBoundary = 19,
    VyrDxfKindLeader = 20,
    VyrDxfKindAttribute = 22,
    VyrDxfKindGroup = 24,
    VyrDxfKind3DFace = 25,
    VyrDxfKindHatch = 26
};

/* What an insert (or a dimension, which draws its block the same way)
 * hands down to the block contents it writes: its own properties, resolved,
 * for the contents' BYBLOCK properties, its effective layer for the
 * contents' BYLAYER properties on layer "0", and the block it writes, which
 * is not written again inside itself. */
struct VyrDxfInsertFrame {
    int color;
    double thickness;
    const char *lineType;
    VyrDxfLayer *layer;
    const VyrDxfBlock *block;
};

class VyrDxfEntity : public VyrDxfElement {
public:
    VyrDxfEntity() = default;
    /* Keeps the three and, for a non-null entity, copies its header. */
    VyrDxfEntity(unsigned long entity, VyrDxfLayer *layer, VyrDxfBlock *block);
    ~VyrDxfEntity() override;

    /* Writes the element through the transformation: 0 when done, 1 when
     * there was nothing to write. The base runs the attribute step only
     * (-1 without generator, 1 without transformation, else 0); derived
     * classes call it before their primitives. */
    virtual int Write(VyrPrintGenerator *generator, VyrMathTransformation2D *transformation) = 0;
    /* Colour index for the generator, BYBLOCK and BYLAYER resolved. */
    virtual int GetColor();
    /* Line weight in hundredths of a millimetre, BYLAYER, BYBLOCK and the
     * default resolved. */
    virtual double GetThickness();
    /* Line type name with BYBLOCK and BYLAYER resolved (and stored back in
     * the header); null without header. */
    virtual const char *GetLineType();

    /* True when the picture leaves the element out: visible layers only
     * are asked for and its layer is not shown (an insert only when its
     * layer is frozen: its contents on other layers stay). */
    bool IsLeftOut() const;

    /* Line type index of the resolved line type; 1 without header. */
    int MappVyrLineType();
    void SetBlockAndLayerPtr(VyrDxfBlock *block, VyrDxfLayer *layer);

    int GetKind() const { return kind; }
    VyrDxfLayer *GetLayer() const { return layer; }
    VyrDxfBlock *GetBlock() const { return block; }
    VyrDxfEntHeader *GetHeader() const { return header; }

    /* The layer whose properties the element's BYLAYER properties take:
     * inside an insert an element on layer "0" takes the insert's
     * (innermost insert first), any other element its own layer. */
    VyrDxfLayer *GetEffectiveLayer() const;

    /* The stack of the inserts being written, innermost on top. Contents
     * shared by all inserts of a block resolve BYBLOCK and layer-0
     * properties from it at write time and never store what they resolved.
     * Push refuses (false) beyond kMaxInsertDepth. */
    static const int kMaxInsertDepth = 64;
    static bool PushInsert(const VyrDxfInsertFrame &frame);
    static void PopInsert();
    static int GetInsertDepth() { return _insertDepth; }
    /* True when an enclosing insert is writing `block` already. */
    static bool IsBeingWritten(const VyrDxfBlock *block);
    /* The innermost insert being written, or null at top level. */
    static const VyrDxfInsertFrame *GetInnermostInsert()
    {
        return _insertDepth > 0 ? &_insertStack[_insertDepth - 1] : nullptr;
    }

    /* Set while the driver builds an element a second time for the second
     * pass of a fitted picture: the first build issued its warnings. */
    static void SetRebuilding(bool on) { _rebuilding = on; }
    static bool IsRebuilding() { return _rebuilding; }

    /* Puts the attribute cache back to the generator's starting state. */
    static void ResetAttributeCache();

    /* The options of the picture being written (all off until set). */
    static const VyrDxf2CgmOptions &GetOptions() { return _options; }
    static void SetOptions(const VyrDxf2CgmOptions &options) { _options = options; }
    /* The drawing's fill mode (header variable FILLMODE): 0 draws solids,
     * traces and wide polylines as outlines even when filled areas are
     * asked for. 1 until a drawing says otherwise. */
    static int GetFillMode() { return _fillMode; }
    static void SetFillMode(int mode) { _fillMode = mode; }
    /* True when filled areas are asked for and the drawing's fill mode
     * allows them. */
    static bool FillsAreas() { return _options.filledAreas && _fillMode != 0; }
    /* The drawing's line type scale (header variable LTSCALE); 1 until a
     * drawing says otherwise. */
    static double GetLineTypeScale() { return _lineTypeScale; }
    static void SetLineTypeScale(double scale) { _lineTypeScale = scale > 0 && scale < 1e12 ? scale : 1.0; }

    static int _currentColor;
    static int _currentFillColor;
    static int _currentThickness;
    static int _currentLineType;

private:
    static VyrDxfInsertFrame _insertStack[kMaxInsertDepth];
    static int _insertDepth;
    static VyrDxf2CgmOptions _options;
    static int _fillMode;
    static double _lineTypeScale;
    static bool _rebuilding;
    /* A drawn dash pattern was given to the generator and not ended. */
    static bool _drawnPattern;

protected:
    /* The line type step with drawing line types: true when the drawing
     * defines the line type `name` and its pattern went to the generator. */
    bool WriteDrawnLineType(VyrPrintGenerator *generator, const VyrMathTransformation2D &transformation,
                            const char *name);
    /* The fill step before a filled area: the fill colour becomes
     * GetColor(), sent only when it differs from _currentFillColor. */
    void WriteFillAttribute(VyrPrintGenerator *generator);
    /* The fill step, then one DrawPolygon of the `count` points (x, y pairs
     * in model coordinates) mapped through the transformation. 0 when
     * written, 1 with fewer than 3 points or without memory. */
    int WriteFilledArea(VyrPrintGenerator *generator, const VyrMathTransformation2D &transformation,
                        int count, const double *xy);

    int kind = VyrDxfKindNone;
    VyrDxfLayer *layer = nullptr;
    VyrDxfBlock *block = nullptr;
    VyrDxfEntHeader *header = nullptr;
};

#endif
