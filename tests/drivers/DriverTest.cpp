#include "common/QuenbyTrayDriver.h"
#include "common/VisualActionDriver.h"

#include "ActivationRecorder.h"
#include "StandInServer.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

const char kVisualAction[] = "quenby.visualAction";
const char kTray[] = "quenby.QuenbyTray";

class Drivers : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override { OleUninitialize(); }

    // The calls after the object's creation.
    Lines callsAfterCreate() const
    {
        Lines calls = standIn.calls();
        if (!calls.empty()) calls.erase(calls.begin());
        return calls;
    }

    StandInServer standIn;
};

// The ProgID of a product whose registration was removed, and one that never was.
TEST_F(Drivers, CreationFailureReturnsFalseAndHoldsNothing)
{
    standIn.unregisterProgId(kTray);
    QuenbyTrayDriver tray;
    COleException trayError(S_OK);
    EXPECT_FALSE(tray.CreateDispatch(QuenbyTrayDriver::kProgId, &trayError));
    EXPECT_TRUE(FAILED(trayError.m_sc));
    EXPECT_EQ(nullptr, tray.m_lpDispatch);

    VisualActionDriver unknown;
    COleException unknownError(S_OK);
    EXPECT_FALSE(unknown.CreateDispatch("quenby.noSuchObject", &unknownError));
    EXPECT_TRUE(FAILED(unknownError.m_sc));
    EXPECT_EQ(nullptr, unknown.m_lpDispatch);
    EXPECT_EQ(Lines(), standIn.calls());
}

// A system without remote activation rejects the first request as an invalid argument;
// the second one allows the three other kinds of server only.
TEST_F(Drivers, RemoteServerRejectedIsAskedForAgainWithoutIt)
{
    const DWORD others = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;
    {
        ActivationRecorder accepting(false);
        VisualActionDriver visualAction;
        ASSERT_TRUE(visualAction.CreateDispatch(VisualActionDriver::kProgId));
        EXPECT_EQ(std::vector<DWORD>({others | CLSCTX_REMOTE_SERVER}), accepting.contexts());
    }
    standIn.reset();
    ActivationRecorder rejecting(true);
    QuenbyTrayDriver tray;
    ASSERT_TRUE(tray.CreateDispatch(QuenbyTrayDriver::kProgId));
    EXPECT_EQ(std::vector<DWORD>({others | CLSCTX_REMOTE_SERVER, others}), rejecting.contexts());
    tray.launch("x");
    EXPECT_EQ(Lines({"quenby.QuenbyTray create", "quenby.QuenbyTray 1 VT_BSTR(1):x (no result)"}), standIn.calls());
}

// An object that was made but cannot be used is released again before CreateDispatch
// returns: the stand-in logs "release" when its last reference goes.
TEST_F(Drivers, ObjectThatDoesNotRunOrGivesNoIDispatchIsReleased)
{
    struct Case {
        const char* key;
        const char* value;
        HRESULT expected;
        Lines calls;
    };
    const Case cases[] = {
        {"refuseRun", "0x80080005", CO_E_SERVER_EXEC_FAILURE,
         {"quenby.visualAction create", "quenby.visualAction run refused", "quenby.visualAction release"}},
        {"noDispatch", "1", E_NOINTERFACE, {"quenby.visualAction create", "quenby.visualAction release"}},
    };
    for (const Case& c : cases) {
        standIn.reset();
        standIn.set(kVisualAction, c.key, c.value);
        VisualActionDriver visualAction;
        COleException error(S_OK);
        EXPECT_FALSE(visualAction.CreateDispatch(VisualActionDriver::kProgId, &error)) << c.key;
        EXPECT_EQ(c.expected, error.m_sc) << c.key;
        EXPECT_EQ(nullptr, visualAction.m_lpDispatch) << c.key;
        EXPECT_EQ(c.calls, standIn.calls()) << c.key;
    }
}

TEST_F(Drivers, Dispid7AnyNonZeroBooleanIsTrue)
{
    struct Case {
        const char* answer;
        BOOL expected;
    };
    const Case cases[] = {{"VT_BOOL:0", FALSE}, {"VT_BOOL:-1", TRUE}, {"VT_BOOL:1", TRUE}, {"VT_I4:2", TRUE}, {"VT_I2:0", FALSE}};
    VisualActionDriver visualAction;
    ASSERT_TRUE(visualAction.CreateDispatch(VisualActionDriver::kProgId));
    for (const Case& c : cases) {
        standIn.set(kVisualAction, "answer7", c.answer);
        EXPECT_EQ(c.expected, visualAction.invokeMethod7()) << c.answer;
    }
    EXPECT_EQ(Lines(5, "quenby.visualAction 7"), callsAfterCreate());
}

TEST_F(Drivers, Dispid9AnswerIsConvertedToLong)
{
    VisualActionDriver visualAction;
    ASSERT_TRUE(visualAction.CreateDispatch(VisualActionDriver::kProgId));
    standIn.set(kVisualAction, "answer9", "VT_I2:-7");
    EXPECT_EQ(-7, visualAction.invokeMethod9());
    standIn.set(kVisualAction, "answer9", "VT_I4:-2147483648");
    EXPECT_EQ(-2147483647L - 1, visualAction.invokeMethod9());
    standIn.set(kVisualAction, "answer9", "VT_BSTR:12");
    EXPECT_EQ(12, visualAction.invokeMethod9());
}

TEST_F(Drivers, Dispid11GetsLongThenBoolean)
{
    VisualActionDriver visualAction;
    ASSERT_TRUE(visualAction.CreateDispatch(VisualActionDriver::kProgId));
    standIn.set(kVisualAction, "answer11", "VT_BOOL:-1");
    EXPECT_TRUE(visualAction.invokeMethod11(42, FALSE));
    standIn.set(kVisualAction, "answer11", "VT_BOOL:0");
    EXPECT_FALSE(visualAction.invokeMethod11(-5, 7));
    EXPECT_EQ(Lines({"quenby.visualAction 11 VT_I4:42 VT_BOOL:0", "quenby.visualAction 11 VT_I4:-5 VT_BOOL:-1"}),
              callsAfterCreate());
}

TEST_F(Drivers, LaunchSendsOneBstrAndAsksForNoResult)
{
    QuenbyTrayDriver tray;
    ASSERT_TRUE(tray.CreateDispatch(QuenbyTrayDriver::kProgId));
    // Code page 1252 letters are one character each in the BSTR.
    const std::string line = "C:\\Program Files\\Tarnel\\tarnelexplorer.exe !explorer! C:\\r\xe9sum\xe9.txt";
    tray.launch("");
    tray.launch(line.c_str());
    EXPECT_EQ(Lines({"quenby.QuenbyTray 1 VT_BSTR(0): (no result)",
                     "quenby.QuenbyTray 1 VT_BSTR(" + std::to_string(line.size()) + "):" + line + " (no result)"}),
              callsAfterCreate());
}

TEST_F(Drivers, ReleaseAndDestructionReleaseTheObject)
{
    {
        VisualActionDriver visualAction;
        QuenbyTrayDriver tray;
        ASSERT_TRUE(visualAction.CreateDispatch(VisualActionDriver::kProgId));
        ASSERT_TRUE(tray.CreateDispatch(QuenbyTrayDriver::kProgId));
        visualAction.ReleaseDispatch();
        EXPECT_EQ(nullptr, visualAction.m_lpDispatch);
        visualAction.ReleaseDispatch();  // nothing left to release
    }
    EXPECT_EQ(Lines({"quenby.visualAction create", "quenby.QuenbyTray create", "quenby.visualAction release",
                     "quenby.QuenbyTray release"}),
              standIn.calls());
}

TEST_F(Drivers, ReportedExceptionRaisesCOleDispatchException)
{
    standIn.set(kVisualAction, "raise7", "0x80040201");
    VisualActionDriver visualAction;
    ASSERT_TRUE(visualAction.CreateDispatch(VisualActionDriver::kProgId));
    try {
        visualAction.invokeMethod7();
        FAIL() << "no exception";
    } catch (COleDispatchException* e) {
        EXPECT_EQ(static_cast<SCODE>(0x80040201), e->m_scError);
        EXPECT_STREQ("quenby.visualAction", e->m_strSource);
        EXPECT_STREQ("The stand-in was told to fail DISPID 7", e->m_strDescription);
        e->Delete();
    }
}

TEST_F(Drivers, FailedCallOrUnconvertibleAnswerRaisesCOleException)
{
    struct Case {
        const char* key;
        const char* value;
        SCODE expected;
    };
    const Case cases[] = {{"fail9", "0x80020005", DISP_E_TYPEMISMATCH},
                          {"answer9", "VT_BSTR:not a number", DISP_E_TYPEMISMATCH},
                          {"fail9", "0x80010108", RPC_E_DISCONNECTED}};
    VisualActionDriver visualAction;
    ASSERT_TRUE(visualAction.CreateDispatch(VisualActionDriver::kProgId));
    for (const Case& c : cases) {
        standIn.reset();
        standIn.set(kVisualAction, c.key, c.value);
        try {
            visualAction.invokeMethod9();
            ADD_FAILURE() << "no exception for " << c.key << "=" << c.value;
        } catch (COleDispatchException* e) {
            ADD_FAILURE() << "dispatch exception for " << c.key;
            e->Delete();
        } catch (COleException* e) {
            EXPECT_EQ(c.expected, e->m_sc) << c.key << "=" << c.value;
            e->Delete();
        }
    }
}

}  // namespace
