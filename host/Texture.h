// A texture the renderer handed out: one or more frames of equal size and
// format, with optional system-memory copies the host can read and write and
// then upload. Results of the update operations: 0 success, -1 a failure the
// texture found, any other value a Direct3D result passed on.
#pragma once

#include <d3d8.h>

#include "String.h"

class Texture {
public:
    virtual ~Texture() {}                                                              // 0
    virtual int UpdateRect(unsigned frame, int left, int top, int right, int bottom,
                           bool keepCopy) = 0;                                         // 1
    virtual int UpdateRectAllFrames(int left, int top, int right, int bottom,
                                    bool keepCopy) = 0;                                // 2
    virtual int UpdateFrame(unsigned frame, bool keepCopy) = 0;                        // 3
    virtual int UpdateAllFrames(bool keepCopy) = 0;                                    // 4
    virtual int UpdateRect(unsigned frame, int left, int top, int right, int bottom) = 0;  // 5
    virtual int UpdateRectAllFrames(int left, int top, int right, int bottom) = 0;     // 6
    virtual int UpdateFrame(unsigned frame) = 0;                                       // 7
    virtual int UpdateAllFrames() = 0;                                                 // 8
    virtual void* GetFrameData(unsigned frame) = 0;                                    // 9
    virtual void* GetData() = 0;                                                       // 10
    virtual unsigned GetCurrentFrame() = 0;                                            // 11
    virtual bool IsPlaying() = 0;                                                      // 12
    virtual void SetPlaying(bool playing) = 0;                                         // 13
    virtual void SetFrame(unsigned frame) = 0;                                         // 14
    virtual void SetLooping(bool looping) = 0;                                         // 15
    virtual bool IsLooping() = 0;                                                      // 16
    virtual unsigned GetWidth() = 0;                                                   // 17
    virtual unsigned GetHeight() = 0;                                                  // 18
    virtual unsigned GetPitch() = 0;                                                   // 19
    virtual unsigned GetBytesPerPixel() = 0;                                           // 20
    virtual D3DFORMAT GetFormat() = 0;                                                 // 21
    virtual unsigned GetFrameCount() = 0;                                              // 22
    virtual bool HasMipmaps() = 0;                                                     // 23
    virtual const unsigned short* GetFrameDurations() = 0;                             // 24
    virtual unsigned GetRowCount() = 0;                                                // 25
    virtual unsigned GetRowLength() = 0;                                               // 26
    virtual unsigned GetBlockWidth() = 0;                                              // 27
    virtual unsigned GetBlockHeight() = 0;                                             // 28
    virtual String GetFileName() = 0;                                                  // 29
    virtual unsigned AddRef() = 0;                                                     // 30
    virtual unsigned Release() = 0;                                                    // 31
    virtual unsigned GetRefCount() = 0;                                                // 32
    virtual void SetPixel(unsigned x, unsigned y, unsigned argb, unsigned frame) = 0;  // 33
    virtual unsigned GetPixel(unsigned x, unsigned y, unsigned frame) = 0;             // 34
};
