/* Proves that the data-definition headers and the record structs compile
 * as C, with the same layout as in C++: the C++ tests compare the sizes
 * and offsets reported here with their own. */
#include <stddef.h>

#include "kernel/ddf/ddf.h"
#include "kernel/ddf/dxfi_records.h"

_Static_assert(sizeof(dxf_line) == 768, "dxf_line size in C");
_Static_assert(offsetof(dxf_line, xyzend) == 744, "dxf_line.xyzend in C");
_Static_assert(sizeof(DdfField) == 56, "field record in C");

size_t ddf_test_c_layout(int which)
{
    switch (which) {
    case 0: return sizeof(dxf_header);
    case 1: return offsetof(dxf_hatch, seedpoint);
    case 2: return sizeof(dxf_hatch_path_seg);
    case 3: return offsetof(dxf_hatch_path_seg, spline.weight);
    case 4: return sizeof(dxfxed_appxdata_xdata);
    case 5: return offsetof(dxfxed_appxdata_xdata, gc_data.pnt);
    case 6: return offsetof(dxf_view_port, stylesheet);
    case 7: return sizeof(dxf_line_type_table_data_shape);
    case 8: return offsetof(dxf_arctext, color);
    default: return 0;
    }
}
