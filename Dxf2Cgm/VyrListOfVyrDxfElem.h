/* The owning list of drawing elements, used for the layer, text style and
 * block tables, the root list of a conversion and the contents of blocks,
 * groups and solids. A singly linked chain of nodes with a cursor; the list
 * owns its elements: destroying a node destroys its element. The count
 * rises with every AddElement call, also when no node could be allocated
 * (then the element stays with the caller), so Size() counts requests.
 * A long list that is searched by entity (the block table, looked up by
 * every insert) builds an index from entity to node on its first search and
 * keeps it up to date, so a search does not walk the list. */
#ifndef VYR_DXF2CGM_VYRLISTOFVYRDXFELEM_H
#define VYR_DXF2CGM_VYRLISTOFVYRDXFELEM_H

#include <cstddef>

#include "Dxf2Cgm/VyrDxfElement.h"

class EltOfListOfDxfElement : public VyrDxfPooled {
public:
    explicit EltOfListOfDxfElement(VyrDxfElement *element) : element(element) {}
    EltOfListOfDxfElement(const EltOfListOfDxfElement &) = delete;
    EltOfListOfDxfElement &operator=(const EltOfListOfDxfElement &) = delete;
    /* Destroys the element. */
    ~EltOfListOfDxfElement() { delete element; }

    EltOfListOfDxfElement *next = nullptr;
    VyrDxfElement *element;
};

class VyrListOfVyrDxfElem : public VyrDxfElement {
public:
    VyrListOfVyrDxfElem() = default;
    ~VyrListOfVyrDxfElem() override;

    /* Appends at the tail. Returns 0, or -1 when the node could not be
     * allocated; the list then does not own the element. */
    int AddElement(VyrDxfElement *element);
    /* Destroys every node and element; the list is empty afterwards. */
    void Delete();

    void Init() { cursor = head; }
    int More() const { return cursor != nullptr; }
    void Next()
    {
        if (cursor) cursor = cursor->next;
    }
    VyrDxfElement *Value() const { return cursor ? cursor->element : nullptr; }
    int Size() const { return count; }

    /* The first element built from `entity`, or null; the cursor stays on
     * the match (or at the end). */
    VyrDxfElement *FindElementByPtr(unsigned long entity);
    /* The first element whose name equals `name` byte for byte; elements
     * without a name never match. */
    VyrDxfElement *FindElementByName(const char *name);

    VyrListOfVyrDxfElem(const VyrListOfVyrDxfElem &) = delete;
    VyrListOfVyrDxfElem &operator=(const VyrListOfVyrDxfElem &) = delete;

    /* Lists this long get an index on their first search by entity. */
    static const int kIndexFrom = 16;

private:
    /* A slot of the index: the element beside its node, so that a search
     * reads one slot and nothing else. A free slot has no node. */
    struct IndexSlot {
        unsigned long entity;
        EltOfListOfDxfElement *node;
        VyrDxfElement *element;
    };
    /* Builds the index; without memory there is none and searches walk. */
    void BuildIndex();
    void DropIndex();
    /* Enters a node unless its entity is there already; false without
     * memory. */
    bool IndexNode(EltOfListOfDxfElement *node);
    size_t SlotOf(unsigned long entity) const;

    IndexSlot *index = nullptr; /* open addressing, at most half full */
    size_t indexCapacity = 0;   /* a power of two */
    size_t indexUsed = 0;
    EltOfListOfDxfElement *head = nullptr;
    EltOfListOfDxfElement *cursor = nullptr;
    EltOfListOfDxfElement *tail = nullptr;
    int count = 0;
};

#endif
