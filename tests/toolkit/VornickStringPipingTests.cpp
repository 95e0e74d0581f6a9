#include "toolkit/VornickStringPiping.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

TEST(VornickStringPiping, PipesTextThroughAnExecutable)
{
    std::u16string errorOutput;
    int status = -1;
    auto output = vornick_stringByPipingThroughExecutableAtPath(u"caf\u00E9\n", "/bin/cat", nullptr, nullptr, nullptr,
                                                                &errorOutput, &status);
    ASSERT_TRUE(output);
    EXPECT_EQ(*output, u"caf\u00E9\n");
    EXPECT_EQ(errorOutput, u"");
    EXPECT_EQ(status, 0);

    std::vector<std::string> arguments { "-c", "printf \"$GREETING:\"; pwd; echo oops >&2; exit 3" };
    std::map<std::string, std::string> environment { { "GREETING", "hello" } };
    std::string folder = "/tmp";
    output = vornick_stringByPipingThroughExecutableAtPath(u"", "/bin/sh", &arguments, &environment, &folder,
                                                           &errorOutput, &status);
    ASSERT_TRUE(output);
    EXPECT_EQ(*output, u"hello:/tmp\n");
    EXPECT_EQ(errorOutput, u"oops\n");
    EXPECT_EQ(status, 3);
}

// A child that answers before it has read all its input, with more output
// than a pipe holds, must not stall the call.
TEST(VornickStringPiping, LargeInputAndOutputDoNotDeadlock)
{
    std::u16string input(2 * 1024 * 1024, u'x');
    std::vector<std::string> arguments { "-c", "head -c 1048576 /dev/zero | tr '\\0' y; head -c 1048576 /dev/zero | tr '\\0' z >&2; cat >/dev/null" };
    std::u16string errorOutput;
    int status = -1;
    auto output = vornick_stringByPipingThroughExecutableAtPath(input, "/bin/sh", &arguments, nullptr, nullptr,
                                                                &errorOutput, &status);
    ASSERT_TRUE(output);
    EXPECT_EQ(output->size(), 1048576u);
    EXPECT_EQ(errorOutput.size(), 1048576u);
    EXPECT_EQ(status, 0);
}

TEST(VornickStringPiping, MissingExecutableIsAnError)
{
    Error error;
    int status = 77;
    auto output = vornick_stringByPipingThroughExecutableAtPath(u"text", "/nonexistent/tool", nullptr, nullptr, nullptr,
                                                                nullptr, &status, &error);
    EXPECT_FALSE(output);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(status, 77);
}

} // namespace
} // namespace brevanton
