/* The small-object pool of the conversion layer. A drawing turns into
 * millions of small objects (elements, their headers, list nodes) that live
 * until the next conversion; taking each from the C heap costs a header per
 * object and, interleaved with the model's own record buffers, makes the
 * heap fragment badly. The pool keeps one free list per size class (16-byte
 * steps up to kMaxSize) carved from blocks of 2 MiB; larger requests go to the
 * heap. When the last object is given back, every block is freed, so a host
 * gets the memory back between conversions.
 *
 * Not thread-safe by itself: objects are made and destroyed under the
 * conversion mutex (or by a single-threaded test). */
#ifndef VYR_DXF2CGM_VYRDXFPOOL_H
#define VYR_DXF2CGM_VYRDXFPOOL_H

#include <cstddef>
#include <new>

class VyrDxfPool {
public:
    static const size_t kMaxSize = 256;

    /* `size` bytes aligned for any object of the layer, or null. */
    static void *Allocate(size_t size) noexcept;
    /* Gives back what Allocate(size) returned (null is ignored). */
    static void Release(void *memory, size_t size) noexcept;
    /* Objects handed out and not given back. */
    static size_t Live() noexcept;
    /* Bytes held in blocks. */
    static size_t Reserved() noexcept;
};

/* Class-specific allocation through the pool; derive from it (it adds no
 * data) and the sized delete receives the size of the object deleted. */
class VyrDxfPooled {
public:
    static void *operator new(size_t size)
    {
        void *memory = VyrDxfPool::Allocate(size);
        if (!memory) throw std::bad_alloc();
        return memory;
    }
    static void *operator new(size_t size, const std::nothrow_t &) noexcept
    {
        return VyrDxfPool::Allocate(size);
    }
    static void operator delete(void *memory, size_t size) noexcept { VyrDxfPool::Release(memory, size); }
    static void operator delete(void *memory, size_t size, const std::nothrow_t &) noexcept
    {
        VyrDxfPool::Release(memory, size);
    }
};

#endif
