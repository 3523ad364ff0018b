/* A name copied out of the model (layer, line type): at most 255
 * characters, the size of the model's name fields, so long names are kept
 * whole and still match. Short names live inside the object, longer ones in
 * a block of their own; a name that cannot get its block is kept as the
 * empty name. Elements keep two of these in their header, so the object is
 * small: a million elements must not carry two 256-byte buffers each. */
#ifndef VYR_DXF2CGM_VYRDXFNAME_H
#define VYR_DXF2CGM_VYRDXFNAME_H

class VyrDxfName {
public:
    static const int kMaxLength = 255;

    VyrDxfName() { inline_[0] = '\0'; }
    explicit VyrDxfName(const char *text) : VyrDxfName() { Set(text); }
    VyrDxfName(const VyrDxfName &other) : VyrDxfName() { Set(other.Get()); }
    VyrDxfName &operator=(const VyrDxfName &other)
    {
        if (this != &other) Set(other.Get());
        return *this;
    }
    ~VyrDxfName() { delete[] heap_; }

    /* Copies at most kMaxLength characters of `text` (null: the empty
     * name), or of the first `limit` bytes when limit is not negative. */
    void Set(const char *text, int limit = -1);
    const char *Get() const { return heap_ ? heap_ : inline_; }
    bool IsEmpty() const { return Get()[0] == '\0'; }

private:
    static const int kInline = 24;
    char *heap_ = nullptr;
    char inline_[kInline];
};

#endif
