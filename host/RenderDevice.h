// The host's renderer interface. The host calls these operations by their
// position in the virtual table, so the order below is the contract.
#pragma once

#include <windows.h>

#include <type_traits>

#include "Color.h"
#include "HostTypes.h"
#include "Matrix3D.h"

class Font;
class IndexBuffer;
class Material;
class ScreenQuad;
class Texture;
class VertexBuffer;

// The RenderDevice layout this header describes, as GetRendererVersion reports it.
constexpr unsigned long kRendererVersion = 257;

class RenderDevice {
public:
    virtual ~RenderDevice() {}                                                          // 0
    virtual bool Shutdown() = 0;                                                        // 1
    virtual unsigned GetAdapterCount() = 0;                                             // 2
    virtual bool GetAdapterInfo(unsigned adapter, AdapterInfo* info) = 0;               // 3
    virtual unsigned GetDisplayModeCount(unsigned adapter) = 0;                         // 4
    virtual bool GetDisplayModeInfo(unsigned adapter, unsigned index, DisplayMode* mode) = 0;  // 5
    virtual bool ValidateDisplayMode(const DisplayMode* mode) = 0;                      // 6
    virtual bool SetDisplayMode(unsigned width, unsigned height, unsigned bitsPerPixel,
                                unsigned refreshRate, unsigned adapter, bool windowed) = 0;  // 7
    virtual bool SetDisplayMode(const DisplayMode* mode) = 0;                           // 8
    virtual bool CloseDisplay() = 0;                                                    // 9
    virtual DisplayMode* GetDisplayMode(DisplayMode* mode) = 0;                         // 10
    virtual bool ResetDevice() = 0;                                                     // 11
    virtual unsigned long ToD3DColor(const Color& colour) = 0;                          // 12
    virtual Color FromD3DColor(unsigned long argb) = 0;                                 // 13
    virtual void SetWorldMatrix(const Matrix3D* m) = 0;                                 // 14
    virtual Matrix3D GetWorldMatrix() = 0;                                              // 15
    virtual void SetViewMatrix(const Matrix3D* m) = 0;                                  // 16
    virtual Matrix3D GetViewMatrix() = 0;                                               // 17
    virtual void SetProjectionMatrix(const Matrix3D* m) = 0;                            // 18
    virtual Matrix3D GetProjectionMatrix() = 0;                                         // 19
    virtual Matrix3D BuildPerspectiveMatrix(float fovY, float aspect) = 0;              // 20
    virtual Matrix3D BuildOrthoMatrix(float width, float height) = 0;                   // 21
    virtual bool BeginScene() = 0;                                                      // 22
    virtual bool EndScene() = 0;                                                        // 23
    virtual bool Clear(bool colour, bool depth, bool stencil) = 0;                      // 24
    virtual void SetClearColor(unsigned long argb) = 0;                                 // 25
    virtual void SetClearDepth(float depth) = 0;                                        // 26
    virtual void SetClearStencil(unsigned long stencil) = 0;                            // 27
    virtual void SetViewport(int left, int right, int top, int bottom) = 0;             // 28
    virtual bool SaveScreenShot(const char* fileName) = 0;                              // 29
    virtual void SetDefaultStates() = 0;                                                // 30
    // States and values in the engine's numbering (EngineNumbering.h): a
    // RenderState with its value, ShadeMode, FillMode, CullMode, CompareFunc,
    // BlendFactor, and below a TextureState with its value.
    virtual void SetRenderState(unsigned state, unsigned value) = 0;                    // 31
    virtual void SetShadeMode(unsigned mode) = 0;                                       // 32
    virtual void SetFillMode(unsigned mode) = 0;                                        // 33
    virtual void SetCullMode(unsigned mode) = 0;                                        // 34
    virtual void SetZEnable(bool enable) = 0;                                           // 35
    virtual bool GetZEnable() = 0;                                                      // 36
    virtual void SetZFunc(unsigned func) = 0;                                           // 37
    virtual void SetAlphaBlendEnable(bool enable) = 0;                                  // 38
    virtual bool GetAlphaBlendEnable() = 0;                                             // 39
    virtual void SetSrcBlend(unsigned blend) = 0;                                       // 40
    virtual void SetDestBlend(unsigned blend) = 0;                                      // 41
    virtual void SetLighting(bool enable) = 0;                                          // 42
    virtual void SetAmbient(unsigned long argb) = 0;                                    // 43
    virtual void SetLight(unsigned index, const LightDesc* light) = 0;                  // 44
    virtual void EnableLight(unsigned index, bool enable) = 0;                          // 45
    virtual Material* LoadMaterial(const char* path) = 0;                               // 46
    virtual Material* CreateMaterial() = 0;                                             // 47
    virtual bool ReleaseMaterial(Material* material) = 0;                               // 48
    virtual bool SetMaterial(Material* material) = 0;                                   // 49
    virtual Material* GetMaterial() = 0;                                                // 50
    virtual void SetTextureBitDepth(unsigned bits) = 0;                                 // 51
    virtual unsigned GetTextureBitDepth() = 0;                                          // 52
    virtual void SetTextureFilter(unsigned filter) = 0;                                 // 53
    virtual unsigned GetTextureFilter() = 0;                                            // 54
    virtual void SetOptionA(bool value) = 0;                                            // 55
    virtual bool GetOptionA() = 0;                                                      // 56
    virtual void SetOptionB(unsigned value) = 0;                                        // 57
    virtual unsigned GetOptionB() = 0;                                                  // 58
    virtual void SetOptionC(bool value) = 0;                                            // 59
    virtual bool GetOptionC() = 0;                                                      // 60
    virtual unsigned GetTriangleCount() = 0;                                            // 61
    virtual Texture* CreateTexture(unsigned width, unsigned height, bool mipmaps,
                                   unsigned frameCount) = 0;                            // 62
    virtual Texture* CreateTextureFromFile(const char* fileName, bool mipmaps,
                                           bool unique) = 0;                            // 63
    virtual Texture* CreateTextureFromFileSequence(const char* fileName, int framesPerSecond,
                                                   bool mipmaps, bool unique) = 0;      // 64
    virtual bool ReleaseTexture(Texture* texture) = 0;                                  // 65
    virtual void SetTexture(unsigned stage, Texture* texture) = 0;                      // 66
    virtual void SetTextureStageState(unsigned stage, unsigned state, unsigned value) = 0;  // 67
    virtual void DisableTexturing() = 0;                                                // 68
    virtual bool RenderVertexBuffer(PrimitiveType type, unsigned primitiveCount) = 0;   // 69
    virtual bool RenderVertexBufferEx(PrimitiveType type, int second, unsigned primitiveCount,
                                      int fourth) = 0;                                  // 70
    virtual bool RenderVertices(PrimitiveType type, unsigned primitiveCount,
                                const Vertex* vertices) = 0;                            // 71
    virtual bool RenderScreenQuad(ScreenQuad* quad) = 0;                                // 72
    virtual VertexBuffer* CreateVertexBuffer(unsigned count, bool dynamic,
                                             bool pointSprites) = 0;                    // 73
    virtual bool DestroyVertexBuffer(VertexBuffer* buffer) = 0;                         // 74
    virtual bool SetVertexBuffer(VertexBuffer* buffer) = 0;                             // 75
    virtual IndexBuffer* CreateIndexBuffer(unsigned count, bool dynamic) = 0;           // 76
    virtual bool DestroyIndexBuffer(IndexBuffer* buffer) = 0;                           // 77
    virtual bool SetIndexBuffer(IndexBuffer* buffer) = 0;                               // 78
    virtual Font* CreateTextFont(const char* typeface, unsigned pointHeight, bool bold,
                                 bool italic) = 0;                                      // 79
    virtual bool DestroyTextFont(Font* font) = 0;                                       // 80
    virtual ScreenQuad* CreateScreenQuad(RECT rect, unsigned long colour) = 0;          // 81
    virtual bool DestroyScreenQuad(ScreenQuad* quad) = 0;                               // 82
    virtual bool PrintText(int x, int y, const char* format, ...)
        __attribute__((format(printf, 4, 5))) = 0;                                      // 83
    virtual bool DumpRenderStates() = 0;                                                // 84
    virtual bool DumpTextureStageStates(unsigned stage) = 0;                            // 85
};

// How a host calls these operations, on both architectures the plug-in is
// built for (x86 and x64 Windows, MinGW-w64 GCC's C++ ABI; a host compiled
// with another C++ ABI cannot use this interface):
// - The virtual table begins with two destructor entries (the complete and
//   the deleting destructor), so the operation in slot N >= 1 is entry N + 1.
// - x86: every operation with a fixed argument list is __thiscall: the object
//   in ECX, the arguments on the stack from right to left, removed by the
//   operation. PrintText takes a variable list and is __cdecl: the object is
//   the first stack argument and the caller removes the arguments.
// - x64: the one Windows x64 convention, the object in RCX.
// - Color and Matrix3D results come back through a hidden pointer the
//   caller passes; bool results are one byte.
// Windows keeps `unsigned long` at 32 bits on both architectures.
constexpr unsigned VirtualTableEntry(unsigned slot) { return slot == 0 ? 0 : slot + 1; }

#if defined(_WIN32)
static_assert(sizeof(unsigned long) == 4 && sizeof(unsigned) == 4 && sizeof(bool) == 1,
              "the operations' words are 32 bits, their flags one byte");
static_assert(sizeof(RECT) == 16 && sizeof(Color) == 16 && sizeof(Matrix3D) == 64,
              "records passed or returned by value");
#endif
#if defined(_WIN32) && defined(__i386__)
#define ORV_HOST_THISCALL __attribute__((thiscall))
static_assert(std::is_same<decltype(&RenderDevice::ValidateDisplayMode),
                           bool (ORV_HOST_THISCALL RenderDevice::*)(const DisplayMode*)>::value,
              "fixed-list operations are __thiscall");
static_assert(std::is_same<decltype(&RenderDevice::GetWorldMatrix),
                           Matrix3D (ORV_HOST_THISCALL RenderDevice::*)()>::value,
              "fixed-list operations are __thiscall");
#else
#define ORV_HOST_THISCALL
#endif

class Kernel;

// The plug-in's exports, looked up by their plain names (no decoration on
// x86 either): C functions with the compiler's default convention (__cdecl
// on x86).
extern "C" {
typedef RenderDevice* (*CreatePluginFunction)(Kernel* kernel);
typedef unsigned long (*GetRendererVersionFunction)();
}
