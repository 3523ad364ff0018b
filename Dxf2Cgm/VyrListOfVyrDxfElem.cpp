/* The owning element list. Invariant: head and tail are both null or both
 * set, tail->next is null, and the cursor is null or a node of the chain. */
#include "Dxf2Cgm/VyrListOfVyrDxfElem.h"

#include <cstring>
#include <new>

VyrListOfVyrDxfElem::~VyrListOfVyrDxfElem() { Delete(); }

int VyrListOfVyrDxfElem::AddElement(VyrDxfElement *element)
{
    ++count;
    EltOfListOfDxfElement *node = new (std::nothrow) EltOfListOfDxfElement(element);
    if (!node) return -1;
    if (!head) {
        head = cursor = tail = node;
    } else {
        tail->next = node;
        tail = node;
    }
    return 0;
}

void VyrListOfVyrDxfElem::Delete()
{
    EltOfListOfDxfElement *node = head;
    head = cursor = tail = nullptr;
    count = 0;
    while (node) {
        EltOfListOfDxfElement *next = node->next;
        delete node;
        node = next;
    }
}

VyrDxfElement *VyrListOfVyrDxfElem::FindElementByPtr(unsigned long wanted)
{
    for (cursor = head; cursor; cursor = cursor->next)
        if (cursor->element && cursor->element->GetEntity() == wanted) return cursor->element;
    return nullptr;
}

VyrDxfElement *VyrListOfVyrDxfElem::FindElementByName(const char *name)
{
    for (cursor = head; cursor; cursor = cursor->next) {
        if (!cursor->element) continue;
        const char *own = cursor->element->GetName();
        if (!own) continue;
        if (own == name || (name && std::strcmp(own, name) == 0)) return cursor->element;
    }
    return nullptr;
}
