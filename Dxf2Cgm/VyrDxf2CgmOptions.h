/* What a host may ask of a conversion beyond the base picture. The base
 * picture (every option off, what the two-argument VyrDxf2Cgm::Convert
 * writes) is a fixed page of 32,400 by 32,400 units centred on the drawing's
 * origin, with every layer drawn, line types from a table of known names
 * and solids as outlines. The options make the picture look as a CAD
 * program plots the drawing:
 *
 * - fit: the picture space is the extent of what is drawn plus a small
 *   margin, and coordinates are written relative to its lower left corner,
 *   so 32-bit reals keep their precision far from the origin. One unit of
 *   the drawing stays one millimetre of the picture.
 * - visibleLayersOnly: entities on layers that are off, frozen or not
 *   plotted are left out.
 * - drawingLineTypes: dashed line types are drawn with the pattern the
 *   drawing defines for them, as dash segments.
 * - filledAreas: solids, traces and wide polyline segments are filled.
 * - nurbsElement: B-splines are written as the metafile's NURBS element
 *   instead of Bezier segments (few viewers draw it).
 * - pageAspect: when positive, the picture space is padded to this width
 *   over height, the drawing centred in it, for viewers that put a picture
 *   on a page of fixed shape and fit its width (LibreOffice's 16:9 page
 *   cuts off the bottom of a taller picture). Nothing drawn moves relative
 *   to anything else; 0 keeps the picture space as it is.
 *
 * `size` lets the structure grow without breaking hosts built against an
 * older one: the library reads only the members that lie within `size`
 * bytes and takes every other member as off. Hosts leave it as it is. */
#ifndef VYR_DXF2CGM_VYRDXF2CGMOPTIONS_H
#define VYR_DXF2CGM_VYRDXF2CGMOPTIONS_H

#include <stdint.h>

struct VyrDxf2CgmOptions {
    uint32_t size = sizeof(VyrDxf2CgmOptions);
    bool fit = false;
    bool visibleLayersOnly = false;
    bool drawingLineTypes = false;
    bool filledAreas = false;
    bool nurbsElement = false;
    float pageAspect = 0.0f;

    /* fit, visibleLayersOnly, drawingLineTypes and filledAreas on: the
     * drawing as a CAD program plots it. */
    static VyrDxf2CgmOptions Plotted()
    {
        VyrDxf2CgmOptions options;
        options.fit = options.visibleLayersOnly = options.drawingLineTypes = options.filledAreas = true;
        return options;
    }
};

#endif
