/* The owning element list. Invariant: head and tail are both null or both
 * set, tail->next is null, and the cursor is null or a node of the chain;
 * when there is an index, it maps the entity of every element to the first
 * node whose element has that entity (a table with linear probing, its
 * capacity a power of two at least twice the entries). */
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
    if (index && element && !IndexNode(node)) DropIndex();
    return 0;
}

size_t VyrListOfVyrDxfElem::SlotOf(unsigned long entity) const
{
    return static_cast<size_t>((static_cast<unsigned long long>(entity) * 0x9E3779B97F4A7C15ull) >> 32) &
           (indexCapacity - 1);
}

bool VyrListOfVyrDxfElem::IndexNode(EltOfListOfDxfElement *node)
{
    if (2 * (indexUsed + 1) > indexCapacity) {
        IndexSlot *old = index;
        const size_t oldCapacity = indexCapacity;
        const size_t capacity = oldCapacity ? 2 * oldCapacity : 64;
        IndexSlot *slots = new (std::nothrow) IndexSlot[capacity]();
        if (!slots) return false;
        index = slots;
        indexCapacity = capacity;
        indexUsed = 0;
        for (size_t i = 0; i < oldCapacity; ++i)
            if (old[i].node) IndexNode(old[i].node);
        delete[] old;
    }
    const unsigned long entity = node->element->GetEntity();
    size_t s = SlotOf(entity);
    for (; index[s].node; s = (s + 1) & (indexCapacity - 1))
        if (index[s].entity == entity) return true;
    index[s] = {entity, node, node->element};
    ++indexUsed;
    return true;
}

void VyrListOfVyrDxfElem::BuildIndex()
{
    size_t capacity = 64;
    while (capacity < 2 * static_cast<size_t>(count)) capacity *= 2;
    index = new (std::nothrow) IndexSlot[capacity]();
    if (!index) return;
    indexCapacity = capacity;
    indexUsed = 0;
    for (EltOfListOfDxfElement *node = head; node; node = node->next)
        if (node->element && !IndexNode(node)) {
            DropIndex();
            return;
        }
}

void VyrListOfVyrDxfElem::DropIndex()
{
    delete[] index;
    index = nullptr;
    indexCapacity = indexUsed = 0;
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
        for (size_t s = SlotOf(wanted); index[s].node; s = (s + 1) & (indexCapacity - 1))
            if (index[s].entity == wanted) {
                cursor = index[s].node;
                return index[s].element;
            }
        cursor = nullptr;
        return nullptr;
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
