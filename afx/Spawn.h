// Starting another program the way the C runtime's spawn call does, written on
// CreateProcessA so that its rules are ours and the same on Windows and Wine.
#pragma once

enum AfxSpawnMode {
    AFX_SPAWN_WAIT,     // wait for the child; the result is its exit code
    AFX_SPAWN_NOWAIT,   // return once the child exists; the result is 0
    AFX_SPAWN_OVERLAY   // end this process with exit code 0 once the child exists
};

// Starts `program` with the argument vector `argv` (null-terminated; by convention
// argv[0] is the program path again). The child's command line is the arguments
// joined by single blanks, never quoted; it inherits the environment, the current
// directory and the inheritable handles.
//
// `program` is tried as given first (a bare name in the current directory). A path
// that holds a backslash, slash or colon is tried only so. When a bare name is not
// found there, each directory of PATH is tried in front of it (";"-separated, double
// quotes removed, empty entries skipped), up to the first attempt that starts the
// program or fails for another reason, and never with a candidate of 260 characters
// or more.
//
// Returns -1 when no process was created: errno then holds the C runtime's reason
// (ENOENT, E2BIG, ENOEXEC, ENOMEM, EACCES, EINVAL) and GetLastError() the system's.
// A start that succeeds leaves errno alone. Overlay mode returns only on failure.
int AfxSpawn(AfxSpawnMode mode, const char* program, const char* const* argv);
