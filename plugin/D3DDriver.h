// The renderer the host talks to: one object per plug-in instance, implementing
// every RenderDevice operation on top of a Direct3D 8 device, and the services
// the resource kinds it makes use of it (device/DriverServices.h).
#pragma once

#include <d3d8.h>

#include <string>
#include <unordered_map>
#include <unordered_set>

#include "device/DriverServices.h"
#include "host/Container.h"
#include "host/HostTypes.h"
#include "host/Matrix3D.h"
#include "host/RenderDevice.h"
#include "state/RenderStateTranslator.h"

class D3DTexture;
class Kernel;
class MaterialPasses;

class D3DDriver final : public RenderDevice, public DriverServices {
public:
    explicit D3DDriver(Kernel* kernel);
    ~D3DDriver() override;
    D3DDriver(const D3DDriver&) = delete;
    D3DDriver& operator=(const D3DDriver&) = delete;

    // Creates the Direct3D object; false (and one log line) when the runtime
    // cannot give one.
    bool Initialize();
    void DestroyAllTextures();
    void DestroyAllMaterials();
    unsigned GetMaxActiveLights() const { return m_MaxActiveLights; }

    // ---- DriverServices (the device, the Direct3D object, the kernel, the
    // translator and the caps are its members; HoldsTexture is the registry's)
    void BufferReplaced(VertexBuffer* buffer) override;
    void BufferReplaced(IndexBuffer* buffer) override;

    // ---- RenderDevice --------------------------------------------------------
    bool Shutdown() override;
    unsigned GetAdapterCount() override;
    bool GetAdapterInfo(unsigned adapter, AdapterInfo* info) override;
    unsigned GetDisplayModeCount(unsigned adapter) override;
    bool GetDisplayModeInfo(unsigned adapter, unsigned index, DisplayMode* mode) override;
    bool ValidateDisplayMode(const DisplayMode* mode) override;
    bool SetDisplayMode(unsigned width, unsigned height, unsigned bitsPerPixel,
                        unsigned refreshRate, unsigned adapter, bool windowed) override;
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
    // The state setters are on every draw's and material's path: the
    // services' own, defined there, so that the driver's callers and the
    // resource kinds reach the device directly.
    void SetRenderState(unsigned state, unsigned value) override {
        DriverServices::SetRenderState(state, value);
    }
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
    Texture* CreateTexture(unsigned width, unsigned height, bool mipmaps,
                           unsigned frameCount) override;
    Texture* CreateTextureFromFile(const char* fileName, bool mipmaps, bool unique) override;
    Texture* CreateTextureFromFileSequence(const char* fileName, int framesPerSecond,
                                           bool mipmaps, bool unique) override;
    bool ReleaseTexture(Texture* texture) override;
    void SetTexture(unsigned stage, Texture* texture) override;
    void SetTextureStageState(unsigned stage, unsigned state, unsigned value) override {
        DriverServices::SetTextureStageState(stage, state, value);
    }
    void DisableTexturing() override;
    bool RenderVertexBuffer(PrimitiveType type, unsigned primitiveCount) override;
    bool RenderVertexBufferEx(PrimitiveType type, int second, unsigned primitiveCount,
                              int fourth) override;
    bool RenderVertices(PrimitiveType type, unsigned primitiveCount,
                        const Vertex* vertices) override;
    bool RenderScreenQuad(ScreenQuad* quad) override;
    VertexBuffer* CreateVertexBuffer(unsigned count, bool dynamic, bool pointSprites) override;
    bool DestroyVertexBuffer(VertexBuffer* buffer) override;
    bool SetVertexBuffer(VertexBuffer* buffer) override;
    IndexBuffer* CreateIndexBuffer(unsigned count, bool dynamic) override;
    bool DestroyIndexBuffer(IndexBuffer* buffer) override;
    bool SetIndexBuffer(IndexBuffer* buffer) override;
    Font* CreateTextFont(const char* typeface, unsigned pointHeight, bool bold,
                         bool italic) override;
    bool DestroyTextFont(Font* font) override;
    ScreenQuad* CreateScreenQuad(RECT rect, unsigned long colour) override;
    bool DestroyScreenQuad(ScreenQuad* quad) override;
    bool PrintText(int x, int y, const char* format, ...) override
        __attribute__((format(printf, 4, 5)));
    bool DumpRenderStates() override;
    bool DumpTextureStageStates(unsigned stage) override;

    // ---- Texture registry ----------------------------------------------------
    // One entry of the registry: the file name as the caller gave it (empty
    // for created textures), the texture, and the name's key in the name
    // index (set when the entry is registered).
    struct TextureEntry {
        String fileName;
        Texture* texture;
        std::string nameKey;
    };
    // The first entry whose name equals `name` ignoring case, or null.
    TextureEntry* FindTextureByName(const String& name);
    // The entry holding `texture`, or null (for a unique texture too).
    TextureEntry* FindTextureEntry(Texture* texture);
    // True when the texture is one this driver holds, registered or unique;
    // otherwise one log line naming the refusing operation. A pointer the
    // host kept after the texture was destroyed is refused without being
    // touched.
    bool HoldsTexture(Texture* texture, const char* operation) override;

private:

    bool CreateDevice(UINT adapter, D3DDEVTYPE type);
    // True where the host passed null for the record an operation reads or
    // fills, with one log line "D3DDriver::operation: no what.".
    bool RefusesNull(const void* record, const char* operation, const char* what);
    // Untranslated render state, for the typed setters and getters.
    void SetRawRenderState(D3DRENDERSTATETYPE state, DWORD value) {
        if (m_pStateTranslator) m_pStateTranslator->SetRawRenderState(state, value);
    }
    DWORD GetRawRenderState(D3DRENDERSTATETYPE state) const;
    // The two halves of a device reset for the registered textures: drop
    // their Direct3D resources, then load them again on the new device.
    void ReleaseTextureResources();
    // CreateTextureFromFile (framesPerSecond 0) and CreateTextureFromFileSequence.
    Texture* LoadTexture(const char* fileName, int framesPerSecond, bool mipmaps, bool unique);
    bool ReloadTextures();
    bool CaptureFrontBuffer(const char* fileName);
    // ---- Materials ----
    // True when the material is in the driver's list; otherwise one log line
    // naming the refusing operation.
    bool HoldsMaterial(Material* material, const char* operation);
    // Puts a new material into the list; false (and one log line naming the
    // operation) when memory runs out.
    bool AddMaterial(Material* material, const char* operation);
    // Lets go of one reference to a material the driver holds, destroying it
    // with the last.
    void DropMaterialReference(Material* material);
    // ---- Texture registry (D3DDriverTextures.cpp) ----
    // Enter a texture with its entry, or a unique texture (entry null), into
    // the lists and their indexes; false when memory runs out, with nothing
    // entered.
    bool RegisterTexture(D3DTexture* texture, TextureEntry* entry);
    // Takes a texture out of the lists and indexes and destroys it (and its
    // entry).
    void DestroyTexture(Texture* texture, TextureEntry* entry);
    // A name's key in the name index: the name as String::CompareIC sees it,
    // ASCII capitals as small letters and every other byte as it is.
    static void MakeNameKey(const String& name, std::string* key);

    // ---- Geometry (D3DDriverGeometry.cpp) ------------------------------------
    // Issues draw() once, or once per pass of the current material after the
    // pass is applied; adds `triangles` to the scene's count after every draw
    // that succeeds. The first failure is logged with `failure` (one "%s" for
    // the result's name) and ends the loop.
    template <typename Draw>
    bool DrawEachPass(Draw draw, const char* failure, unsigned triangles);
    // Stream 0 as it was before a user-pointer draw, which leaves it unbound;
    // the buffer comes with a reference that RestoreStreamZero gives back.
    struct StreamBinding {
        IDirect3DVertexBuffer8* buffer;
        UINT stride;
    };
    StreamBinding SaveStreamZero();
    void RestoreStreamZero(const StreamBinding& binding);
    // The buffer the host has bound (null for none), remembered and, with a
    // display, put on stream 0 or the indices as the Direct3D buffer it holds
    // now.
    void BindVertexBuffer(VertexBuffer* buffer);
    void BindIndexBuffer(IndexBuffer* buffer);
    // Tests make a pass source current without a material object.
    friend class DrawPassTestAccess;

    bool m_bInitialised;
    DisplayMode m_DisplayMode;
    D3DPRESENT_PARAMETERS m_PresentParams;
    D3DCOLOR m_ClearColor;
    float m_ClearDepth;
    DWORD m_ClearStencil;
    Matrix3D m_ViewMatrix;
    Matrix3D m_WorldMatrix;
    Matrix3D m_ProjectionMatrix;
    VertexBuffer* m_pVertexBuffer;
    IndexBuffer* m_pIndexBuffer;
    Material* m_pMaterial;
    // The pass operations of the current material: null exactly when
    // m_pMaterial is; the draws split into its passes.
    MaterialPasses* m_pMaterialPasses;
    unsigned m_TextureBitDepth;
    unsigned m_TextureFilter;
    unsigned m_OptionB;
    bool m_OptionA;
    bool m_OptionC;
    Container m_Textures;   // of TextureEntry*, owned
    Container m_Materials;  // of Material*, owned
    // Textures handed out with unique = true: not shared by name, but held
    // here so that their release honours their count, a reset brings them
    // back and the driver's end destroys them.
    Container m_UniqueTextures;  // of D3DTexture*, owned
    // Indexes beside the lists, which keep their order: every texture the
    // driver holds with its entry (null for a unique one) and the device its
    // frames were made on, the first entry of each name in registry order
    // (several created textures share the empty name), and every material.
    // They make the checks of the pointers the host hands in, and the lookup
    // by name, take constant time.
    struct HeldTexture {
        TextureEntry* entry;
        // Not owned: the texture's frames hold it alive. A display switch
        // leaves the frames on the old device until ResetDevice reloads them.
        IDirect3DDevice8* device;
    };
    std::unordered_map<const Texture*, HeldTexture> m_TextureIndex;
    std::unordered_map<std::string, TextureEntry*> m_TextureNames;  // by MakeNameKey
    std::string m_LookupKey;  // the key of the name looked up last, kept to spare allocations
    std::unordered_set<const Material*> m_MaterialIndex;
    unsigned m_MaxActiveLights;
    Font* m_pDebugFont;
    Container m_TextLines;  // of TextLine*, owned, first in first out
    unsigned m_TriangleCount;
};
