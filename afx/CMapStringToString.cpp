#include "afx/CMapStringToString.h"

static unsigned hashKey(const char* key)
{
    unsigned hash = 0;
    while (*key) hash = (hash << 5) + hash + static_cast<unsigned char>(*key++);
    return hash;
}

CMapStringToString::CMapStringToString(int blockSize)
    : m_blockSize(blockSize > 0 ? blockSize : 10)
{
}

CMapStringToString::Assoc** CMapStringToString::bucketOf(const char* key)
{
    return &m_table[hashKey(key) % kHashTableSize];
}

CMapStringToString::Assoc* CMapStringToString::find(const char* key) const
{
    for (Assoc* assoc = m_table[hashKey(key) % kHashTableSize]; assoc; assoc = assoc->next)
        if (assoc->key == key) return assoc;
    return nullptr;
}

// Entries come from blocks of m_blockSize; a removed entry goes back to the free list.
CMapStringToString::Assoc* CMapStringToString::newAssoc()
{
    if (!m_freeList) {
        m_blocks.emplace_back(new Assoc[m_blockSize]);
        Assoc* block = m_blocks.back().get();
        for (int i = m_blockSize - 1; i >= 0; --i) {
            block[i].next = m_freeList;
            m_freeList = &block[i];
        }
    }
    Assoc* assoc = m_freeList;
    m_freeList = assoc->next;
    assoc->next = nullptr;
    return assoc;
}

void CMapStringToString::SetAt(const char* key, const char* value)
{
    if (!key) key = "";
    if (Assoc* existing = find(key)) {
        existing->value = value;
        return;
    }
    Assoc* assoc = newAssoc();
    assoc->key = key;
    assoc->value = value;
    Assoc** bucket = bucketOf(key);
    assoc->next = *bucket;
    *bucket = assoc;
    ++m_count;
}

BOOL CMapStringToString::Lookup(const char* key, CString& value) const
{
    const Assoc* assoc = find(key ? key : "");
    if (!assoc) return FALSE;
    value = assoc->value;
    return TRUE;
}

BOOL CMapStringToString::RemoveKey(const char* key)
{
    if (!key) key = "";
    for (Assoc** link = bucketOf(key); *link; link = &(*link)->next) {
        Assoc* assoc = *link;
        if (assoc->key != key) continue;
        *link = assoc->next;
        assoc->key.Empty();
        assoc->value.Empty();
        assoc->next = m_freeList;
        m_freeList = assoc;
        --m_count;
        return TRUE;
    }
    return FALSE;
}

void CMapStringToString::RemoveAll()
{
    for (Assoc*& head : m_table) head = nullptr;
    m_freeList = nullptr;
    m_blocks.clear();
    m_count = 0;
}
