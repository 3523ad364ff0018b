/* Calls the C translation unit that includes every public header of the
 * kernel and of the mapping layer. */
#include "kernel_fixture.h"

extern "C" int vyr_kernel_headers_from_c(void);

namespace {

class HeadersFromC : public vyrtest::KernelTest {};

TEST_F(HeadersFromC, CompileAndWork) { EXPECT_EQ(vyr_kernel_headers_from_c(), 1); }

} // namespace
