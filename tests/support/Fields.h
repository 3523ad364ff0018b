/* Test helper: the fields of a record read back from a drawing, checked as
 * one table. Each row names the field (the expression it was read with),
 * the value read and the value expected. Numbers compare as doubles within
 * four units in the last place, which is exact for the integers, flags and
 * handles of a drawing; texts compare as strings. One call replaces a run of
 * single-field checks and reports every row that differs by its name. */
#ifndef VYR_TESTS_SUPPORT_FIELDS_H
#define VYR_TESTS_SUPPORT_FIELDS_H

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

struct VyrField {
    VyrField(const char *name, double got, double want) : name(name), got(got), want(want) {}
    VyrField(const char *name, const char *got, const char *want)
        : name(name), text(true), gotText(got ? got : "(null)"), wantText(want ? want : "(null)")
    {}
    const char *name;
    bool text = false;
    double got = 0, want = 0;
    std::string gotText, wantText;
};

/* A row of the table: the field read and its expected value. */
#define VYR_F(got, want) VyrField(#got, got, want)
/* The three coordinates of a point as three rows. */
#define VYR_PT(p, x, y, z) VYR_F((p)[0], x), VYR_F((p)[1], y), VYR_F((p)[2], z)

inline void VyrExpectFields(const char *file, int line, std::initializer_list<VyrField> fields)
{
    for (const VyrField &f : fields) {
        const ::testing::ScopedTrace row(file, line, f.name);
        if (f.text)
            EXPECT_EQ(f.gotText, f.wantText);
        else
            EXPECT_DOUBLE_EQ(f.got, f.want);
    }
}
/* Checks every row; a failure names the table's line and the row's field. */
#define ExpectFields(...) VyrExpectFields(__FILE__, __LINE__, __VA_ARGS__)

#endif
