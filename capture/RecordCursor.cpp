#include "capture/RecordCursor.h"

#include <cstring>

namespace orvcapture {

bool RecordCursor::Take(void* out, size_t size) {
    if (m_bFailed || size > m_Bytes.size() - m_At) return !(m_bFailed = true);
    std::memcpy(out, m_Bytes.data() + m_At, size);
    m_At += size;
    return true;
}

bool RecordCursor::Byte(uint8_t* value) { return Take(value, 1); }
bool RecordCursor::Word16(uint16_t* value) { return Take(value, 2); }
bool RecordCursor::Word32(uint32_t* value) { return Take(value, 4); }

bool RecordCursor::Sized(std::string* bytes) {
    uint32_t size = 0;
    if (!Word32(&size)) return false;
    if (size > kMaxValueBytes || size > m_Bytes.size() - m_At) return !(m_bFailed = true);
    bytes->assign(m_Bytes, m_At, size);
    m_At += size;
    return true;
}

bool RecordCursor::Value(orvcapture::Value* value, bool* isNew) {
    uint8_t tag = 0;
    *isNew = false;
    *value = orvcapture::Value();
    if (!Byte(&tag)) return false;
    using Kind = orvcapture::Value::Kind;
    switch (static_cast<ValueTag>(tag)) {
        case ValueTag::U32: value->kind = Kind::U32; return Word32(&value->u);
        case ValueTag::I32:
            value->kind = Kind::I32;
            if (!Word32(&value->u)) return false;
            value->i = static_cast<int32_t>(value->u);
            return true;
        case ValueTag::F32:
            value->kind = Kind::F32;
            if (!Word32(&value->u)) return false;
            std::memcpy(&value->f, &value->u, 4);
            return true;
        case ValueTag::Bool: {
            uint8_t flag = 0;
            value->kind = Kind::Bool;
            if (!Byte(&flag) || flag > 1) return !(m_bFailed = true);
            value->u = flag;
            return true;
        }
        case ValueTag::Text: value->kind = Kind::Text; return Sized(&value->text);
        case ValueTag::NewObject: *isNew = true; [[fallthrough]];
        case ValueTag::Object: value->kind = Kind::Object; return Word32(&value->u);
        case ValueTag::Bytes: value->kind = Kind::Bytes; return Sized(&value->text);
        case ValueTag::Pointer: {
            uint8_t flag = 0;
            value->kind = Kind::Pointer;
            if (!Byte(&flag) || flag > 1) return !(m_bFailed = true);
            value->u = flag;
            return true;
        }
    }
    return !(m_bFailed = true);
}

bool RecordCursor::Values(unsigned count, std::vector<orvcapture::Value>* values, std::string* raw,
                          std::vector<bool>* isNew) {
    if (count > kMaxValues) return !(m_bFailed = true);
    values->resize(count);
    isNew->assign(count, false);
    const size_t start = m_At;
    for (unsigned i = 0; i < count; ++i) {
        bool fresh = false;
        if (!Value(&(*values)[i], &fresh)) return false;
        (*isNew)[i] = fresh;
    }
    if (raw) raw->assign(m_Bytes, start, m_At - start);
    return true;
}

}  // namespace orvcapture
