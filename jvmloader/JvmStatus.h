// Status codes of the loader and their names, as its callers know them.
#pragma once

enum JvmStatus {
    kJvmOk = 0,
    kJvmNotInstalled = -1,
    kJvmRegkeyLibError = -2,
    kJvmLibNotFound = -3,
    kJvmClasspathNotFound = -4,
    kJvmCreationImpossible = -5,
    kVelmJniLibNotFound = -101,   // for a caller that cannot load the library
    kVelmJniFuncNotFound = -102,  // for a caller that cannot find one of its exports
};

// The name of a status code; "JVM_UNKNOWN_STATUS" for any other value.
const char* jvmStatusName(int status);
