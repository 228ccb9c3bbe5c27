// Runs the jvmcaller test program in a new process whose environment is the test's own
// without the variables the library and the jvm.dll stand-in read, plus the ones given.
#pragma once

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct CallerRun {
    DWORD exitCode = DWORD(-1);
    std::vector<std::string> lines;
    std::string error;
};

namespace CallerProcess {

inline bool isControlledVariable(const std::string& entry)
{
    for (const char* name : {"VELMORA_JAVA_HOME=", "CLASSPATH=", "JVMSTUB_"})
        if (_strnicmp(entry.c_str(), name, strlen(name)) == 0) return true;
    return false;
}

inline std::string environmentBlock(const std::vector<std::string>& variables)
{
    std::string block;
    char* own = GetEnvironmentStringsA();
    for (const char* entry = own; *entry; entry += strlen(entry) + 1)
        if (!isControlledVariable(entry)) block.append(entry).push_back('\0');
    FreeEnvironmentStringsA(own);
    for (const std::string& variable : variables) block.append(variable).push_back('\0');
    block.push_back('\0');
    return block;
}

// One argument as the C runtime splits command lines: quoted, with the backslashes
// before a quote doubled.
inline std::string quotedArgument(const std::string& argument)
{
    std::string result = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        result.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        result += c;
    }
    result.append(2 * backslashes, '\\');
    return result + "\"";
}

inline CallerRun run(const std::vector<std::string>& environment, const std::vector<std::string>& commands,
                     const std::string& outputFile)
{
    CallerRun result;
    std::string program = TARNEL_JVMCALLER_EXE;
    for (char& c : program) if (c == '/') c = '\\';
    std::string commandLine = quotedArgument(program) + " " + quotedArgument(outputFile);
    for (const std::string& command : commands) commandLine += " " + quotedArgument(command);
    std::string block = environmentBlock(environment);

    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, &block[0], nullptr,
                        &startup, &process)) {
        result.error = "CreateProcessA failed, error " + std::to_string(GetLastError());
        return result;
    }
    if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        result.error = "jvmcaller did not end within 30 s";
    }
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    std::ifstream output(outputFile, std::ios::binary);
    for (std::string line; std::getline(output, line);) result.lines.push_back(line);
    output.close();
    DeleteFileA(outputFile.c_str());
    return result;
}

}  // namespace CallerProcess
