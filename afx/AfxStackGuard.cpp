// The guard word and its failure; see afx/AfxStackGuard.h. Nothing here is guarded
// itself: AfxSetStackGuard runs while the word changes, and __stack_chk_fail runs on a
// stack that is already known to be overwritten.
#include "afx/AfxStackGuard.h"

// The module (program or DLL) that this code is linked into.
extern "C" IMAGE_DOS_HEADER __ImageBase;

std::uintptr_t __stack_chk_guard = AFX_STACK_GUARD_INITIAL;

namespace {

const DWORD kStackBufferOverrun = 0xC0000409;  // STATUS_STACK_BUFFER_OVERRUN

// Spreads every bit of a word over all the others (the finaliser of MurmurHash3).
std::uint32_t mixed(std::uint32_t word)
{
    word ^= word >> 16;
    word *= 0x85EBCA6Bu;
    word ^= word >> 13;
    word *= 0xC2B2AE35u;
    return word ^ (word >> 16);
}

}  // namespace

extern "C" AFX_UNGUARDED void __stack_chk_fail()
{
    // TerminateProcess on the own process does not return. Nothing is unwound, no
    // handler or static destructor runs on the overwritten stack, and no box asks
    // anything: inside Explorer, the host process ends as Windows ends it for a
    // failed security check.
    TerminateProcess(GetCurrentProcess(), kStackBufferOverrun);
    __builtin_trap();
}

extern "C" AFX_UNGUARDED void AfxSetStackGuard()
{
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    LARGE_INTEGER counter = {};
    QueryPerformanceCounter(&counter);
    const std::uint32_t sources[] = {
        now.dwLowDateTime,
        now.dwHighDateTime,
        GetCurrentProcessId(),
        GetCurrentThreadId(),
        GetTickCount(),
        static_cast<std::uint32_t>(counter.LowPart),
        static_cast<std::uint32_t>(counter.HighPart),
        // Both addresses move with ASLR.
        static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&__ImageBase)),
        static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&now)),
    };
    std::uint32_t guard = 0;
    for (std::uint32_t source : sources) guard = mixed(guard ^ source);
    // A guard that did not change, or that is zero, would be a guess any attacker makes.
    if (guard == 0 || guard == AFX_STACK_GUARD_INITIAL) guard = ~AFX_STACK_GUARD_INITIAL;
    __stack_chk_guard = guard;
}
