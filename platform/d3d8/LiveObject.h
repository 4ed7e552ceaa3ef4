// Reference counting shared by every runtime object. A COM reference (the
// count AddRef/Release report) and a binding hold (a device's SetTexture,
// SetStreamSource, SetIndices, SetRenderTarget) each keep the object in
// memory; only COM references keep its device alive and make it "live".
#pragma once

#include <windows.h>

#include <string>

namespace orvd3d8 {

class LiveObject {
public:
    LiveObject();
    virtual ~LiveObject();
    LiveObject(const LiveObject&) = delete;
    LiveObject& operator=(const LiveObject&) = delete;

    ULONG AddPublic();
    ULONG ReleasePublic();
    ULONG PublicRefs() const { return m_Refs; }
    void Hold();
    void Unhold();

    // What LiveObjectDescriptions() prints, without the reference count.
    virtual std::string Describe() const = 0;
    // False for surfaces that share their container's count.
    virtual bool Counted() const { return true; }
    // The device whose Reset this object blocks while referenced: default-pool
    // resources live in their device's video memory.
    virtual const void* DefaultPoolDevice() const { return nullptr; }

protected:
    // The count went 0 → 1 (also at creation) / 1 → 0.
    virtual void OnFirstReference() {}
    virtual void OnLastReference() {}
    // Objects start with one COM reference; subclasses call this at the end of
    // their construction so that OnFirstReference runs on a complete object.
    void StartLife();

private:
    void DestroyIfUnused();

    ULONG m_Refs = 0;
    ULONG m_Holds = 0;
};

}  // namespace orvd3d8
