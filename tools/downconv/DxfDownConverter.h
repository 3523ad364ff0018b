/* Rewrites a DXF drawing of release AC1018 to AC1032 as an ASCII DXF of
 * release AC1015, pair by pair, in one pass over the input: the version
 * becomes AC1015; the texts of AC1021 and later (UTF-8) go into the
 * drawing's code page (DxfTextRecoder); header variables, sections, group
 * codes and subclasses that release 2000 does not have are dropped and
 * counted; everything else, handles and references included, is written
 * as it came. Kinds of entities and objects that AC1015 does not know are
 * kept whole: a reader of that release takes them as proxies. Memory does
 * not depend on the size of the drawing: one pair is held at a time, two
 * where a decision needs the pair after it. */
#ifndef VYR_TOOLS_DOWNCONV_DXFDOWNCONVERTER_H
#define VYR_TOOLS_DOWNCONV_DXFDOWNCONVERTER_H

#include <cstddef>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "tools/downconv/DxfPairReader.h"
#include "tools/downconv/DxfTextRecoder.h"

/* Buffered output of ASCII pairs to a descriptor. */
class DxfPairWriter {
public:
    explicit DxfPairWriter(int fd) : fd_(fd) {}
    void Put(int code, const std::string &value);
    /* Writes what is buffered; false (errno kept in Error()) on a failure,
     * which also makes every later call fail. */
    bool Flush();
    const std::string &Error() const { return error_; }

private:
    int fd_;
    std::string buffer_;
    std::string error_;
};

/* The releases this program reads, by their $ACADVER names. */
enum class DxfRelease { R2004 = 1018, R2007 = 1021, R2010 = 1024, R2013 = 1027, R2018 = 1032 };

class DxfDownConverter {
public:
    /* `release` and `codePage` as the drawing's header gives them. */
    DxfDownConverter(DxfPairReader &in, DxfPairWriter &out, DxfRelease release, const std::string &codePage);

    /* Converts the whole drawing; false with Error() on a fault of the input
     * or of the output. */
    bool Run();
    const std::string &Error() const { return error_; }

    /* What was dropped, by a short description, and how often. */
    const std::map<std::string, long> &Dropped() const { return dropped_; }
    const DxfTextRecoder &Recoder() const { return recoder_; }

private:
    bool Get(DxfPair &pair);
    void Unget(const DxfPair &pair) { pending_.push_front(pair); }
    void Put(const DxfPair &pair);
    void Drop(const std::string &what) { ++dropped_[what]; }
    bool Fail(const std::string &what);
    bool Section(const std::string &name);
    bool Header();
    bool Records(const std::string &section);
    bool Record(const std::string &section, const DxfPair &start);
    bool SkipTo(int code, const char *value);

    DxfPairReader &in_;
    DxfPairWriter &out_;
    DxfRelease release_;
    bool utf8_;
    DxfTextRecoder recoder_;
    std::deque<DxfPair> pending_;
    std::map<std::string, long> dropped_;
    std::string error_;
    std::string text_; /* scratch for recoded values */
    /* non-null: Put keeps the (recoded) pairs here instead of writing them */
    std::vector<DxfPair> *hold_ = nullptr;
};

#endif
