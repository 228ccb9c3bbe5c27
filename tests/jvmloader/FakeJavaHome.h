// A throwaway Java home under %TEMP%: <home>\jre\bin\client\, with a copy of a jvm.dll
// stand-in there or nothing, and the stand-in's log file beside it. Removed again by
// the destructor.
#pragma once

#include <windows.h>

#include <string>

class FakeJavaHome {
public:
    // jvmSource: the file to lay out as jvm.dll, or empty for none. homeLength: the
    // length of the home path wanted (0: whatever the temp folder gives).
    FakeJavaHome(const std::string& jvmSource, size_t homeLength = 0)
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        static LONG serial = 0;
        m_home = std::string(temp) + "tarnel-javahome-" + std::to_string(GetCurrentProcessId()) + "-" +
                 std::to_string(InterlockedIncrement(&serial));
        if (homeLength > m_home.size() + 1) m_home += "-" + std::string(homeLength - m_home.size() - 1, 'h');
        for (const char* below : {"", "\\jre", "\\jre\\bin", "\\jre\\bin\\client"})
            CreateDirectoryA((m_home + below).c_str(), nullptr);
        if (!jvmSource.empty()) m_laidOut = CopyFileA(jvmSource.c_str(), jvm().c_str(), FALSE) != 0;
    }

    ~FakeJavaHome()
    {
        DeleteFileA(jvm().c_str());
        DeleteFileA(log().c_str());
        for (const char* below : {"\\jre\\bin\\client", "\\jre\\bin", "\\jre", ""})
            RemoveDirectoryA((m_home + below).c_str());
    }

    FakeJavaHome(const FakeJavaHome&) = delete;
    FakeJavaHome& operator=(const FakeJavaHome&) = delete;

    const std::string& home() const { return m_home; }
    std::string jvm() const { return m_home + "\\jre\\bin\\client\\jvm.dll"; }
    std::string log() const { return m_home + "\\jvmstub.log"; }
    bool laidOut() const { return m_laidOut; }

private:
    std::string m_home;
    bool m_laidOut = false;
};
