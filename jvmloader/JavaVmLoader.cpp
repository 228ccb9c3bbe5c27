#include "jvmloader/JavaVmLoader.h"

#include "jvmloader/JvmLibrarySearch.h"
#include "jvmloader/JvmStatus.h"
#include "jvmloader/LoadTimeEnvironment.h"

const char* JavaVmLoader::setClasspath(const char* classpath)
{
    m_classpath = classpath;
    return classpath;
}

JNIEnv* JavaVmLoader::jniEnv()
{
    // The Invocation API creates one VM per process and refuses a second request while
    // it exists: once created, the VM's JNIEnv is simply handed out again.
    if (!m_jniEnv) createJavaVm();
    return m_jniEnv;
}

void JavaVmLoader::createJavaVm()
{
    if (!m_jvmLibrary) {
        int status = JvmLibrarySearch::loadJvmLibrary(m_jvmLibrary);
        if (status != kJvmOk) {
            m_status = status;
            return;
        }
    }
    auto createJavaVmEntry = reinterpret_cast<CreateJavaVmFunction>(
        reinterpret_cast<void*>(GetProcAddress(m_jvmLibrary, "JNI_CreateJavaVM")));
    if (!createJavaVmEntry) {
        m_status = kJvmCreationImpossible;
        return;
    }

    if (!m_classpath) m_classpath = LoadTimeEnvironment::find("CLASSPATH");
    // wsprintfA never writes more than 1024 bytes; the precision keeps the text within
    // that limit by itself (18 + 1005 characters and the terminator), so a longer
    // class path is cut to 1005 characters and the text always ends inside the buffer.
    char optionText[1024];
    wsprintfA(optionText, "-Djava.class.path=%.1005s", m_classpath ? m_classpath : "");

    JavaVMOption option = {optionText, nullptr};
    JavaVMInitArgs initArgs = {};
    initArgs.version = JNI_VERSION_1_2;
    initArgs.nOptions = 1;
    initArgs.options = &option;
    initArgs.ignoreUnrecognized = 0;

    JavaVM* javaVm = nullptr;
    JNIEnv* jniEnv = nullptr;
    jint result = createJavaVmEntry(&javaVm, reinterpret_cast<void**>(&jniEnv), &initArgs);
    if (result != JNI_OK || !jniEnv) {
        m_status = kJvmCreationImpossible;
        return;
    }
    m_javaVm = javaVm;
    m_jniEnv = jniEnv;
    m_status = kJvmOk;
}
