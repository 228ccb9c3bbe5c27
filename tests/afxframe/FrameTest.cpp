#include "afx/AfxMessageBox.h"
#include "afx/AfxOle.h"
#include "afx/CWinApp.h"

#include "MessageBoxWatcher.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

TEST(AfxMessageBox, CaptionIsTheTitleResource) { EXPECT_STREQ("Frame Title", AfxGetAppName()); }

TEST(AfxMessageBox, BoxesWithoutIconGetTheExclamationIconUnlessRetryOrAbort)
{
    struct Case {
        UINT type;
        const char* answer;
        int pressed;
        const char* buttons;
        const char* icon;
    };
    const Case cases[] = {
        {MB_OK, "OK", IDOK, "OK", "exclamation"},
        {MB_OKCANCEL, "Cancel", IDCANCEL, "OK,Cancel", "exclamation"},
        {MB_YESNO, "No", IDNO, "Yes,No", "exclamation"},
        {MB_YESNOCANCEL, "Yes", IDYES, "Yes,No,Cancel", "exclamation"},
        {MB_RETRYCANCEL, "Retry", IDRETRY, "Retry,Cancel", "none"},
        {MB_ABORTRETRYIGNORE, "Ignore", IDIGNORE, "Abort,Retry,Ignore", "none"},
        {MB_OK | MB_ICONERROR, "OK", IDOK, "OK", "error"},
        {MB_YESNO | MB_ICONERROR, "Yes", IDYES, "Yes,No", "error"},
    };
    for (const Case& c : cases) {
        MessageBoxWatcher watcher(GetCurrentProcessId(), {c.answer});
        EXPECT_EQ(c.pressed, AfxMessageBox("two\nlines", c.type)) << c.buttons;
        EXPECT_EQ(Lines({boxLine("Frame Title", "two\nlines", c.buttons, c.icon)}), watcher.stop()) << c.type;
    }
}

DWORD WINAPI initialiseOleInMultithreadedApartment(void* result)
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    *static_cast<BOOL*>(result) = AfxOleInit();
    CoUninitialize();
    return 0;
}

TEST(AfxOleInit, FailureShowsString100InFrench)
{
    // OLE cannot be initialised on a thread that is already in the multithreaded
    // apartment: the one failure a test can bring about.
    MessageBoxWatcher watcher(GetCurrentProcessId(), {"OK"});
    BOOL result = TRUE;
    HANDLE thread = CreateThread(nullptr, 0, initialiseOleInMultithreadedApartment, &result, 0, nullptr);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 20000));
    CloseHandle(thread);
    EXPECT_FALSE(result);
    EXPECT_EQ(Lines({boxLine("Frame Title",
                             "Echec de l'initialisation OLE. V\xe9rifiez que les biblioth\xe8ques OLE sont de la "
                             "bonne version.",
                             "OK", "exclamation")}),
              watcher.stop());
}

TEST(AfxOleInit, SucceedsOnAFreshThread)
{
    MessageBoxWatcher watcher(GetCurrentProcessId(), {});
    EXPECT_TRUE(AfxOleInit());
    EXPECT_EQ(Lines(), watcher.stop());
}

}  // namespace
