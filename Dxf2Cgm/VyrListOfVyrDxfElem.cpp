/* The owning element list. Invariant: head and tail are both null or both
 * set, tail->next is null, and the cursor is null or a node of the chain;
 * when there is an index, it maps the entity of every element to the first
 * node whose element has that entity. */
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
    if (index && element) {
        try {
            index->emplace(element->GetEntity(), node);
        } catch (...) {
            DropIndex();
        }
    }
    return 0;
}

void VyrListOfVyrDxfElem::BuildIndex()
{
    index = new (std::nothrow) Index();
    if (!index) return;
    try {
        index->reserve(static_cast<size_t>(count));
        for (EltOfListOfDxfElement *node = head; node; node = node->next)
            if (node->element) index->emplace(node->element->GetEntity(), node);
    } catch (...) {
        DropIndex();
    }
}

void VyrListOfVyrDxfElem::DropIndex()
{
    delete index;
    index = nullptr;
}

void VyrListOfVyrDxfElem::Delete()
{
    DropIndex();
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
    if (!index && count >= kIndexFrom) BuildIndex();
    if (index) {
        const Index::const_iterator found = index->find(wanted);
        cursor = found == index->end() ? nullptr : found->second;
        return cursor ? cursor->element : nullptr;
    }
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
