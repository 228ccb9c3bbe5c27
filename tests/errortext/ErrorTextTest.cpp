#include "common/TarnelErrorMgr.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Wine words its system texts differently from Windows, so the expected text is
// the system's own for the code, asked for in the same run, with its line end cut.
std::string systemText(DWORD code)
{
    char* text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                      FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                  nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result(text ? text : "", text ? length : 0);
    if (text) LocalFree(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r')) result.pop_back();
    return result;
}

std::string formatError(DWORD code) { return std::string(TarnelErrorMgr().formatError(code)); }

TEST(FormatError, SystemTextTrimmedThenTheCode)
{
    for (DWORD code : {0u, 2u}) {
        std::string text = systemText(code);
        ASSERT_FALSE(text.empty()) << code;
        EXPECT_EQ(text + " (" + std::to_string(code) + ")", formatError(code));
    }
}

TEST(FormatError, AccessDeniedAddsTheTwoSentences)
{
    EXPECT_EQ(systemText(5) +
                  " (5)\n\nTarnel install operation is refused because you do not have enough privileges\nYou must be "
                  "logged as an Administrator to have enough privileges to install Tarnel.",
              formatError(5));
}

TEST(FormatError, CodeWithoutSystemTextBeginsWithTheBlank)
{
    ASSERT_EQ("", systemText(123456));
    EXPECT_EQ(" (123456)", formatError(123456));
}

TEST(FormatError, TopBitSetIsWrittenAsNegativeNumber)
{
    ASSERT_EQ("", systemText(0xDEADBEEF));
    EXPECT_EQ(" (-559038737)", formatError(0xDEADBEEF));
    EXPECT_EQ(" (-2147483648)", formatError(0x80000000));  // eleven characters with the sign
}

TEST(FormatSpawnError, FixedSentences)
{
    struct Case {
        int error;
        const char* text;
    };
    const Case cases[] = {
        {2, "File or path is not found"},
        {7, "Argument list exceeds 1024 bytes"},
        {8, "Specified file is not executable or has invalid executable-file format"},
        {12, "Not enough memory is available to execute new process"},
        {22, "Mode argument is invalid"},
        {13, ""},
        {0, ""},
        {-1, ""},
    };
    for (const Case& c : cases) EXPECT_STREQ(c.text, TarnelErrorMgr().formatSpawnError(c.error)) << c.error;
}

}  // namespace
