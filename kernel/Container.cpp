#include "host/Container.h"

#include <cstdlib>
#include <cstring>

Container::Container() : m_pElements(nullptr), m_Count(0), m_Capacity(0), m_Cursor(0) {}

Container::~Container() { std::free(m_pElements); }

void Container::PushEnd(void* element) {
    if (m_Count == m_Capacity) {
        int capacity = m_Capacity == 0 ? 8 : m_Capacity * 2;
        void* grown = std::realloc(m_pElements, sizeof(void*) * static_cast<size_t>(capacity));
        if (!grown) std::abort();
        m_pElements = static_cast<void**>(grown);
        m_Capacity = capacity;
    }
    m_pElements[m_Count++] = element;
}

void* Container::Rewind() {
    m_Cursor = 0;
    return Next();
}

void* Container::Next() {
    if (m_Cursor >= m_Count) return nullptr;
    return m_pElements[m_Cursor++];
}

int Container::Find(void* element) const {
    for (int i = 0; i < m_Count; ++i)
        if (m_pElements[i] == element) return i;
    return -1;
}

// Removing at or before the element Next would return keeps the iteration on
// the same following element, so callers may remove what they just visited.
bool Container::Remove(int index) {
    if (index < 0 || index >= m_Count) return false;
    std::memmove(m_pElements + index, m_pElements + index + 1,
                 sizeof(void*) * static_cast<size_t>(m_Count - index - 1));
    --m_Count;
    if (index < m_Cursor) --m_Cursor;
    return true;
}

int Container::Count() const { return m_Count; }

void* Container::ElementAt(int index) const {
    return index >= 0 && index < m_Count ? m_pElements[index] : nullptr;
}

void Container::Reset() {
    m_Count = 0;
    m_Cursor = 0;
}
