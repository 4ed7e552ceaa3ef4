// The plug-in's texture: a list of frames of equal size and format, each a
// managed-pool Direct3D texture, with optional system-memory copies of their
// top levels that the host reads and writes and then uploads. Several frames
// play as an animation chosen from the millisecond clock at every bind.
#pragma once

#include <d3d8.h>

#include <cstdint>

#include "host/String.h"
#include "host/Texture.h"
#include "host/HostTypes.h"

class D3DDriver;
class File;
class Kernel;

class D3DTexture : public Texture {
public:
    D3DTexture(Kernel* kernel, D3DDriver* driver);
    ~D3DTexture() override;
    D3DTexture(const D3DTexture&) = delete;
    D3DTexture& operator=(const D3DTexture&) = delete;

    // ---- Texture -------------------------------------------------------------
    int UpdateRect(unsigned frame, int left, int top, int right, int bottom,
                   bool keepCopy) override;
    int UpdateRectAllFrames(int left, int top, int right, int bottom, bool keepCopy) override;
    int UpdateFrame(unsigned frame, bool keepCopy) override;
    int UpdateAllFrames(bool keepCopy) override;
    int UpdateRect(unsigned frame, int left, int top, int right, int bottom) override;
    int UpdateRectAllFrames(int left, int top, int right, int bottom) override;
    int UpdateFrame(unsigned frame) override;
    int UpdateAllFrames() override;
    void* GetFrameData(unsigned frame) override;
    void* GetData() override;
    unsigned GetCurrentFrame() override;
    bool IsPlaying() override;
    void SetPlaying(bool playing) override;
    void SetFrame(unsigned frame) override;
    void SetLooping(bool looping) override;
    bool IsLooping() override;
    unsigned GetWidth() override { return m_Width; }
    unsigned GetHeight() override { return m_Height; }
    unsigned GetPitch() override { return m_Pitch; }
    unsigned GetBytesPerPixel() override { return m_BytesPerPixel; }
    D3DFORMAT GetFormat() override { return m_Format; }
    unsigned GetFrameCount() override { return m_FrameCount; }
    bool HasMipmaps() override { return m_bMipmaps; }
    const unsigned short* GetFrameDurations() override { return m_FrameDurations; }
    unsigned GetRowCount() override { return m_RowCount; }
    unsigned GetRowLength() override { return m_RowLength; }
    unsigned GetBlockWidth() override { return m_BlockWidth; }
    unsigned GetBlockHeight() override { return m_BlockHeight; }
    String GetFileName() override { return m_FileName; }
    unsigned AddRef() override;
    unsigned Release() override;
    unsigned GetRefCount() override { return m_RefCount; }
    void SetPixel(unsigned x, unsigned y, unsigned argb, unsigned frame) override;
    unsigned GetPixel(unsigned x, unsigned y, unsigned frame) override;

    // ---- Own operations ------------------------------------------------------
    virtual int Create(unsigned width, unsigned height, bool mipmaps, unsigned frameCount,
                       const unsigned short* frameDurations, bool prefer32Bit, bool keepCopy,
                       PixelChannels wanted);
    virtual int LoadFromFile(const char* fileName, int fileType, bool prefer32Bit, bool mipmaps,
                             bool keepCopy);
    virtual int LoadFromFileSequence(const char* fileName, int framesPerSecond, bool prefer32Bit,
                                     bool mipmaps, bool keepCopy);
    virtual bool Bind(unsigned stage);
    virtual unsigned ComputeFrame();

    int LoadZAR(const char* fileName, bool prefer32Bit, bool mipmaps, bool keepCopy);
    void ReleaseResources();
    void EnsureFrameCopy(unsigned frame);
    void EnsureAllFrameCopies();
    void FreeFrameCopy(unsigned frame);
    void FreeAllFrameCopies();

    // Format survey and choice on the driver's current device.
    D3DFORMAT ChooseTextureFormat(bool prefer32Bit, bool needAlpha, PixelChannels wanted);
    bool IsTextureFormatSupported(D3DFORMAT format);
    void EnumerateTextureFormats();

    // A device reset in two halves. The first lets go of the Direct3D frames
    // and remembers how to make the texture again; the second makes it again
    // on the new device: a created texture from its system copies, a loaded
    // one from its file or sequence, with its mip setting and its animation
    // state (looping, playing, paused frame) as they were.
    void ReleaseForReset();
    int ReloadAfterReset(bool prefer32Bit);

    // Loaded by LoadFromFileSequence (of one file or more): its file name is
    // the sequence's first file, and it reloads as a sequence.
    bool IsFileSequence() const { return m_Origin == Origin::Sequence; }

private:
    enum class Origin { None, Created, File, Sequence };

    IDirect3DDevice8* Device() const;
    // The frame's system copy, allocated when missing: zeroed for the host,
    // left as it is for a loader that fills every byte of it.
    uint8_t* AllocateFrameCopy(unsigned frame, bool zeroed);
    // Replaces the duration table (frameCount entries) and rebuilds the start
    // times and the total; false when the tables cannot be allocated.
    bool SetDurations(const unsigned short* durations, unsigned frameCount);
    void FreeDurations();
    // m_Frames for m_FrameCount frames, each made by the device in m_Format;
    // 0, or the failing result after ReleaseResources.
    int CreateFrames(bool logFormat);
    void ReleaseFrames();
    // Level 0 of one frame into its system copy.
    int ReadBackFrame(unsigned frame);
    // Size, format and the derived rows, blocks and pitch from level 0 of a frame.
    bool DescribeFromFrame(IDirect3DTexture8* frame, D3DSURFACE_DESC* desc);
    void SetShape(unsigned width, unsigned height, D3DFORMAT format);
    int LoadImageFile(const char* fileName, bool keepCopy);
    int LoadImageFrame(const char* fileName, IDirect3DTexture8** frame);
    bool ValidPixel(unsigned x, unsigned y, unsigned frame) const;
    unsigned FrameAt(unsigned elapsed) const;
    int FinishZarFrame(File* file, unsigned frame, uint64_t skip);
    // One frame's blocks from the file into level 0 of its Direct3D frame.
    int ReadZarBlocks(File* file, unsigned frame);

    unsigned m_Width;
    unsigned m_RowLength;
    unsigned m_RowCount;
    unsigned m_BlockWidth;
    unsigned m_BlockHeight;
    unsigned m_Height;
    unsigned m_BytesPerPixel;
    unsigned m_Pitch;
    D3DFORMAT m_Format;
    unsigned m_FrameCount;
    uint8_t** m_FrameCopies;
    unsigned short* m_FrameDurations;
    unsigned* m_FrameStartTimes;
    unsigned m_PausedFrame;
    unsigned m_StartTick;
    unsigned m_TotalDuration;
    IDirect3DTexture8** m_Frames;
    Kernel* m_pKernel;
    D3DDriver* m_pDriver;
    bool m_bMipmaps;
    bool m_bAnimated;
    bool m_bPlaying;
    bool m_bLooping;
    bool m_bKeepCopy;
    unsigned m_RefCount;
    String m_FileName;

    // What a device reset needs to make the texture again.
    Origin m_Origin;
    int m_FramesPerSecond;     // of a sequence
    bool m_bResetMipmaps;      // m_bMipmaps before the reset
    bool m_bResetPlaying;
    bool m_bResetLooping;
    unsigned m_ResetPausedFrame;
    unsigned m_ResetStartTick;
};
