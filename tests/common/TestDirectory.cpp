#include "TestDirectory.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

void removeTree(const std::string& directory)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((directory + "*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = directory + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(path + "\\");
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(directory.c_str());
}

}  // namespace

TestDirectory::TestDirectory()
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    for (unsigned attempt = 0;; ++attempt) {
        std::ostringstream name;
        name << temp << "tarnel-test-" << GetCurrentProcessId() << "-" << attempt;
        if (CreateDirectoryA(name.str().c_str(), nullptr)) {
            m_path = name.str() + "\\";
            return;
        }
    }
}

TestDirectory::~TestDirectory()
{
    removeTree(m_path);
}

void TestDirectory::makeDirectory(const std::string& relative) const
{
    for (size_t cut = relative.find('\\'); ; cut = relative.find('\\', cut + 1)) {
        CreateDirectoryA((m_path + relative.substr(0, cut)).c_str(), nullptr);
        if (cut == std::string::npos) break;
    }
}

void TestDirectory::writeFile(const std::string& relative, const std::string& content) const
{
    std::ofstream file(m_path + relative, std::ios::binary);
    file << content;
    EXPECT_TRUE(file.good()) << "writing " << m_path + relative;
}

bool TestDirectory::readFile(const std::string& relative, std::string& content) const
{
    std::ifstream file(m_path + relative, std::ios::binary);
    if (!file) return false;
    std::ostringstream bytes;
    bytes << file.rdbuf();
    content = bytes.str();
    return true;
}

bool TestDirectory::exists(const std::string& relative) const
{
    return GetFileAttributesA((m_path + relative).c_str()) != INVALID_FILE_ATTRIBUTES;
}

ULONGLONG lastWriteTime(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) |
           data.ftLastWriteTime.dwLowDateTime;
}

void ageFile(const std::string& path)
{
    SYSTEMTIME moment = {2001, 1, 1, 1, 12, 0, 0, 0};
    FILETIME time;
    SystemTimeToFileTime(&moment, &time);
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
    CloseHandle(file);
}
