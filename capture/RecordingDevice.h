// Records the host's session at the driver's interface: every operation with
// its arguments and results, and the objects the driver hands out wrapped in
// recording objects. Destroying it destroys the driver and ends the capture.
#pragma once

#include <memory>

#include "capture/SessionRecorder.h"
#include "host/RenderDevice.h"

namespace orvcapture {

class RecordingDevice : public RenderDevice, public Recorded {
public:
    static constexpr Interface kKind = Interface::Device;
    // Takes the session; `inner` is the driver CreatePlugin made.
    RecordingDevice(std::unique_ptr<SessionRecorder> session, RenderDevice* inner);
    ~RecordingDevice() override;
    const void* HostPointer() const override { return static_cast<const RenderDevice*>(this); }

    bool Shutdown() override;
    unsigned GetAdapterCount() override;
    bool GetAdapterInfo(unsigned adapter, AdapterInfo* info) override;
    unsigned GetDisplayModeCount(unsigned adapter) override;
    bool GetDisplayModeInfo(unsigned adapter, unsigned index, DisplayMode* mode) override;
    bool ValidateDisplayMode(const DisplayMode* mode) override;
    bool SetDisplayMode(unsigned width, unsigned height, unsigned bitsPerPixel, unsigned refreshRate, unsigned adapter, bool windowed) override;
    bool SetDisplayMode(const DisplayMode* mode) override;
    bool CloseDisplay() override;
    DisplayMode* GetDisplayMode(DisplayMode* mode) override;
    bool ResetDevice() override;
    unsigned long ToD3DColor(const Color& colour) override;
    Color FromD3DColor(unsigned long argb) override;
    void SetWorldMatrix(const Matrix3D* m) override;
    Matrix3D GetWorldMatrix() override;
    void SetViewMatrix(const Matrix3D* m) override;
    Matrix3D GetViewMatrix() override;
    void SetProjectionMatrix(const Matrix3D* m) override;
    Matrix3D GetProjectionMatrix() override;
    Matrix3D BuildPerspectiveMatrix(float fovY, float aspect) override;
    Matrix3D BuildOrthoMatrix(float width, float height) override;
    bool BeginScene() override;
    bool EndScene() override;
    bool Clear(bool colour, bool depth, bool stencil) override;
    void SetClearColor(unsigned long argb) override;
    void SetClearDepth(float depth) override;
    void SetClearStencil(unsigned long stencil) override;
    void SetViewport(int left, int right, int top, int bottom) override;
    bool SaveScreenShot(const char* fileName) override;
    void SetDefaultStates() override;
    void SetRenderState(unsigned state, unsigned value) override;
    void SetShadeMode(unsigned mode) override;
    void SetFillMode(unsigned mode) override;
    void SetCullMode(unsigned mode) override;
    void SetZEnable(bool enable) override;
    bool GetZEnable() override;
    void SetZFunc(unsigned func) override;
    void SetAlphaBlendEnable(bool enable) override;
    bool GetAlphaBlendEnable() override;
    void SetSrcBlend(unsigned blend) override;
    void SetDestBlend(unsigned blend) override;
    void SetLighting(bool enable) override;
    void SetAmbient(unsigned long argb) override;
    void SetLight(unsigned index, const LightDesc* light) override;
    void EnableLight(unsigned index, bool enable) override;
    Material* LoadMaterial(const char* path) override;
    Material* CreateMaterial() override;
    bool ReleaseMaterial(Material* material) override;
    bool SetMaterial(Material* material) override;
    Material* GetMaterial() override;
    void SetTextureBitDepth(unsigned bits) override;
    unsigned GetTextureBitDepth() override;
    void SetTextureFilter(unsigned filter) override;
    unsigned GetTextureFilter() override;
    void SetOptionA(bool value) override;
    bool GetOptionA() override;
    void SetOptionB(unsigned value) override;
    unsigned GetOptionB() override;
    void SetOptionC(bool value) override;
    bool GetOptionC() override;
    unsigned GetTriangleCount() override;
    Texture* CreateTexture(unsigned width, unsigned height, bool mipmaps, unsigned frameCount) override;
    Texture* CreateTextureFromFile(const char* fileName, bool mipmaps, bool unique) override;
    Texture* CreateTextureFromFileSequence(const char* fileName, int framesPerSecond, bool mipmaps, bool unique) override;
    bool ReleaseTexture(Texture* texture) override;
    void SetTexture(unsigned stage, Texture* texture) override;
    void SetTextureStageState(unsigned stage, unsigned state, unsigned value) override;
    void DisableTexturing() override;
    bool RenderVertexBuffer(PrimitiveType type, unsigned primitiveCount) override;
    bool RenderVertexBufferEx(PrimitiveType type, int second, unsigned primitiveCount, int fourth) override;
    bool RenderVertices(PrimitiveType type, unsigned primitiveCount, const Vertex* vertices) override;
    bool RenderScreenQuad(ScreenQuad* quad) override;
    VertexBuffer* CreateVertexBuffer(unsigned count, bool dynamic, bool pointSprites) override;
    bool DestroyVertexBuffer(VertexBuffer* buffer) override;
    bool SetVertexBuffer(VertexBuffer* buffer) override;
    IndexBuffer* CreateIndexBuffer(unsigned count, bool dynamic) override;
    bool DestroyIndexBuffer(IndexBuffer* buffer) override;
    bool SetIndexBuffer(IndexBuffer* buffer) override;
    Font* CreateTextFont(const char* typeface, unsigned pointHeight, bool bold, bool italic) override;
    bool DestroyTextFont(Font* font) override;
    ScreenQuad* CreateScreenQuad(RECT rect, unsigned long colour) override;
    bool DestroyScreenQuad(ScreenQuad* quad) override;
    bool PrintText(int x, int y, const char* format, ...) override __attribute__((format(printf, 4, 5)));
    bool DumpRenderStates() override;
    bool DumpTextureStageStates(unsigned stage) override;

private:
    // Records a call that hands out an object of Wrapper's kind.
    template <typename Wrapper, typename Call, typename... A>
    auto HandOut(Operation op, Call&& call, const A&... args) -> decltype(call());
    // Records a call that gives an object back; when it succeeds and
    // `destroys` says the plug-in destroyed it, its wrapper is forgotten.
    template <typename Inner, typename Call>
    bool GiveBack(Operation op, Inner* object, bool destroys, Call&& call);
    // Records a call that takes a matrix or a record by pointer.
    template <typename Record, typename Call>
    void TakeRecord(Operation op, const Record* record, Call&& call);

    std::unique_ptr<SessionRecorder> m_pSession;
    RenderDevice* m_pInner;
};

}  // namespace orvcapture
