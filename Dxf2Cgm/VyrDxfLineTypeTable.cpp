/* The line types of the drawing being converted (see the header). */
#include "Dxf2Cgm/VyrDxfLineTypeTable.h"

#include <cctype>
#include <cmath>
#include <map>
#include <string>

#include "Dxf2Cgm/VyrDxfEntityLock.h"
#include "kernel/ddf/dxfi_records.h"

namespace {

std::map<std::string, std::vector<double>> &Patterns()
{
    static std::map<std::string, std::vector<double>> patterns;
    return patterns;
}

/* The last name looked up and what it found: the elements of a drawing
 * mostly share a few line type names, and each element asks once per
 * write. Any change of the table forgets it. */
struct LastLookup {
    bool valid = false;
    std::string name;
    const std::vector<double> *found = nullptr;
};

LastLookup &Last()
{
    static LastLookup last;
    return last;
}

std::string Key(const char *name)
{
    std::string key(name ? name : "");
    for (char &c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return key;
}

} // namespace

void VyrDxfLineTypeTable::Add(const char *name, int count, const double *dashes)
{
    if (!name || !*name) return;
    std::vector<double> pattern;
    double period = 0;
    if (dashes && count > 0) {
        for (int i = 0; i < count && i < kMaxDashes; ++i) {
            if (!std::isfinite(dashes[i])) return;
            pattern.push_back(dashes[i]);
            period += std::fabs(dashes[i]);
        }
    }
    if (!(period > 0)) pattern.clear();
    Last().valid = false;
    Patterns().emplace(Key(name), pattern);
}

const std::vector<double> *VyrDxfLineTypeTable::Find(const char *name)
{
    LastLookup &last = Last();
    const char *text = name ? name : "";
    if (last.valid && last.name == text) return last.found;
    const auto &patterns = Patterns();
    const auto found = patterns.find(Key(text));
    last.found = found == patterns.end() ? nullptr : &found->second;
    last.name = text;
    last.valid = true;
    return last.found;
}

void VyrDxfLineTypeTable::Clear()
{
    Last().valid = false;
    Patterns().clear();
}

void VyrDxfLineTypeTable::AddTable(uint32_t table)
{
    std::vector<db_ptr> entries;
    {
        VyrDxfEntityLock lock(table);
        const dxf_line_type_table *rec = lock.As<dxf_line_type_table>(100);
        if (!rec) return;
        const db_ptr *data = VyrDxfDeref<db_ptr>(rec->table_data);
        if (data && rec->num_entries > 0) entries.assign(data, data + rec->num_entries);
    }
    for (db_ptr entry : entries) {
        VyrDxfEntityLock lock(entry);
        const dxf_line_type_table_data *rec = lock.As<dxf_line_type_table_data>(10001);
        if (!rec) continue;
        char name[sizeof rec->entry_name + 1];
        VyrDxfCopyField(name, sizeof name, rec->entry_name, sizeof rec->entry_name);
        /* The dash lengths are the values of the pattern's elements. */
        const dxf_line_type_table_data_shape *elements =
            VyrDxfDeref<dxf_line_type_table_data_shape>(rec->shape);
        double dashes[kMaxDashes];
        int count = 0;
        for (int i = 0; elements && i < rec->num_shapes && count < kMaxDashes; ++i)
            dashes[count++] = elements[i].val;
        Add(name, count, dashes);
    }
}
