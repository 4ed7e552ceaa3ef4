// The plug-in's texture: a list of frames of equal size and format, each a
// managed-pool Direct3D texture, with optional system-memory copies of their
// top levels that the host reads and writes and then uploads. Several frames
// play as an animation chosen from the millisecond clock at every bind.
#pragma once

#include <d3d8.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "host/String.h"
#include "host/Texture.h"
#include "host/HostTypes.h"

class DriverServices;
class File;
class Kernel;

class D3DTexture : public Texture {
public:
    // More frames than this cannot be timed in 32-bit milliseconds (each lasts
    // up to 65535 ms) and are refused.
    static constexpr unsigned kMostFrames = 0xFFFF;

    D3DTexture(Kernel* kernel, DriverServices* driver);
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
    unsigned GetFrameCount() override { return FrameCount(); }
    bool HasMipmaps() override { return m_bMipmaps; }
    // Null when the texture is not animated.
    const unsigned short* GetFrameDurations() override {
        return m_FrameDurations.empty() ? nullptr : m_FrameDurations.data();
    }
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

    // Gives back the one Direct3D reference a frame holds.
    struct ReleaseD3DTexture {
        void operator()(IDirect3DTexture8* texture) const { texture->Release(); }
    };
    // One frame: its Direct3D texture, and the system copy of its top level
    // (m_RowCount x m_Pitch bytes) while it has one. The frame's time slot
    // is in m_FrameDurations, which the host reads as one table.
    struct Frame {
        std::unique_ptr<IDirect3DTexture8, ReleaseD3DTexture> texture;
        std::unique_ptr<uint8_t[]> copy;
    };
    // The animation clock: whether it runs and repeats, the frame shown while
    // it is paused, and the tick at which the cycle started.
    struct AnimationState {
        bool playing = true;
        bool looping = true;
        unsigned pausedFrame = 0;
        unsigned startTick = 0;
    };
    enum class SizeCheck { Fits, NotPowerOfTwo, TooLarge };
    // What a ZAR file's header and duration table say of the frames after them.
    struct ZarLayout;

    IDirect3DDevice8* Device() const;
    unsigned FrameCount() const { return static_cast<unsigned>(m_Frames.size()); }
    bool IsAnimated() const { return !m_FrameDurations.empty(); }
    // The Direct3D frames exist (all of them or none between operations).
    bool HasD3DFrames() const { return !m_Frames.empty() && m_Frames.front().texture; }
    // count empty frame records after the Direct3D frames are released;
    // false when they cannot be allocated.
    bool SetFrameCount(unsigned count);
    // A texture's size against the power-of-two rule and the device's limits.
    SizeCheck CheckSize(unsigned width, unsigned height) const;
    // ChooseTextureFormat, asked again at the other bit depth when the first
    // finds nothing; D3DFMT_UNKNOWN when neither does.
    D3DFORMAT ChooseFormatAtEitherDepth(bool prefer32Bit, bool needAlpha, PixelChannels wanted);
    // The frame's system copy, allocated when missing: zeroed for the host,
    // left as it is for a loader that fills every byte of it.
    uint8_t* AllocateFrameCopy(unsigned frame, bool zeroed);
    // Replaces the duration table (frameCount entries, each `uniform`
    // without durations) and sums the total; false when it cannot be
    // allocated.
    bool SetDurations(const unsigned short* durations, unsigned frameCount,
                      unsigned short uniform = 0);
    // Every frame made by the device in m_Format; 0, or the failing result
    // with the frames made so far left for the caller to release.
    int CreateFrames(bool logFormat);
    // The Direct3D frames, in order; the records and their copies stay.
    void ReleaseFrames();
    // Rows of a frame's system copy from `offset` into level 0 (the whole
    // level, or `area`), then the mip chain and the copy's release.
    int UploadRows(unsigned frame, const RECT* area, size_t offset, size_t rowBytes,
                   unsigned rows, bool keepCopy);
    // Level 0 of one frame into its system copy.
    int ReadBackFrame(unsigned frame);
    // Reads level 0's description (size and format) of a frame; false when
    // the device gives none. SetShape derives the rows, blocks and pitch.
    bool DescribeFromFrame(IDirect3DTexture8* frame, D3DSURFACE_DESC* desc);
    void SetShape(unsigned width, unsigned height, D3DFORMAT format);
    int LoadImageFile(const char* fileName, bool keepCopy);
    // The image loader's texture for one frame from a file.
    int LoadImageFrame(const char* fileName, unsigned frame);
    bool ValidPixel(unsigned x, unsigned y, unsigned frame) const;
    unsigned FrameAt(unsigned elapsed) const;
    // The ZAR loader's steps: the header and durations, the format the
    // frames are made in, and the frames' contents (blocks as they are, or
    // converted pixels).
    int ReadZarHeader(File* file, ZarLayout* layout) const;
    D3DFORMAT ChooseZarFormat(const ZarLayout& layout, bool prefer32Bit);
    int ReadZarBlocks(File* file, const ZarLayout& layout);
    int ConvertZarFrames(File* file, const ZarLayout& layout);

    unsigned m_Width;
    unsigned m_RowLength;
    unsigned m_RowCount;
    unsigned m_BlockWidth;
    unsigned m_BlockHeight;
    unsigned m_Height;
    // Bytes of a pixel; for the DXT formats, of a 4x4 block (the element of
    // a row of m_RowLength, as GetFormatSize gives them).
    unsigned m_BytesPerPixel;
    unsigned m_Pitch;
    D3DFORMAT m_Format;
    std::vector<Frame> m_Frames;
    // Display time of each frame in milliseconds; empty when the texture is
    // not animated. A frame's slot starts at the sum of the ones before it.
    std::vector<unsigned short> m_FrameDurations;
    unsigned m_TotalDuration;
    AnimationState m_Animation;
    Kernel* m_pKernel;
    DriverServices* m_pDriver;
    bool m_bMipmaps;
    bool m_bKeepCopy;
    unsigned m_RefCount;
    String m_FileName;

    // What a device reset needs to make the texture again.
    Origin m_Origin;
    int m_FramesPerSecond;     // of a sequence
    bool m_bResetMipmaps;      // m_bMipmaps before the reset
    AnimationState m_ResetAnimation;
};
