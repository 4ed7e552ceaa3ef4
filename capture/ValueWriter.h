// Appends a capture's little-endian fields and tagged values to a byte string.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

#include <windows.h>

#include "capture/CaptureFormat.h"
#include "host/Color.h"
#include "host/HostTypes.h"
#include "host/Matrix3D.h"

namespace orvcapture {

// An object as a value: its capture-local number, and whether the plug-in
// handed it out just now.
struct ObjectValue {
    uint32_t number = 0;
    bool isNew = false;
};

class ValueWriter {
public:
    explicit ValueWriter(std::string* out) : m_pOut(out) {}

    // Tagged values written so far.
    unsigned Count() const { return m_Count; }

    void Byte(uint8_t value) { m_pOut->push_back(static_cast<char>(value)); }
    void Word16(uint16_t value) { Raw(&value, 2); }
    void Word32(uint32_t value) { Raw(&value, 4); }
    void Raw(const void* data, size_t size) { m_pOut->append(static_cast<const char*>(data), size); }
    void Sized(const void* data, uint32_t size) {
        Word32(size);
        Raw(data, size);
    }

    // Tagged values.
    void Put(uint32_t value) { Tagged(ValueTag::U32, value); }
    void Put(unsigned long value) { Put(static_cast<uint32_t>(value)); }
    void Put(int32_t value) { Tagged(ValueTag::I32, static_cast<uint32_t>(value)); }
    void Put(long value) { Put(static_cast<int32_t>(value)); }
    void Put(float value) {
        uint32_t bits;
        std::memcpy(&bits, &value, 4);
        Tagged(ValueTag::F32, bits);
    }
    void Put(bool value) {
        ++m_Count;
        Byte(static_cast<uint8_t>(ValueTag::Bool));
        Byte(value ? 1 : 0);
    }
    void Put(const char* text) {
        if (!text) return PutPointer(nullptr);
        const size_t length = std::strlen(text);
        PutText(text, length < kMaxValueBytes ? length : kMaxValueBytes);
    }
    void PutText(const char* text, size_t length) {
        ++m_Count;
        Byte(static_cast<uint8_t>(ValueTag::Text));
        Sized(text, static_cast<uint32_t>(length));
    }
    void PutBytes(const void* data, size_t size) {
        ++m_Count;
        Byte(static_cast<uint8_t>(ValueTag::Bytes));
        Sized(data, static_cast<uint32_t>(size));
    }
    void PutPointer(const void* pointer) {
        ++m_Count;
        Byte(static_cast<uint8_t>(ValueTag::Pointer));
        Byte(pointer ? 1 : 0);
    }
    void Put(ObjectValue object) {
        Tagged(object.isNew ? ValueTag::NewObject : ValueTag::Object, object.number);
    }
    template <typename Enum, typename = std::enable_if_t<std::is_enum<Enum>::value>>
    void Put(Enum value) { Put(static_cast<uint32_t>(value)); }
    // Records: their fields in order.
    void Put(const Color& colour) { Put(colour.r), Put(colour.g), Put(colour.b), Put(colour.a); }
    void Put(const Matrix3D& matrix) {
        for (const auto& row : matrix.m)
            for (float value : row) Put(value);
    }
    void Put(const RECT& rect) {
        Put(static_cast<int32_t>(rect.left)), Put(static_cast<int32_t>(rect.top));
        Put(static_cast<int32_t>(rect.right)), Put(static_cast<int32_t>(rect.bottom));
    }
    void Put(const DisplayMode& mode) {
        Put(mode.adapter), Put(mode.width), Put(mode.height), Put(mode.refreshRate);
        Put(mode.bitsPerPixel), Put(mode.windowed);
    }

private:
    void Tagged(ValueTag tag, uint32_t bits) {
        ++m_Count;
        Byte(static_cast<uint8_t>(tag));
        Word32(bits);
    }

    std::string* m_pOut;
    unsigned m_Count = 0;
};

}  // namespace orvcapture
