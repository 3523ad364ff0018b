/* The root of the drawing element family. Every element is built from one
 * entity of the neutral model (or made up by another element, entity 0) and
 * knows which model it came from through the class-wide model number, which
 * the driver sets at the start of each conversion. */
#ifndef VYR_DXF2CGM_VYRDXFELEMENT_H
#define VYR_DXF2CGM_VYRDXFELEMENT_H

#include "Dxf2Cgm/VyrDxfPool.h"

class VyrDxfElement : public VyrDxfPooled {
public:
    VyrDxfElement() = default;
    explicit VyrDxfElement(unsigned long entity) : entity(entity) {}
    VyrDxfElement(const VyrDxfElement &) = delete;
    VyrDxfElement &operator=(const VyrDxfElement &) = delete;
    virtual ~VyrDxfElement() = default;

    /* The element's name; null for elements without one. */
    virtual const char *GetName() { return nullptr; }

    /* The model entity (db_ptr) this element was built from; 0 for none. */
    unsigned long GetEntity() const { return entity; }

    static void SetModel(int number) { model = number; }
    static int GetModel() { return model; }

protected:
    unsigned long entity = 0;

private:
    static int model;
};

#endif
