/* Environment look-up and the registry of object factories (see the header).
 * The registry is a small table guarded by a mutex; registered factories come
 * before the built-in ones, which are listed here. */
#include "platform/base/VyrEnvironment.h"

#include "platform/print/VyrPrintCGMGenerator.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Registered {
    std::string name;
    VyrObjectFactory factory;
};

std::mutex &RegistryMutex()
{
    static std::mutex m;
    return m;
}

std::vector<Registered> &Registry()
{
    static std::vector<Registered> r;
    return r;
}

void *CreateCgmGenerator(const char *, void *, void *)
{
    return static_cast<void *>(VyrPrintCGMGenerator::sCreate());
}

const struct {
    const char *name;
    VyrObjectFactory factory;
} kBuiltIn[] = {
    {"VyrPrintCGMGenerator", CreateCgmGenerator},
};

} // namespace

const char *VyrGetEnv(const char *name)
{
    if (!name || !*name) return nullptr;
    return std::getenv(name);
}

VyrObjectFactory VyrRegisterObjectFactory(const char *className, VyrObjectFactory factory)
{
    if (!className) return nullptr;
    std::lock_guard<std::mutex> lock(RegistryMutex());
    std::vector<Registered> &r = Registry();
    for (size_t i = 0; i < r.size(); ++i) {
        if (r[i].name == className) {
            VyrObjectFactory previous = r[i].factory;
            if (factory)
                r[i].factory = factory;
            else
                r.erase(r.begin() + static_cast<std::ptrdiff_t>(i));
            return previous;
        }
    }
    if (factory) {
        try {
            r.push_back(Registered{className, factory});
        } catch (const std::exception &) {}
    }
    return nullptr;
}

void *VyrCreateExternalObject(const char *className, void *arg, const char *libraryName, void *libraryArg)
{
    (void)libraryName;
    if (!className) return nullptr;
    VyrObjectFactory factory = nullptr;
    {
        std::lock_guard<std::mutex> lock(RegistryMutex());
        for (const Registered &r : Registry())
            if (r.name == className) factory = r.factory;
    }
    if (!factory)
        for (const auto &b : kBuiltIn)
            if (std::strcmp(b.name, className) == 0) factory = b.factory;
    return factory ? factory(className, arg, libraryArg) : nullptr;
}
