/* Rewrites UTF-8 text (the strings of drawings of AC1021 and later) in a
 * drawing's code page, as the strings of older releases are stored: every
 * character the code page has becomes its bytes there, every other one the
 * escape \U+XXXX (two escapes, a surrogate pair, beyond U+FFFF), so nothing
 * readable is lost. A double-byte character whose second byte would read as
 * a control character of DXF text ('\', '^', '{', '}') is written
 * as an escape too. Bytes that are not UTF-8 are kept as they are: some
 * writers store code-page text in files of these releases. The conversion
 * goes through glibc's iconv, one character at a time, with a cache. */
#ifndef VYR_TOOLS_DOWNCONV_DXFTEXTRECODER_H
#define VYR_TOOLS_DOWNCONV_DXFTEXTRECODER_H

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class DxfTextRecoder {
public:
    /* `codePage`: the drawing's $DWGCODEPAGE ("ANSI_1252", "ANSI_932" ...);
     * a name iconv does not know, or a Unicode page, leaves only escapes. */
    explicit DxfTextRecoder(const std::string &codePage);
    ~DxfTextRecoder();
    DxfTextRecoder(const DxfTextRecoder &) = delete;
    DxfTextRecoder &operator=(const DxfTextRecoder &) = delete;

    /* Appends `text` rewritten to `out`. With `carry` (text cut into pieces,
     * as MTEXT chunks), a UTF-8 sequence cut at the end is kept in *carry
     * and prepended to the next piece instead of being taken as foreign
     * bytes. With `ends`, the offset in `out` after each character's output
     * is appended to it, so a caller can cut the text between characters. */
    void Recode(const std::string &text, std::string &out, std::string *carry = nullptr,
                std::vector<size_t> *ends = nullptr);

    /* Appends text already in the code page to `out` unchanged, with the
     * ends of its characters in `ends`: an escape (\U+XXXX, \M+NXXXX) or a
     * double-byte character is one character. With `carry`, a character cut
     * at the end waits for the next piece, as in Recode. */
    void Pass(const std::string &text, std::string &out, std::string *carry, std::vector<size_t> *ends);

    /* What a character becomes: its code-page bytes, or its escape. */
    const std::string &Encode(uint32_t codePoint);

    /* The iconv name of the code page, or "" when only escapes are written. */
    const std::string &Target() const { return target_; }

    /* Counters for the report: characters written as escapes, strings kept
     * as they were because they were not UTF-8. */
    long escaped = 0;
    long foreign = 0;

private:
    void *cd_ = nullptr;
    std::string target_;
    bool doubleByte_ = false;
    std::unordered_map<uint32_t, std::string> cache_;
};

/* Decodes one UTF-8 character at `p` (at most `n` bytes): its length (1 to
 * 4) and code point, 0 when the bytes are cut short, -1 when they are not
 * UTF-8. */
int DxfUtf8Decode(const unsigned char *p, size_t n, uint32_t &codePoint);

#endif
