// Each registration of this program is meant for one ANSI code page, which
// Wine takes from LANG and ambrel.exe inherits with the environment. A run
// under another code page than intended would prove nothing about it.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(CodePage, is_the_one_this_run_is_for) {
    const char* intended = std::getenv("AMBREL_UI_CODE_PAGE");
    ASSERT_NE(intended, nullptr) << "AMBREL_UI_CODE_PAGE is not set";
    EXPECT_EQ(std::to_string(GetACP()), intended) << "check LANG in the test's environment";
}

}  // namespace
