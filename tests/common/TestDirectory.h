// A fresh directory under the temporary folder for one test case, removed with all it
// holds when the case ends.
#pragma once

#include <windows.h>

#include <string>

class TestDirectory {
public:
    TestDirectory();
    ~TestDirectory();
    TestDirectory(const TestDirectory&) = delete;
    TestDirectory& operator=(const TestDirectory&) = delete;

    // The directory, ending with a backslash.
    const std::string& path() const { return m_path; }
    // Makes the directory (and those above it) below this one.
    void makeDirectory(const std::string& relative) const;
    void writeFile(const std::string& relative, const std::string& content) const;
    // FALSE when the file cannot be read.
    bool readFile(const std::string& relative, std::string& content) const;
    bool exists(const std::string& relative) const;

private:
    std::string m_path;
};

// The file's last-write time as a number, 0 when the file cannot be opened.
ULONGLONG lastWriteTime(const std::string& path);
// Sets the file's last-write time to a fixed moment in 2001.
void ageFile(const std::string& path);
