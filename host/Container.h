// The host's list of untyped pointers. It never owns what it points to.
#pragma once

#include "KernelApi.h"

class ORVKERNEL_API Container {
public:
    Container();
    ~Container();
    Container(const Container&) = delete;
    Container& operator=(const Container&) = delete;

    void PushEnd(void* element);
    // Starts an iteration: the first element, or null when empty.
    void* Rewind();
    // The element after the one last returned by Rewind or Next, or null.
    void* Next();
    // Index of the first occurrence, or -1.
    int Find(void* element) const;
    // Removes the element at index; false when there is none.
    bool Remove(int index);
    int Count() const;
    // The element at index, or null when the index is out of range.
    void* ElementAt(int index) const;
    // Empties the list.
    void Reset();

private:
    void** m_pElements;
    int m_Count;
    int m_Capacity;
    int m_Cursor;  // index of the element Next returns
};
