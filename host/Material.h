// How the following draws are shaded: lighting colours, culling, blending,
// depth state and an ordered list of layers. The depth comparison is a
// CompareFunc (EngineNumbering.h).
#pragma once

#include "Color.h"
#include "EngineNumbering.h"

class OML;
class MaterialLayer;
class Texture;

class Material {
public:
    virtual ~Material() {}                                         // 1
    virtual bool LoadFromFile(const char* path) = 0;               // 2
    virtual bool ReadFrom(OML* tag) = 0;                           // 3
    virtual bool SaveToFile(const char* path) = 0;                 // 4
    virtual bool WriteTo(OML* tag) = 0;                            // 5
    virtual int AddRef() = 0;                                      // 6
    virtual int Release() = 0;                                     // 7
    virtual int GetRefCount() = 0;                                 // 8
    virtual void SetAmbient(float r, float g, float b) = 0;        // 9
    virtual Color GetAmbient() = 0;                                // 10
    virtual void SetDiffuse(float r, float g, float b) = 0;        // 11
    virtual Color GetDiffuse() = 0;                                // 12
    virtual void SetSpecular(float r, float g, float b) = 0;       // 13
    virtual Color GetSpecular() = 0;                               // 14
    virtual void SetEmissive(float r, float g, float b) = 0;       // 15
    virtual Color GetEmissive() = 0;                               // 16
    virtual void SetShininess(float power) = 0;                    // 17
    virtual float GetShininess() = 0;                              // 18
    virtual void SetFrameBlend(bool blend) = 0;                    // 19
    virtual bool GetFrameBlend() = 0;                              // 20
    virtual void SetCulling(bool culling) = 0;                     // 21
    virtual bool GetCulling() = 0;                                 // 22
    virtual void SetZFunc(int func) = 0;                           // 23
    virtual int GetZFunc() = 0;                                    // 24
    virtual void SetZWrite(bool write) = 0;                        // 25
    virtual bool GetZWrite() = 0;                                  // 26
    virtual MaterialLayer* AddLayer() = 0;                         // 27
    virtual MaterialLayer* AddLayer(Texture* texture) = 0;         // 28
    virtual MaterialLayer* AddLayer(const char* textureFile) = 0;  // 29
    virtual int GetLayerCount() = 0;                               // 30
    virtual MaterialLayer* GetLayer(int index) = 0;                // 31
    virtual bool RemoveLayer(MaterialLayer* layer) = 0;            // 32
    virtual bool RemoveLayerAt(int index) = 0;                     // 33
    virtual bool RemoveAllLayers() = 0;                            // 34
};
