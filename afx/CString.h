// ANSI multibyte text, value semantics, in the shape the support classes expect.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <string>

class CString {
public:
    CString() = default;
    CString(const char* text) : m_text(text ? text : "") {}
    CString(const char* text, int length) : m_text(text ? text : "", text && length > 0 ? length : 0) {}
    CString(char ch, int repeat = 1) : m_text(repeat > 0 ? repeat : 0, ch) {}
    CString(const std::string& text) : m_text(text) {}

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    char GetAt(int index) const { return m_text.at(index); }
    char operator[](int index) const { return GetAt(index); }
    operator const char*() const { return m_text.c_str(); }

    CString& operator=(const char* text) { m_text = text ? text : ""; return *this; }
    CString& operator=(char ch) { m_text.assign(1, ch); return *this; }
    CString& operator+=(const CString& other) { m_text += other.m_text; return *this; }
    CString& operator+=(const char* text) { if (text) m_text += text; return *this; }
    CString& operator+=(char ch) { m_text += ch; return *this; }

    int Compare(const char* text) const;          // strcmp order
    int CompareNoCase(const char* text) const;    // lstrcmpiA order

    // Byte positions; -1 when absent.
    int Find(char ch, int start = 0) const;
    int Find(const char* sub, int start = 0) const;
    int ReverseFind(char ch) const;

    CString Left(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Right(int count) const;

    // Letters of ASCII only, as the C locale does; both bytes of a double-byte
    // character are left alone.
    CString& MakeLower();
    CString& MakeUpper();
    CString& TrimLeft();   // blanks, tabs, line ends
    CString& TrimRight();

    void Format(const char* format, ...);
    void FormatV(const char* format, va_list args);

    // A writable buffer of at least minLength characters; ReleaseBuffer takes the
    // text up to its first null (or newLength bytes).
    char* GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

    // A new BSTR holding the text converted from the ANSI code page; the caller frees it.
    BSTR AllocSysString() const;

    const std::string& str() const { return m_text; }

private:
    std::string m_text;
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, const char* b);
CString operator+(const char* a, const CString& b);
CString operator+(const CString& a, char b);
CString operator+(char a, const CString& b);

inline bool operator==(const CString& a, const CString& b) { return a.str() == b.str(); }
inline bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
inline bool operator==(const char* a, const CString& b) { return b.Compare(a) == 0; }
inline bool operator!=(const CString& a, const CString& b) { return !(a == b); }
inline bool operator!=(const CString& a, const char* b) { return !(a == b); }
inline bool operator!=(const char* a, const CString& b) { return !(b == a); }
inline bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }
