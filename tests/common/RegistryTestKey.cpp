#include "RegistryTestKey.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

namespace {

bool keyExists(HKEY root, const std::string& path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// Writes the value, creating the key; a failure fails the case.
void writeValue(HKEY root, const std::string& path, const RegistryTestKey::Value& value)
{
    HKEY key;
    LONG status = RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExA(key, value.name.c_str(), 0, value.type, value.data.data(),
                                static_cast<DWORD>(value.data.size()));
        RegCloseKey(key);
    }
    EXPECT_EQ(ERROR_SUCCESS, status) << "writing " << path << " " << value.name;
}

RegistryTestKey::Value textValue(const std::string& name, const std::string& text)
{
    const BYTE* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    return RegistryTestKey::Value{name, REG_SZ, std::vector<BYTE>(bytes, bytes + text.size() + 1)};
}

// Values are read back through the ANSI calls, as they were written; the key names
// and texts the tests use are all ASCII, so nothing is lost in conversion.
bool readValue(HKEY key, const std::string& name, RegistryTestKey::Value& value)
{
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    value.name = name;
    value.type = type;
    value.data.resize(size);
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, value.data.data(), &size) != ERROR_SUCCESS)
        return false;
    value.data.resize(size);
    return true;
}

RegistryTestKey::Tree saveTree(HKEY key)
{
    RegistryTestKey::Tree tree;
    char name[16384];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof(name);
        if (RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        RegistryTestKey::Value value;
        if (readValue(key, name, value)) tree.values.push_back(value);
    }
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof(name);
        if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        HKEY child;
        if (RegOpenKeyExA(key, name, 0, KEY_READ, &child) != ERROR_SUCCESS) continue;
        tree.keys.emplace_back(name, saveTree(child));
        RegCloseKey(child);
    }
    return tree;
}

void createKey(HKEY root, const std::string& path)
{
    HKEY key;
    LONG status = RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) RegCloseKey(key);
    EXPECT_EQ(ERROR_SUCCESS, status) << "creating " << path;
}

void restoreTree(HKEY root, const std::string& path, const RegistryTestKey::Tree& tree)
{
    createKey(root, path);
    for (const RegistryTestKey::Value& value : tree.values) writeValue(root, path, value);
    for (const auto& child : tree.keys) restoreTree(root, path + "\\" + child.first, child.second);
}

}  // namespace

RegistryTestKey::RegistryTestKey(HKEY root, const std::string& path)
    : m_root(root), m_path(path), m_existed(keyExists(root, path))
{
    if (m_existed) {
        HKEY key;
        RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key);
        m_saved = saveTree(key);
        RegCloseKey(key);
        SHDeleteKeyA(root, path.c_str());
        return;
    }
    // Remember which ancestors the case will make, so that none of them is left behind.
    m_topCreated = path;
    for (size_t cut = path.rfind('\\'); cut != std::string::npos; cut = path.rfind('\\', cut - 1)) {
        if (keyExists(root, path.substr(0, cut))) break;
        m_topCreated = path.substr(0, cut);
        if (cut == 0) break;
    }
}

RegistryTestKey::~RegistryTestKey()
{
    clear();
    if (m_existed) {
        restoreTree(m_root, m_path, m_saved);
        return;
    }
    // The ancestors the case made go too, but only while empty: another test may have
    // put keys of its own below them meanwhile (RegDeleteKeyA refuses a key with subkeys).
    for (size_t cut = m_path.rfind('\\'); cut != std::string::npos && cut >= m_topCreated.size();
         cut = m_path.rfind('\\', cut - 1))
        RegDeleteKeyA(m_root, m_path.substr(0, cut).c_str());
}

std::string RegistryTestKey::pathOf(const std::string& subKey) const
{
    return subKey.empty() ? m_path : m_path + "\\" + subKey;
}

void RegistryTestKey::create(const std::string& subKey)
{
    createKey(m_root, pathOf(subKey));
}

void RegistryTestKey::clear()
{
    SHDeleteKeyA(m_root, m_path.c_str());
}

void RegistryTestKey::set(const std::string& name, DWORD type, const void* data, DWORD size,
                          const std::string& subKey)
{
    const BYTE* bytes = static_cast<const BYTE*>(data);
    writeValue(m_root, pathOf(subKey), Value{name, type, std::vector<BYTE>(bytes, bytes + size)});
}

void RegistryTestKey::setText(const std::string& name, const std::string& text, const std::string& subKey)
{
    writeValue(m_root, pathOf(subKey), textValue(name, text));
}

RegistryTestValue::RegistryTestValue(HKEY root, const std::string& path, const std::string& name)
    : m_root(root), m_path(path), m_name(name), m_existed(false)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    m_existed = readValue(key, name, m_saved);
    RegDeleteValueA(key, name.c_str());
    RegCloseKey(key);
}

RegistryTestValue::~RegistryTestValue()
{
    if (m_existed) {
        writeValue(m_root, m_path, m_saved);
        return;
    }
    HKEY key;
    if (RegOpenKeyExA(m_root, m_path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, m_name.c_str());
    RegCloseKey(key);
}

void RegistryTestValue::setText(const std::string& text)
{
    writeValue(m_root, m_path, textValue(m_name, text));
}
