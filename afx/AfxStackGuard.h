// The stack guard of every deliverable. Code compiled with -fstack-protector-strong
// checks, on leaving each function that holds an array or takes the address of a
// local, that the word it copied below its return address still equals
// __stack_chk_guard, and calls __stack_chk_fail when it does not. GCC's own libssp
// sets that word from a constructor that calls CryptAcquireContext, which loads a
// cryptographic provider DLL: in a DLL that runs under the loader lock, which Explorer
// does not survive. So this layer defines both symbols itself (libssp is then never
// linked) and sets the word at the image's entry, from sources that load nothing.
#pragma once

#include <windows.h>

#include <cstdint>

extern "C" {

// The guard word. Until the entry sets it (and in test programs, which keep the C
// runtime's entry), it holds AFX_STACK_GUARD_INITIAL, whose bytes are a zero, a line
// feed, 0xFF and a carriage return: no string copy can write it back as it was.
extern std::uintptr_t __stack_chk_guard;

// Called by a guarded function whose guard copy was overwritten: ends the process at
// once with STATUS_STACK_BUFFER_OVERRUN, without unwinding and without a message.
[[noreturn]] void __stack_chk_fail();

// The images' entry points (linked with -e, see cmake/Deliverable.cmake). Each sets the
// guard word and then runs the C runtime's own entry with the same arguments, which
// runs the static constructors: nothing guarded of ours has run before.
BOOL WINAPI AfxDllEntry(HANDLE module, DWORD reason, LPVOID reserved);
int AfxProgramEntry();

// Sets the guard word from the time, the process and thread ids, the tick count, the
// performance counter and the addresses of the image and the stack. Only for the
// entry points: a guarded function that is running while the word changes would
// find its copy wrong on its return.
void AfxSetStackGuard();
}

#define AFX_STACK_GUARD_INITIAL 0x000AFF0Du

// A function that must not check the guard: the entry points and AfxSetStackGuard,
// which are running while the word changes, and __stack_chk_fail.
#define AFX_UNGUARDED __attribute__((no_stack_protector))
