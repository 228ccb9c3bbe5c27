// The exports of velmjnidll. The texts handed out are new blocks from the C runtime's
// malloc and belong to the caller, except the static text of testBytes.
#include "jvmloader/JavaVmLoader.h"
#include "jvmloader/JvmStatus.h"

#include <cstdlib>
#include <cstring>

namespace {

JavaVmLoader loader;

const size_t kStatusNameBytes = 30;
const size_t kVersionBytes = 20;
const size_t kTestFailureBytes = 300;

// A new block of the given size holding the text; null when no memory is left.
char* newTextBlock(const char* text, size_t size)
{
    char* block = static_cast<char*>(std::malloc(size));
    if (block) std::strcpy(block, text);
    return block;
}

// A failed JNI call leaves a Java exception pending on the thread, and the next call
// into the VM would then fail as well: the caller is told through the result alone.
void clearPendingException(JNIEnv* env)
{
    if ((*env)->ExceptionCheck(env)) (*env)->ExceptionClear(env);
}

// A JNI local reference, deleted when it goes out of scope. Only a return into Java
// would free it otherwise, and the thread that created the VM never returns there: a
// caller calling test in a loop would grow the VM's memory with every call.
class LocalRef {
public:
    LocalRef(JNIEnv* env, jobject ref) : m_env(env), m_ref(ref) {}
    ~LocalRef()
    {
        if (m_ref) (*m_env)->DeleteLocalRef(m_env, m_ref);
    }
    LocalRef(const LocalRef&) = delete;
    LocalRef& operator=(const LocalRef&) = delete;

    jobject get() const { return m_ref; }

private:
    JNIEnv* m_env;
    jobject m_ref;
};

// The whole Java string in modified UTF-8, in a block of its byte length plus one.
char* newModifiedUtf8Block(JNIEnv* env, jstring string)
{
    jsize bytes = (*env)->GetStringUTFLength(env, string);
    char* block = static_cast<char*>(std::malloc(bytes + 1));
    if (!block) return nullptr;
    // The region is counted in UTF-16 units, not in the bytes of its encoding.
    (*env)->GetStringUTFRegion(env, string, 0, (*env)->GetStringLength(env, string), block);
    block[bytes] = '\0';
    return block;
}

}  // namespace

extern "C" {

char* __cdecl getCharJniEnvStatus()
{
    return newTextBlock(jvmStatusName(loader.status()), kStatusNameBytes);
}

const char* __cdecl setClasspath(const char* classpath)
{
    return loader.setClasspath(classpath);
}

JNIEnv* __cdecl getJniEnv()
{
    return loader.jniEnv();
}

int __cdecl getJniEnvStatus()
{
    return loader.status();
}

char* __cdecl getVelmJniVersion()
{
    return newTextBlock("1.05a 2006/05/03", kVersionBytes);
}

// Calls velmjni.getStaticStringFromString with the text (null passes a null string)
// and returns the Java result; null when the method returns none or throws. The local
// references it makes are all deleted again on return.
char* __stdcall test(const char* modifiedUtf8)
{
    JNIEnv* env = getJniEnv();
    if (!env || loader.status() != kJvmOk) return getCharJniEnvStatus();

    LocalRef velmjni(env, (*env)->FindClass(env, "velmjni"));
    if (!velmjni.get()) {
        clearPendingException(env);
        return newTextBlock("Can't find class", kTestFailureBytes);
    }
    jmethodID method = (*env)->GetStaticMethodID(env, velmjni.get(), "getStaticStringFromString",
                                                 "(Ljava/lang/String;)Ljava/lang/String;");
    if (!method) {
        clearPendingException(env);
        return newTextBlock("Can't locate the getStaticStringFromString(String) method",
                            kTestFailureBytes);
    }
    LocalRef argument(env, modifiedUtf8 ? (*env)->NewStringUTF(env, modifiedUtf8) : nullptr);
    if (modifiedUtf8 && !argument.get()) {
        clearPendingException(env);
        return nullptr;
    }
    LocalRef result(env, (*env)->CallStaticObjectMethod(env, velmjni.get(), method, argument.get()));
    if (!result.get() || (*env)->ExceptionCheck(env)) {
        clearPendingException(env);
        return nullptr;
    }
    return newModifiedUtf8Block(env, result.get());
}

const char* __stdcall testBytes(void*)
{
    return "OK Test Bytes";
}

}  // extern "C"
