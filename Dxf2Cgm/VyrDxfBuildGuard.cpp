/* The class-wide build stack. Invariant: stack_[0..depth_-1] holds the
 * entities of the guards alive right now, outermost first. */
#include "Dxf2Cgm/VyrDxfBuildGuard.h"

unsigned long VyrDxfBuildGuard::stack_[kMaxDepth];
int VyrDxfBuildGuard::depth_ = 0;

VyrDxfBuildGuard::VyrDxfBuildGuard(unsigned long entity)
{
    if (depth_ >= kMaxDepth || (entity != 0 && IsBeingBuilt(entity))) return;
    stack_[depth_++] = entity;
    entered_ = true;
}

VyrDxfBuildGuard::~VyrDxfBuildGuard()
{
    if (entered_) --depth_;
}

bool VyrDxfBuildGuard::IsBeingBuilt(unsigned long entity)
{
    for (int i = 0; i < depth_; ++i)
        if (stack_[i] == entity) return true;
    return false;
}
