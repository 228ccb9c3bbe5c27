#include "afx/CString.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

int CString::Compare(const char* text) const
{
    return std::strcmp(m_text.c_str(), text ? text : "");
}

int CString::CompareNoCase(const char* text) const
{
    return lstrcmpiA(m_text.c_str(), text ? text : "");
}

int CString::Find(char ch, int start) const
{
    if (start < 0 || start > GetLength()) return -1;
    size_t at = m_text.find(ch, start);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::Find(const char* sub, int start) const
{
    if (!sub || start < 0 || start > GetLength()) return -1;
    size_t at = m_text.find(sub, start);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(char ch) const
{
    size_t at = m_text.rfind(ch);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

CString CString::Left(int count) const
{
    if (count <= 0) return CString();
    return CString(m_text.substr(0, count));
}

CString CString::Mid(int first) const
{
    return Mid(first, GetLength());
}

CString CString::Mid(int first, int count) const
{
    if (first < 0) first = 0;
    if (first >= GetLength() || count <= 0) return CString();
    return CString(m_text.substr(first, count));
}

CString CString::Right(int count) const
{
    if (count <= 0) return CString();
    if (count >= GetLength()) return *this;
    return CString(m_text.substr(m_text.size() - count));
}

template <typename Change>
static void changeAsciiLetters(std::string& text, Change change)
{
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char byte = static_cast<unsigned char>(text[i]);
        if (IsDBCSLeadByte(byte) && i + 1 < text.size()) {
            ++i;
            continue;
        }
        text[i] = static_cast<char>(change(byte));
    }
}

CString& CString::MakeLower()
{
    changeAsciiLetters(m_text, [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
    return *this;
}

CString& CString::MakeUpper()
{
    changeAsciiLetters(m_text, [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; });
    return *this;
}

static bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

CString& CString::TrimLeft()
{
    size_t first = 0;
    while (first < m_text.size() && isSpace(m_text[first])) ++first;
    m_text.erase(0, first);
    return *this;
}

CString& CString::TrimRight()
{
    size_t end = m_text.size();
    while (end > 0 && isSpace(m_text[end - 1])) --end;
    m_text.erase(end);
    return *this;
}

void CString::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::FormatV(const char* format, va_list args)
{
    va_list counting;
    va_copy(counting, args);
    int needed = std::vsnprintf(nullptr, 0, format, counting);
    va_end(counting);
    if (needed < 0) {
        m_text.clear();
        return;
    }
    std::vector<char> buffer(needed + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    m_text.assign(buffer.data(), needed);
}

char* CString::GetBuffer(int minLength)
{
    if (minLength > GetLength()) m_text.resize(minLength);
    return &m_text[0];
}

void CString::ReleaseBuffer(int newLength)
{
    if (newLength < 0) {
        m_text.resize(std::strlen(m_text.c_str()));
    } else if (static_cast<size_t>(newLength) <= m_text.size()) {
        m_text.resize(newLength);
    }
}

BSTR CString::AllocSysString() const
{
    int wide = MultiByteToWideChar(CP_ACP, 0, m_text.data(), GetLength(), nullptr, 0);
    BSTR result = SysAllocStringLen(nullptr, wide);
    if (result && wide > 0)
        MultiByteToWideChar(CP_ACP, 0, m_text.data(), GetLength(), result, wide);
    return result;
}

CString operator+(const CString& a, const CString& b) { return CString(a.str() + b.str()); }
CString operator+(const CString& a, const char* b) { CString r(a); r += b; return r; }
CString operator+(const char* a, const CString& b) { CString r(a); r += b; return r; }
CString operator+(const CString& a, char b) { CString r(a); r += b; return r; }
CString operator+(char a, const CString& b) { CString r(a); r += b; return r; }
