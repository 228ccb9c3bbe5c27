// A throwaway Java home under %TEMP%: <home>\jre\bin\client\, with a copy of a jvm.dll
// stand-in there or nothing, and beside it the stand-in's log and the caller's output.
// Removed again by the destructor; a home of the same name left by a test process that
// was killed is emptied first (Wine numbers the processes of each fresh wineserver
// alike, so the next run of the suite meets the same names).
#pragma once

#include <windows.h>

#include <string>

class FakeJavaHome {
public:
    // jvmSource: the file to lay out as jvm.dll, or empty for none. homeLength: the
    // length of the home path wanted (0: whatever the temp folder gives). nameSuffix:
    // put at the end of the home's name (before any padding to homeLength).
    FakeJavaHome(const std::string& jvmSource, size_t homeLength = 0, const std::string& nameSuffix = "")
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        static LONG serial = 0;
        m_home = std::string(temp) + "tarnel-javahome-" + std::to_string(GetCurrentProcessId()) + "-" +
                 std::to_string(InterlockedIncrement(&serial)) + nameSuffix;
        if (homeLength > m_home.size() + 1) m_home += "-" + std::string(homeLength - m_home.size() - 1, 'h');
        remove();
        for (const char* below : {"", "\\jre", "\\jre\\bin", "\\jre\\bin\\client"})
            CreateDirectoryA((m_home + below).c_str(), nullptr);
        if (!jvmSource.empty()) m_laidOut = CopyFileA(jvmSource.c_str(), jvm().c_str(), FALSE) != 0;
    }

    ~FakeJavaHome() { remove(); }

    FakeJavaHome(const FakeJavaHome&) = delete;
    FakeJavaHome& operator=(const FakeJavaHome&) = delete;

    const std::string& home() const { return m_home; }
    std::string jvm() const { return m_home + "\\jre\\bin\\client\\jvm.dll"; }
    std::string log() const { return m_home + "\\jvmstub.log"; }
    std::string callerOutput() const { return m_home + "\\caller.out"; }
    bool laidOut() const { return m_laidOut; }

private:
    void remove() const
    {
        DeleteFileA(jvm().c_str());
        DeleteFileA(log().c_str());
        DeleteFileA(callerOutput().c_str());
        for (const char* below : {"\\jre\\bin\\client", "\\jre\\bin", "\\jre", ""})
            RemoveDirectoryA((m_home + below).c_str());
    }

    std::string m_home;
    bool m_laidOut = false;
};
