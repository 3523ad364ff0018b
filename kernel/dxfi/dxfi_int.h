/* Internals of the DXF interface: the model callbacks installed by
 * dxfi_InitModelInfo, the current DXF model's format data, the layer table,
 * the defaults set at start-up, and the converter's program path and
 * temporary file names, which the mapping layer reads and replaces. */
#ifndef VYR_KERNEL_DXFI_DXFI_INT_H
#define VYR_KERNEL_DXFI_DXFI_INT_H

#include "kernel/ddf/dxfi_records.h"
#include "kernel/dxfi/dxfi.h"
#include "kernel/olm/olm.h"
#include "kernel/otm/otm.h"

#ifdef __cplusplus
extern "C" {
#endif

#define DXFI_DEFAULT_PROCESSOR "RozOzoRoruveziz"
#define DXFI_ALLOWED_PARSE_OPTIONS                                                                           \
    (DXFI_PARSE_CONVERT_PLINES | DXFI_PARSE_AUDIT | DXFI_PARSE_ACAD_XDATA | DXFI_PARSE_MULTI_PSPACE)

/* The default attribute record: colour, line type, layer, two reals and a
 * 3x4 transformation. */
typedef struct DxfiAttributes {
    int32_t color;
    char line_type[256];
    char layer[256];
    double value0;
    double value1;
    double matrix[3][4];
} DxfiAttributes;

/* Model callbacks (MdaModelInfo). */
int32_t dxfi__ParseModelFile(int32_t options, int32_t model, const char *path, void *arg);
int32_t dxfi__AllocateModel(int32_t options, int32_t model);
int32_t dxfi__ReleaseHeader(int32_t options, int32_t model);
int32_t dxfi__FreeModel(int32_t options, int32_t model);
int32_t dxfi__SetCurModel(int32_t model);

/* The format data of the current DXF model (null when the current model is
 * not a DXF model), and that of any model. */
extern DxfiModelData *dxfi__CurModelData;
DxfiModelData *dxfi__ModelData(int32_t model);

/* Layer table: copies of dxf_layer_table_data records keyed by entry_name. */
extern OtmTree *dxfi__LayerTree;
void dxfi__DeleteLayerTree(void);

/* Defaults set by dxfi_Initialize; the header stack holds dxfhdr records. */
extern DxfiAttributes dxfi__DefaultAttributes;
extern dxfhdr dxfi__DefaultHeader;
extern OlmList *dxfi__HeaderStack;

/* The external converter: its program (null: the default) and the names of
 * its temporary files. A name is "created" when this interface made the file
 * (exclusively, mode 0600); only created files are ever removed. */
extern char *dxfi__processor;
extern char *dxfi__preprocessor_tmpfile;
extern char *dxfi__postprocessor_tmpfile;
extern int dxfi__preprocessor_created;
extern int dxfi__postprocessor_created;

/* Creates the preprocessor file exclusively with mode 0600, choosing new
 * names while the chosen one exists already. 0 on success, else -1. */
int dxfi__CreatePreprocessorFile(void);
/* Removes the preprocessor file if this interface created it, then frees
 * its name. */
void dxfi__DropPreprocessorFile(void);
/* Replaces the preprocessor file name by a copy of `path` (the input file),
 * removing the created file first. 0, or -1 when out of memory. */
int dxfi__UseInputAsPreprocessorFile(const char *path);
/* Removes and forgets both temporary files. */
void dxfi__DropTmpFiles(void);
/* Forgets the directory given for temporary files (start-up and shutdown). */
void dxfi__ForgetTmpDirectory(void);

#ifdef __cplusplus
}
#endif

#endif
