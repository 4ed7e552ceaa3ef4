// The host's text string: a heap copy of a NUL-terminated byte string.
#pragma once

#include "KernelApi.h"

class ORVKERNEL_API String {
public:
    String();
    String(const char* text);
    String(const String& other);
    String(String&& other) noexcept;
    ~String();

    String& operator=(const String& other);
    String& operator=(String&& other) noexcept;
    String& operator=(const char* text);
    String& operator+=(const String& other);

    const char* c_str() const;
    unsigned Length() const;
    bool IsEmpty() const;

    // Byte-wise comparison: negative, 0 or positive like strcmp.
    int Compare(const String& other) const;
    // The same ignoring ASCII letter case; 0 when the two are equal.
    int CompareIC(const String& other) const;
    bool operator==(const String& other) const { return Compare(other) == 0; }
    bool operator!=(const String& other) const { return Compare(other) != 0; }

    // printf-style construction.
    static String Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

private:
    char* m_pText;  // never null: an empty string is a shared ""
    unsigned m_Length;
};
