// A native caller of velmjnidll for the loader tests: runs the commands given on its
// command line in order, in one process, and writes one line per answer to the file
// named first. Each test runs it afresh, because the library copies the environment
// when it loads and keeps its VM until the process ends.
//
//   load                      LoadLibraryA the library    -> "load ok" | "load failed"
//   setenv:NAME=VALUE         SetEnvironmentVariableA      (no line)
//   unsetenv:NAME             remove the variable          (no line)
//   copyfile:FROM|TO          CopyFileA                    (a line only on failure)
//   status                    getJniEnvStatus              -> "status -3"
//   statusText                getCharJniEnvStatus          -> "statusText JVM_OK size 30 new"
//   version                   getVelmJniVersion            -> "version 1.05a 2006/05/03 size 20 new"
//   env                       getJniEnv                    -> "env null" | "env 1"
//   classpath:TEXT            setClasspath(copy of TEXT)   -> "classpath same" | "classpath other"
//   classpath-digits:N        a class path of N digits "0123456789012..."
//   classpath-null            setClasspath(NULL)           -> "classpath null"
//   test:TEXT | test-null     test                         -> "test velmjni:a size 10 new" | "test null"
//   testBytes:N               testBytes(N)                 -> "testBytes OK Test Bytes static 1"
//   pending                   ExceptionCheck on the last JNIEnv -> "pending 0"
//   localrefs                 the local references the jvm.dll stand-in counts as held
//                             -> "localrefs 0" | "localrefs no-vm" (no jvm.dll loaded)
//   conventions               stack bytes each one-argument export removes itself
//                             -> "conventions setClasspath 0 test 4 testBytes 4"
// Texts are written with bytes outside printable ASCII (and the backslash) as \xhh, and
// TEXT may hold \xHH likewise. "size" is the block's size (_msize of the C runtime),
// "new" that it is not a block handed out before; a number after env or static counts
// distinct pointers. Every block is kept until the end and then released with free().
#include <windows.h>
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "jvmloader/JniInvocation.h"

namespace {

typedef char*(__cdecl* TextFunction)();
typedef const char*(__cdecl* SetClasspathFunction)(const char*);
typedef JNIEnv*(__cdecl* GetJniEnvFunction)();
typedef int(__cdecl* StatusFunction)();
typedef char*(__stdcall* TestFunction)(const char*);
typedef const char*(__stdcall* TestBytesFunction)(void*);
typedef int(__cdecl* LiveLocalReferencesFunction)();

HMODULE library = nullptr;
FILE* out = nullptr;
std::vector<void*> blocks;             // handed out to us, released at the end
std::vector<const void*> envs, statics;
std::vector<std::string*> classpaths;  // must outlive the VM creation: never freed
JNIEnv* lastEnv = nullptr;

void* entry(const char* name)
{
    void* address = library ? reinterpret_cast<void*>(GetProcAddress(library, name)) : nullptr;
    if (!address) {
        std::fprintf(out, "no export %s\n", name);
        std::fclose(out);
        ExitProcess(2);
    }
    return address;
}

std::string escaped(const char* text)
{
    std::string result;
    for (const unsigned char* byte = reinterpret_cast<const unsigned char*>(text); *byte; ++byte) {
        if (*byte >= 0x20 && *byte < 0x7F && *byte != '\\') {
            result += char(*byte);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof(hex), "\\x%02x", *byte);
            result += hex;
        }
    }
    return result;
}

std::string unescaped(const std::string& text)
{
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\\x") == 0 && i + 3 < text.size()) {
            result += char(std::strtoul(text.substr(i + 2, 2).c_str(), nullptr, 16));
            i += 3;
        } else {
            result += text[i];
        }
    }
    return result;
}

// "1" for the first pointer seen in the list, "2" for the next other one, ...
int ordinalOf(std::vector<const void*>& seen, const void* pointer)
{
    for (size_t i = 0; i < seen.size(); ++i)
        if (seen[i] == pointer) return int(i) + 1;
    seen.push_back(pointer);
    return int(seen.size());
}

void writeBlock(const char* what, char* block)
{
    if (!block) {
        std::fprintf(out, "%s null\n", what);
        return;
    }
    bool isNew = true;
    for (void* kept : blocks) isNew = isNew && kept != block;
    blocks.push_back(block);
    std::fprintf(out, "%s %s size %u%s\n", what, escaped(block).c_str(), unsigned(_msize(block)),
                 isNew ? " new" : "");
}

bool insideLibraryImage(const void* pointer)
{
    const BYTE* base = reinterpret_cast<const BYTE*>(library);
    const IMAGE_NT_HEADERS* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const BYTE* at = static_cast<const BYTE*>(pointer);
    return at >= base && at < base + headers->OptionalHeader.SizeOfImage;
}

// How many bytes of its one 4-byte argument a function removes from the stack itself:
// 4 for __stdcall, 0 for __cdecl. The stack pointer is restored either way.
int argumentBytesRemovedByCallee(void* function, void* argument)
{
    int left;
    __asm__ volatile(
        "movl %%esp, %%esi\n\t"
        "pushl %2\n\t"
        "call *%1\n\t"
        "movl %%esi, %%ecx\n\t"
        "subl %%esp, %%ecx\n\t"  // 4 when the argument is still on the stack
        "movl %%esi, %%esp\n\t"
        : "=&c"(left)
        : "b"(function), "D"(argument)
        : "eax", "edx", "esi", "memory", "cc");
    return 4 - left;
}

void setClasspathTo(std::string* text)
{
    classpaths.push_back(text);
    auto setClasspath = reinterpret_cast<SetClasspathFunction>(entry("setClasspath"));
    const char* returned = setClasspath(text->c_str());
    std::fprintf(out, "classpath %s\n", returned == text->c_str() ? "same" : "other");
}

void run(const std::string& command)
{
    const size_t colon = command.find(':');
    const std::string verb = command.substr(0, colon);
    const std::string argument = colon == std::string::npos ? "" : command.substr(colon + 1);
    if (verb == "load") {
        std::string path = TARNEL_VELMJNIDLL;
        for (char& c : path) if (c == '/') c = '\\';
        library = LoadLibraryA(path.c_str());
        std::fprintf(out, "load %s\n", library ? "ok" : "failed");
    } else if (verb == "setenv") {
        const size_t equals = argument.find('=');
        SetEnvironmentVariableA(argument.substr(0, equals).c_str(), argument.substr(equals + 1).c_str());
    } else if (verb == "unsetenv") {
        SetEnvironmentVariableA(argument.c_str(), nullptr);
    } else if (verb == "copyfile") {
        const size_t bar = argument.find('|');
        if (!CopyFileA(argument.substr(0, bar).c_str(), argument.substr(bar + 1).c_str(), FALSE))
            std::fprintf(out, "copyfile failed %lu\n", GetLastError());
    } else if (verb == "status") {
        std::fprintf(out, "status %d\n", reinterpret_cast<StatusFunction>(entry("getJniEnvStatus"))());
    } else if (verb == "statusText") {
        writeBlock("statusText", reinterpret_cast<TextFunction>(entry("getCharJniEnvStatus"))());
    } else if (verb == "version") {
        writeBlock("version", reinterpret_cast<TextFunction>(entry("getVelmJniVersion"))());
    } else if (verb == "env") {
        lastEnv = reinterpret_cast<GetJniEnvFunction>(entry("getJniEnv"))();
        if (lastEnv)
            std::fprintf(out, "env %d\n", ordinalOf(envs, lastEnv));
        else
            std::fprintf(out, "env null\n");
    } else if (verb == "classpath") {
        setClasspathTo(new std::string(unescaped(argument)));
    } else if (verb == "classpath-digits") {
        std::string* digits = new std::string;
        for (int i = 0; i < std::atoi(argument.c_str()); ++i) *digits += char('0' + i % 10);
        setClasspathTo(digits);
    } else if (verb == "classpath-null") {
        const char* returned = reinterpret_cast<SetClasspathFunction>(entry("setClasspath"))(nullptr);
        std::fprintf(out, "classpath %s\n", returned ? "other" : "null");
    } else if (verb == "test" || verb == "test-null") {
        std::string text = unescaped(argument);
        auto test = reinterpret_cast<TestFunction>(entry("test"));
        writeBlock("test", test(verb == "test" ? text.c_str() : nullptr));
    } else if (verb == "testBytes") {
        auto testBytes = reinterpret_cast<TestBytesFunction>(entry("testBytes"));
        const char* text = testBytes(reinterpret_cast<void*>(std::strtoul(argument.c_str(), nullptr, 10)));
        std::fprintf(out, "testBytes %s %s %d\n", escaped(text).c_str(),
                     insideLibraryImage(text) ? "static" : "not-static", ordinalOf(statics, text));
    } else if (verb == "pending") {
        if (lastEnv)
            std::fprintf(out, "pending %d\n", int((*lastEnv)->ExceptionCheck(lastEnv)));
        else
            std::fprintf(out, "pending no-env\n");
    } else if (verb == "localrefs") {
        HMODULE jvm = GetModuleHandleA("jvm.dll");
        auto count = jvm ? reinterpret_cast<LiveLocalReferencesFunction>(
                               reinterpret_cast<void*>(GetProcAddress(jvm, "liveLocalReferences")))
                         : nullptr;
        if (count)
            std::fprintf(out, "localrefs %d\n", count());
        else
            std::fprintf(out, "localrefs no-vm\n");
    } else if (verb == "conventions") {
        static const char text[] = "x";
        std::fprintf(out, "conventions setClasspath %d test %d testBytes %d\n",
                     argumentBytesRemovedByCallee(entry("setClasspath"), const_cast<char*>(text)),
                     argumentBytesRemovedByCallee(entry("test"), const_cast<char*>(text)),
                     argumentBytesRemovedByCallee(entry("testBytes"), nullptr));
    } else {
        std::fprintf(out, "unknown command %s\n", command.c_str());
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || !(out = std::fopen(argv[1], "wb"))) return 1;
    for (int i = 2; i < argc; ++i) run(argv[i]);
    for (void* block : blocks) std::free(block);
    std::fclose(out);
    return 0;
}
