// A hashed key-to-text table whose entries are allocated in blocks of a chosen size.
#pragma once

#include "afx/CString.h"

#include <memory>
#include <vector>

class CMapStringToString {
public:
    explicit CMapStringToString(int blockSize = 10);
    CMapStringToString(const CMapStringToString&) = delete;
    CMapStringToString& operator=(const CMapStringToString&) = delete;

    int GetCount() const { return m_count; }
    bool IsEmpty() const { return m_count == 0; }
    int GetBlockSize() const { return m_blockSize; }
    int GetBlockCount() const { return static_cast<int>(m_blocks.size()); }

    void SetAt(const char* key, const char* value);
    BOOL Lookup(const char* key, CString& value) const;
    BOOL RemoveKey(const char* key);
    void RemoveAll();

private:
    struct Assoc {
        Assoc* next = nullptr;
        CString key;
        CString value;
    };

    Assoc** bucketOf(const char* key);
    Assoc* find(const char* key) const;
    Assoc* newAssoc();

    static const int kHashTableSize = 17;
    int m_blockSize;
    int m_count = 0;
    Assoc* m_table[kHashTableSize] = {};
    Assoc* m_freeList = nullptr;
    std::vector<std::unique_ptr<Assoc[]>> m_blocks;
};
