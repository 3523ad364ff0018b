/* Environment look-up and the registry of object factories (see the header).
 * The registry is two small tables guarded by one mutex, the registered
 * factories and the defaults; a registered factory comes first. The tables
 * are function-local statics, so libraries may register their defaults
 * while the program's static objects are made. */
#include "platform/base/VyrEnvironment.h"

#include <cstdlib>
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

std::vector<Registered> &Defaults()
{
    static std::vector<Registered> r;
    return r;
}

/* Enters, replaces or (for a null factory) removes `className` in `table`;
 * the factory entered before, or null. The registry mutex is held. */
VyrObjectFactory Enter(std::vector<Registered> &table, const char *className, VyrObjectFactory factory)
{
    for (size_t i = 0; i < table.size(); ++i) {
        if (table[i].name == className) {
            VyrObjectFactory previous = table[i].factory;
            if (factory)
                table[i].factory = factory;
            else
                table.erase(table.begin() + static_cast<std::ptrdiff_t>(i));
            return previous;
        }
    }
    if (factory) {
        try {
            table.push_back(Registered{className, factory});
        } catch (const std::exception &) {}
    }
    return nullptr;
}

VyrObjectFactory Find(const std::vector<Registered> &table, const char *className)
{
    for (const Registered &r : table)
        if (r.name == className) return r.factory;
    return nullptr;
}

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
    return Enter(Registry(), className, factory);
}

VyrObjectFactory VyrRegisterDefaultFactory(const char *className, VyrObjectFactory factory)
{
    if (!className) return nullptr;
    std::lock_guard<std::mutex> lock(RegistryMutex());
    return Enter(Defaults(), className, factory);
}

void *VyrCreateExternalObject(const char *className, void *arg, const char *libraryName, void *libraryArg)
{
    (void)libraryName;
    if (!className) return nullptr;
    VyrObjectFactory factory = nullptr;
    {
        std::lock_guard<std::mutex> lock(RegistryMutex());
        factory = Find(Registry(), className);
        if (!factory) factory = Find(Defaults(), className);
    }
    return factory ? factory(className, arg, libraryArg) : nullptr;
}
