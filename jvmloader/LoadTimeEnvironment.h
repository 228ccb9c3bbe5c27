// The process environment as it stood when the library was loaded.
//
// Callers rely on the behaviour of a C runtime linked into the library: its copy of
// the environment is taken at load, so a variable set in the process before the load
// is seen and one set afterwards is not. MinGW links msvcrt.dll instead, whose copy
// is shared by the whole process and taken when the process started (a variable set
// with SetEnvironmentVariableA before LoadLibrary is then missed), so the library
// keeps a copy of its own, made while the C runtime initialises it.
#pragma once

namespace LoadTimeEnvironment {

// The value of the variable (names compare without regard to case, as Windows does),
// the empty text for a variable set to nothing, null when it was not set at load.
const char* find(const char* name);

}  // namespace LoadTimeEnvironment
