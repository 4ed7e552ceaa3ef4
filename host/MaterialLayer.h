// One texture stage's worth of a material. Values are the engine's own
// enumerations (EngineNumbering.h: TextureOp, TextureArg, BlendFactor,
// TextureAddress).
#pragma once

#include "EngineNumbering.h"
#include "String.h"

class Texture;

class MaterialLayer {
public:
    virtual ~MaterialLayer() {}                          // 1
    virtual void SetSrcBlend(int blend) = 0;             // 2
    virtual int GetSrcBlend() = 0;                       // 3
    virtual void SetDestBlend(int blend) = 0;            // 4
    virtual int GetDestBlend() = 0;                      // 5
    virtual void SetAlphaArg1(int argument) = 0;         // 6
    virtual void SetAlphaArg2(int argument) = 0;         // 7
    virtual int GetAlphaArg1() = 0;                      // 8
    virtual int GetAlphaArg2() = 0;                      // 9
    virtual void SetColorArg1(int argument) = 0;         // 10
    virtual void SetColorArg2(int argument) = 0;         // 11
    virtual int GetColorArg1() = 0;                      // 12
    virtual int GetColorArg2() = 0;                      // 13
    virtual void SetColorOp(int operation) = 0;          // 14
    virtual int GetColorOp() = 0;                        // 15
    virtual void SetAlphaOp(int operation) = 0;          // 16
    virtual int GetAlphaOp() = 0;                        // 17
    virtual void SetAddressing(int addressing) = 0;      // 18
    virtual int GetAddressing() = 0;                     // 19
    virtual void SetLighting(bool lighting) = 0;         // 20
    virtual bool GetLighting() = 0;                      // 21
    virtual Texture* GetTexture() = 0;                   // 22
    virtual String GetTextureName() = 0;                 // 23
    virtual bool SetTexture(Texture* texture) = 0;       // 24
    virtual bool LoadTexture(const char* path) = 0;      // 25
    virtual bool ReleaseTexture() = 0;                   // 26
};
