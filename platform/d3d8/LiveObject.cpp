#include "LiveObject.h"

#include "Runtime.h"

namespace orvd3d8 {

LiveObject::LiveObject() { Runtime::Get().Register(this); }

LiveObject::~LiveObject() { Runtime::Get().Unregister(this); }

void LiveObject::StartLife() {
    m_Refs = 1;
    OnFirstReference();
}

ULONG LiveObject::AddPublic() {
    if (++m_Refs == 1) OnFirstReference();
    return m_Refs;
}

ULONG LiveObject::ReleasePublic() {
    if (m_Refs == 0) return 0;
    ULONG remaining = --m_Refs;
    if (remaining == 0) {
        // Keep this object in memory while its last-reference work (which may
        // destroy the device that binds it) runs.
        ++m_Holds;
        OnLastReference();
        --m_Holds;
        DestroyIfUnused();
    }
    return remaining;
}

void LiveObject::Hold() { ++m_Holds; }

void LiveObject::Unhold() {
    if (m_Holds == 0) return;
    --m_Holds;
    DestroyIfUnused();
}

void LiveObject::DestroyIfUnused() {
    if (m_Refs == 0 && m_Holds == 0) delete this;
}

}  // namespace orvd3d8
