/* Bounded name copies for the element headers. Invariant: Get() is always a
 * NUL-terminated text of at most kMaxLength characters; heap_ is null or an
 * owned block used instead of inline_. */
#include "Dxf2Cgm/VyrDxfName.h"

#include <cstring>
#include <new>

void VyrDxfName::Set(const char *text, int limit)
{
    int n = 0;
    const int bound = (limit >= 0 && limit < kMaxLength) ? limit : kMaxLength;
    if (text)
        while (n < bound && text[n] != '\0') ++n;
    /* Copy first: `text` may be this object's own storage. */
    char buffer[kMaxLength + 1];
    std::memcpy(buffer, text ? text : "", static_cast<size_t>(n));
    buffer[n] = '\0';
    delete[] heap_;
    heap_ = nullptr;
    if (n < kInline) {
        std::memcpy(inline_, buffer, static_cast<size_t>(n) + 1);
        return;
    }
    heap_ = new (std::nothrow) char[n + 1];
    if (heap_) {
        std::memcpy(heap_, buffer, static_cast<size_t>(n) + 1);
    } else {
        inline_[0] = '\0';
    }
}
