/* The toolkit's shape-font files (SHX): shape files, big fonts and unifonts
 * named by the text styles of a drawing, and the two built-in fonts of the
 * init data. sh_open finds, checks and indexes a font file and keeps it with
 * the drawing until adUnloadFontFiles or adCloseFile; the sh_ readers then
 * serve the bytes of its shapes. The toolkit draws nothing: how shapes look
 * is its client's business. */
#ifndef VYR_TOOLKIT_SH_H
#define VYR_TOOLKIT_SH_H

#include "toolkit/ad/ad.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Font kind flags (from the file's signature). */
enum {
    SH_SHAPES10 = 0x02, /* "shapes 1.0" */
    SH_SHAPES11 = 0x04, /* "shapes 1.1" */
    SH_BIGFONT = 0x08,
    SH_UNIFONT = 0x10,
    SH_TRUETYPE = 0x20, /* a TrueType or Type 1 font the client examined: no shapes */
    SH_SYMBOLS = 0x40   /* the built-in geometric-tolerance symbol font */
};

enum { SH_NAME_LEN = 80 };

/* One shape: its number and where its bytes lie in the font's data. */
typedef struct ShIndexEntry {
    uint16_t number;
    uint32_t pos, len;
} ShIndexEntry;

typedef struct ShFont {
    char name[SH_NAME_LEN + 1]; /* as the drawing names it (after TrueType suffixes are cut) */
    char *path;                 /* the file read; null for built-in fonts */
    unsigned kind;              /* SH_* */
    uint32_t numshapes;
    ShIndexEntry *index; /* numshapes entries in file order */
    /* header values: shapes: first, last, count; unifonts: the count (low,
       high) and the font information length; big fonts: the index header
       size, the index length, the number of lead-byte ranges */
    uint16_t header[3];
    uint16_t (*ranges)[2]; /* big fonts: first and last lead byte of each range */
    uint32_t ttstyle;      /* TrueType: bold 2 and italic 1 in the top byte, character set, pitch */
    const unsigned char *data;
    uint32_t size;
    unsigned char *owned; /* the file's bytes (data); null for built-in fonts */
    uint32_t pos;         /* of the next sh_fgetc */
    struct ShFont *next;
} ShFont;

/* Creates the built-in fonts "SIMPLEX.SHX" and "GDT.SHX" from the init data
 * (error 293 and the critical-error callback with 2 when memory runs out);
 * closesh frees them. */
int initsh(void);
void closesh(void);
/* The built-in fonts: 0 SIMPLEX, 1 GDT. */
ShFont *sh_builtin(int which);

/* The font a text style names, found and checked on first use; null when
 * it is missing or no valid font (the name is remembered, so it is not
 * looked for again, and the bad-shape-file callback is told). */
ShFont *sh_open(AdDrawing *dwg, const char *name);
/* Positions in the font's data: sh_seek to a byte, sh_seeksh to the first
 * byte of a shape (its name); 1 on success. sh_fgetc gives the next byte or
 * -1 at the end. */
int sh_seek(ShFont *font, uint32_t pos);
int sh_seeksh(ShFont *font, uint16_t number);
uint32_t sh_tell(const ShFont *font);
int sh_fgetc(ShFont *font);

#ifdef __cplusplus
}
#endif

#endif
