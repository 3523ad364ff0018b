/* Reads a DXF file pair by pair, ASCII or binary alike, from a descriptor,
 * through one fixed buffer: memory does not grow with the file, only with
 * the longest value (which is bounded). Every value comes out as the text an
 * ASCII file would hold: numbers of a binary file in their shortest exact
 * decimal form, binary chunks as upper-case hexadecimal. */
#ifndef VYR_TOOLS_DOWNCONV_DXFPAIRREADER_H
#define VYR_TOOLS_DOWNCONV_DXFPAIRREADER_H

#include <cstddef>
#include <string>
#include <vector>

/* How a value of a group code is stored in a binary file. */
enum class DxfValueKind { String, Double, Int16, Int32, Int64, Bool, Chunk };

/* The kind of a group code's value (codes no release defines: String). */
DxfValueKind DxfKindOf(int code);

/* True for codes whose values are text a user may have written: names,
 * texts, comments, extended-data strings (not handles, not numbers). */
bool DxfIsText(int code);

struct DxfPair {
    int code = 0;
    std::string value;
};

class DxfPairReader {
public:
    /* The longest value or line accepted. */
    static const size_t kMaxValue = 1 << 20;

    /* Reads from `fd` (not owned); `name` is used in messages. */
    DxfPairReader(int fd, std::string name);

    /* Looks at the first bytes: false (with Error()) when they cannot be
     * read. Then Binary() tells the encoding. */
    bool Start();
    bool Binary() const { return binary_; }
    /* A binary file of the releases before 13, whose group codes are one
     * byte wide; such a file is not read further. */
    bool OldBinary() const { return oldBinary_; }

    /* The next pair: true, or false at the end of the data (Error() empty)
     * or on a fault (Error() says what and where). */
    bool Next(DxfPair &pair);
    const std::string &Error() const { return error_; }

    /* Starts again from the first byte (the descriptor must be seekable). */
    bool Rewind();

private:
    bool Fill();
    int Byte();
    bool Line(std::string &out);
    bool Bytes(void *out, size_t n);
    bool NextAscii(DxfPair &pair);
    bool NextBinary(DxfPair &pair);
    bool Fail(const std::string &what);

    int fd_;
    std::string name_;
    std::vector<char> buffer_;
    size_t pos_ = 0, end_ = 0;
    bool eof_ = false;
    bool binary_ = false;
    bool oldBinary_ = false;
    long line_ = 0;        /* ASCII: lines read */
    long long offset_ = 0; /* bytes consumed before buffer_[0] */
    std::string error_;
    std::string codeLine_;
};

#endif
