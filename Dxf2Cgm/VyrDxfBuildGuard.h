/* Guards the building of container elements (blocks, groups), which build
 * their contents through the model walker and may so come back to
 * themselves: a block whose contents insert the block again, directly or
 * through other blocks. A guard enters its entity on a class-wide stack for
 * the time of the build; it refuses an entity that is already being built
 * (a cycle) and any build nested deeper than kMaxDepth, so malformed
 * drawings end in finite time with bounded stack use. */
#ifndef VYR_DXF2CGM_VYRDXFBUILDGUARD_H
#define VYR_DXF2CGM_VYRDXFBUILDGUARD_H

class VyrDxfBuildGuard {
public:
    static const int kMaxDepth = 64;

    explicit VyrDxfBuildGuard(unsigned long entity);
    ~VyrDxfBuildGuard();
    VyrDxfBuildGuard(const VyrDxfBuildGuard &) = delete;
    VyrDxfBuildGuard &operator=(const VyrDxfBuildGuard &) = delete;

    /* The build may go on: the entity was not being built already and the
     * depth limit was not reached. */
    bool Entered() const { return entered_; }

    /* The entity is being built by an enclosing guard. */
    static bool IsBeingBuilt(unsigned long entity);
    static int Depth() { return depth_; }

private:
    static unsigned long stack_[kMaxDepth];
    static int depth_;
    bool entered_ = false;
};

#endif
