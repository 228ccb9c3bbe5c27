// Registry state for one test case: a key (with all it holds) or a single value is put
// aside when the case begins, so that the case starts without it, and put back as it
// was when the case ends.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class RegistryTestKey {
public:
    RegistryTestKey(HKEY root, const std::string& path);
    ~RegistryTestKey();
    RegistryTestKey(const RegistryTestKey&) = delete;
    RegistryTestKey& operator=(const RegistryTestKey&) = delete;

    // Creates the key (and subKey below it, when given) and writes the value.
    void set(const std::string& name, DWORD type, const void* data, DWORD size,
             const std::string& subKey = std::string());
    // A REG_SZ value, its terminating null included.
    void setText(const std::string& name, const std::string& text,
                 const std::string& subKey = std::string());
    // The key itself, without values.
    void create(const std::string& subKey = std::string());
    // Removes the key with all it holds, as at the start of the case.
    void clear();

    struct Value {
        std::string name;
        DWORD type;
        std::vector<BYTE> data;
    };
    struct Tree {
        std::vector<Value> values;
        std::vector<std::pair<std::string, Tree>> keys;
    };

private:
    std::string pathOf(const std::string& subKey) const;

    HKEY m_root;
    std::string m_path;
    bool m_existed;
    std::string m_topCreated;  // the highest ancestor that was missing
    Tree m_saved;
};

class RegistryTestValue {
public:
    // The value is removed for the case; the key is left in place.
    RegistryTestValue(HKEY root, const std::string& path, const std::string& name);
    ~RegistryTestValue();
    RegistryTestValue(const RegistryTestValue&) = delete;
    RegistryTestValue& operator=(const RegistryTestValue&) = delete;

    void setText(const std::string& text);

private:
    HKEY m_root;
    std::string m_path;
    std::string m_name;
    bool m_existed;
    RegistryTestKey::Value m_saved;
};
