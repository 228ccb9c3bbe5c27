// The registered Java runtime under HKLM SOFTWARE\JavaSoft\Java Runtime Environment
// (the 32-bit view, as our 32-bit processes see it), laid out by a test. The key as it
// was is kept in memory and put back by the destructor, whatever the test did.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

class JavaRuntimeRegistry {
public:
    static constexpr const char* kKey = "SOFTWARE\\JavaSoft\\Java Runtime Environment";

    // Saves and removes the key: the Java runtime is then not registered.
    JavaRuntimeRegistry()
    {
        m_existed = read(HKEY_LOCAL_MACHINE, kKey, m_saved);
        deleteTree(HKEY_LOCAL_MACHINE, kKey);
    }

    ~JavaRuntimeRegistry()
    {
        deleteTree(HKEY_LOCAL_MACHINE, kKey);
        if (m_existed) write(HKEY_LOCAL_MACHINE, kKey, m_saved);
    }

    JavaRuntimeRegistry(const JavaRuntimeRegistry&) = delete;
    JavaRuntimeRegistry& operator=(const JavaRuntimeRegistry&) = delete;

    // Creates the key (or its subkey) and, when value is not null, the text value: its
    // first bytes when given (checked to be stored as given), else the text and its
    // terminator.
    bool set(const std::string& subKey, const char* name, const char* value, DWORD bytes = 0)
    {
        std::string path = subKey.empty() ? std::string(kKey) : std::string(kKey) + "\\" + subKey;
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr) != ERROR_SUCCESS)
            return false;
        LONG status = ERROR_SUCCESS;
        if (name && value) {
            // RegSetValueExA counts in a terminator that lies just after the bytes given
            // (for callers that forgot it, as Windows does): the copy has none there.
            std::string data = bytes ? std::string(value, bytes) + '\x7f' : std::string(value) + '\0';
            status = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.data()),
                                    bytes ? bytes : DWORD(data.size()));
            DWORD stored = 0;
            if (status == ERROR_SUCCESS && bytes &&
                (RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &stored) != ERROR_SUCCESS ||
                 stored != bytes))
                status = ERROR_INVALID_DATA;
        }
        RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }

private:
    struct Value {
        DWORD type;
        std::vector<BYTE> data;
    };
    struct Key {
        std::map<std::string, Value> values;
        std::map<std::string, Key> subkeys;
    };

    static bool read(HKEY root, const std::string& path, Key& saved)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        char name[16384];
        for (DWORD i = 0;; ++i) {
            DWORD nameLength = sizeof(name), type = 0, size = 0;
            if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
                break;
            Value& value = saved.values[name];
            value.type = type;
            value.data.resize(size);
            RegQueryValueExA(key, name, nullptr, nullptr, value.data.data(), &size);
        }
        for (DWORD i = 0;; ++i) {
            DWORD nameLength = sizeof(name);
            if (RegEnumKeyExA(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            read(key, name, saved.subkeys[name]);
        }
        RegCloseKey(key);
        return true;
    }

    static void write(HKEY root, const std::string& path, const Key& saved)
    {
        HKEY key = nullptr;
        if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
            return;
        for (const auto& value : saved.values)
            RegSetValueExA(key, value.first.c_str(), 0, value.second.type, value.second.data.data(),
                           DWORD(value.second.data.size()));
        for (const auto& subkey : saved.subkeys) write(key, subkey.first, subkey.second);
        RegCloseKey(key);
    }

    static void deleteTree(HKEY root, const std::string& path)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS) return;
        char name[256];
        DWORD nameLength = sizeof(name);
        while (RegEnumKeyExA(key, 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
            deleteTree(key, name);
            nameLength = sizeof(name);
        }
        RegCloseKey(key);
        RegDeleteKeyA(root, path.c_str());
    }

    bool m_existed = false;
    Key m_saved;
};
