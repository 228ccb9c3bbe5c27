#include "jvmloader/JvmStatus.h"

const char* jvmStatusName(int status)
{
    switch (status) {
    case kJvmOk: return "JVM_OK";
    case kJvmNotInstalled: return "JVM_NOT_INSTALLED";
    case kJvmRegkeyLibError: return "JVM_REGKEY_LIB_ERROR";
    case kJvmLibNotFound: return "JVM_LIB_NOTFOUND";
    case kJvmClasspathNotFound: return "JVM_CLASSPATH_NOTFOUND";
    case kJvmCreationImpossible: return "JVM_CREATION_IMPOSSIBLE";
    case kVelmJniLibNotFound: return "VELMJNI_LIB_NOTFOUND";
    case kVelmJniFuncNotFound: return "VELMJNI_FUNC_NOTFOUND";
    default: return "JVM_UNKNOWN_STATUS";
    }
}
