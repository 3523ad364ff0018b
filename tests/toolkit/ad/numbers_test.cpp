/* Real numbers of DXF text: every value reads as the C library reads it,
 * bit for bit (plain decimals of up to 15 or so digits are read directly;
 * longer ones, exponents and stray characters go the general way). */
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "toolkit/ad/ad_int.h"

TEST(Numbers, RealsReadAsTheCLibraryReadsThem)
{
    const char *const kTexts[] = {
        "1.0", "-1250.0", "0.1", "0.3", "2.675", "0.000001", "123456789.123456", "+3.25", "  42.25", "\t-0.0",
        ".5", "5.", "-.5", "7.5abc", "1.2.3", "9007199254740992", "9007199254740993",
        /* 17 digits: one rounding of the integer and one of the quotient would miss these */
        "7.7772113109844870", "605.71532978825083", "12345678901234567890.5", "99999999999999999999",
        "0.1234567890123456789", "0.0000000000000000000001", "0.00000000000000000000001", "1e5", "1.5E-3",
        "-2.5e+2", "1e400", "1e-400", "1.7976931348623157e308"};
    for (const char *t : kTexts) {
        const double want = std::strtod(t, nullptr);
        const double got = zt_atofn(t, std::strlen(t));
        EXPECT_EQ(std::memcmp(&want, &got, sizeof got), 0)
            << '"' << t << "\" read " << got << ", not " << want;
    }
}
