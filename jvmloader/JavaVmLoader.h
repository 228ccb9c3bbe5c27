// The process-wide state of the library: the class path, the status of the last
// attempt, the loaded VM library and the Java VM created from it.
#pragma once

#include "jvmloader/JniInvocation.h"

#include <windows.h>

class JavaVmLoader {
public:
    // Keeps the caller's text, not a copy; null clears the slot, so that the next
    // creation reads CLASSPATH again.
    const char* setClasspath(const char* classpath);

    // The JNIEnv of the VM, created on the first call that finds a VM library; null
    // while no VM exists (the status then tells why).
    JNIEnv* jniEnv();

    int status() const { return m_status; }

private:
    void createJavaVm();

    const char* m_classpath = nullptr;
    int m_status = 0;
    HMODULE m_jvmLibrary = nullptr;  // never unloaded
    JavaVM* m_javaVm = nullptr;      // never destroyed
    JNIEnv* m_jniEnv = nullptr;
};
