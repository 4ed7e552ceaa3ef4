#include "host/String.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "TextFormat.h"

namespace {

char kEmpty[] = "";

char* Copy(const char* text, unsigned length) {
    if (length == 0) return kEmpty;
    char* copy = static_cast<char*>(std::malloc(length + 1));
    if (!copy) std::abort();
    std::memcpy(copy, text, length + 1);
    return copy;
}

void Free(char* text) {
    if (text != kEmpty) std::free(text);
}

unsigned LengthOf(const char* text) { return text ? static_cast<unsigned>(std::strlen(text)) : 0; }

int LowerAscii(unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }

}  // namespace

String::String() : m_pText(kEmpty), m_Length(0) {}

String::String(const char* text) : m_Length(LengthOf(text)) { m_pText = Copy(text, m_Length); }

String::String(const String& other)
    : m_pText(Copy(other.m_pText, other.m_Length)), m_Length(other.m_Length) {}

String::String(String&& other) noexcept : m_pText(other.m_pText), m_Length(other.m_Length) {
    other.m_pText = kEmpty;
    other.m_Length = 0;
}

String::~String() { Free(m_pText); }

String& String::operator=(const String& other) {
    if (this != &other) *this = String(other);
    return *this;
}

String& String::operator=(String&& other) noexcept {
    std::swap(m_pText, other.m_pText);
    std::swap(m_Length, other.m_Length);
    return *this;
}

String& String::operator=(const char* text) {
    // Copy first: text may point into this string.
    return *this = String(text);
}

String& String::operator+=(const String& other) {
    if (other.m_Length == 0) return *this;
    unsigned length = m_Length + other.m_Length;
    char* joined = static_cast<char*>(std::malloc(length + 1));
    if (!joined) std::abort();
    std::memcpy(joined, m_pText, m_Length);
    std::memcpy(joined + m_Length, other.m_pText, other.m_Length + 1);
    Free(m_pText);
    m_pText = joined;
    m_Length = length;
    return *this;
}

const char* String::c_str() const { return m_pText; }
unsigned String::Length() const { return m_Length; }
bool String::IsEmpty() const { return m_Length == 0; }

int String::Compare(const String& other) const { return std::strcmp(m_pText, other.m_pText); }

int String::CompareIC(const String& other) const {
    const unsigned char* a = reinterpret_cast<const unsigned char*>(m_pText);
    const unsigned char* b = reinterpret_cast<const unsigned char*>(other.m_pText);
    for (;; ++a, ++b) {
        int difference = LowerAscii(*a) - LowerAscii(*b);
        if (difference != 0 || *a == 0) return difference;
    }
}

String String::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = FormatText(format, args);
    va_end(args);
    return String(text.c_str());
}
