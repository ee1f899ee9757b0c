#pragma once

#include <windows.h>

#include <string>

// A string in the class library's style, UTF-8 inside.
class CString {
public:
    CString() = default;
    CString(const char* psz) : m_str(psz == nullptr ? "" : psz) {}

    // An unknown id leaves the string empty and gives FALSE.
    BOOL LoadString(UINT nID);

    BOOL IsEmpty() const { return m_str.empty() ? TRUE : FALSE; }
    operator const char*() const { return m_str.c_str(); }

private:
    std::string m_str;
};
