// Finds the Java runtime's VM library and loads it: from the directory named by
// VELMORA_JAVA_HOME when that variable is set, else from the path that the registered
// Java runtime (version 1.5 or later) gives.
#pragma once

#include <windows.h>

namespace JvmLibrarySearch {

// kJvmOk and the loaded library, or the status code of the step that failed.
int loadJvmLibrary(HMODULE& library);

}  // namespace JvmLibrarySearch
