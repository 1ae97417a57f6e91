// Device tests of the light modes: a fresh 256 × 192 device, a document resource manager made
// current (with its cache), picture fixtures made in memory, and one frame drawn the way the
// player draws it.
#pragma once

#include <d3d9.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <ostream>
#include <vector>

#include "document/DocResManager.h"
#include "document/SceneDoc.h"
#include "scene/constructors/DS_BaseSpriteProp.h"
#include "scene/lights/MutableLight.h"
#include "scene/objects/DS_ABObj.h"
#include "scene/objects/DS_Sprite.h"
#include "scene/render/ScreenQuad.h"
#include "scene/render/StateValues.h"
#include "tests/support/DeviceFixture.h"

using Bytes = std::vector<uint8_t>;

// Whole-pixel rectangle [x0, x1) × [y0, y1).
struct PixelRect {
    int x0, y0, x1, y1;
    bool Holds(int x, int y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
};

// A letterbox layout on the fixture's back buffer: the pixels the picture covers, and the black
// bars drawn over it and around it.
struct LetterboxCase {
    const char* name;
    UINT pictureWidth, pictureHeight;
    int stretch;
    PixelRect picture;
    std::vector<PixelRect> bars;
};
void PrintTo(const LetterboxCase& c, std::ostream* os);

// Every pixel of `image` against the case: black inside a bar, `pictureRgb` inside the picture,
// magenta (the clear colour) elsewhere. The first few wrong pixels are reported as failures;
// returns how many were wrong.
int CountWrongLetterboxPixels(const PixelImage& image, const LetterboxCase& c, uint32_t pictureRgb);

// A runtime object that writes down each renderer it is drawn with.
class RendererRecordingObject : public DS_ABObj {
public:
    explicit RendererRecordingObject(std::vector<DS_ABRender*>* seen) : DS_ABObj(nullptr), seen_(seen) {}
    void Render(DS_ABRender* renderer) override { seen_->push_back(renderer); }
    void RenderSelection(DS_ABRender*, int) override {}
    void Update(float) override {}
    void SyncViewParams() override {}

private:
    std::vector<DS_ABRender*>* seen_;
};

// A sprite kind whose sprites stay where they are put.
class ParkedSpriteKind : public DS_BaseSpriteProp {
public:
    SpriteVec3 at;

    DS_BaseSpriteProp* Clone() const override { return new ParkedSpriteKind(*this); }
    void InitSprite(DS_Sprite* sprite) override { sprite->position = at; }
    bool Write(DS_IOF_Virtual*) override { return true; }
};

// The light CreateMutableLight makes for `slide`, as the mode class Mode; null, with a failure
// reported, when it makes another mode.
template <class Mode>
std::unique_ptr<Mode> CreateModeLight(const SlideRecord& slide)
{
    std::unique_ptr<MutableLight> light(CreateMutableLight(&slide));
    Mode* mode = dynamic_cast<Mode*>(light.get());
    EXPECT_NE(nullptr, mode) << "kind " << slide.kind << " makes another light mode";
    if (mode)
        light.release();
    return std::unique_ptr<Mode>(mode);
}

// State read-backs (0xDEAD when the device does not answer) and one colour channel (0 blue,
// 1 green, 2 red) of 0x00RRGGBB. A float state's bits: FloatBits (scene/render/StateValues.h).
DWORD TextureStageStateOf(IDirect3DDevice9* device, DWORD stage, D3DTEXTURESTAGESTATETYPE state);
DWORD SamplerStateOf(IDirect3DDevice9* device, DWORD sampler, D3DSAMPLERSTATETYPE state);
inline int Channel(uint32_t rgb, int c) { return int((rgb >> (8 * c)) & 0xFF); }

class LightTest : public DeviceTest {
protected:
    static constexpr uint32_t kMagenta = 0xFF00FF;

    void SetUp() override;
    void TearDown() override;

    // A PNG picture, the top half `top`, the bottom half `bottom` (0xAARRGGBB).
    Bytes Picture(UINT width, UINT height, D3DCOLOR top, D3DCOLOR bottom);
    Bytes Picture(UINT width, UINT height, D3DCOLOR colour) { return Picture(width, height, colour, colour); }

    // The picture `png` under `key` in the document's resources, as a texture of one frame.
    void PutPicture(const ResKey& key, const Bytes& png);

    // A slide of the given kind showing `picture` (embedded bytes).
    std::unique_ptr<SlideRecord> Slide(const Bytes& picture, int32_t kind = kSlidePicture);

    // A description of one opaque sprite of `size` picture pixels centred on (x, y), showing the
    // document's picture under `key`.
    ParkedSpriteKind* Sprite(float x, float y, unsigned int size, const ResKey& key);
    // A solid picture under `key` in the document's resources.
    void PutPicture(const ResKey& key, D3DCOLOR argb);

    // One frame as the player draws it: BeginFrame, DrawObjects, EndFrame, DrawFadeQuad.
    // The back buffer is cleared to magenta first when `clear` is set.
    void DrawFrame(MutableLight& light, DS_ScreenQuad* fade, bool clear);
    // The same at a given time: the objects' application time and the light's time are `time`.
    void DrawFrameAt(MutableLight& light, float time, DS_ScreenQuad* fade, bool clear);
    // One frame at light time t on a magenta back buffer, read back.
    PixelImage FrameAt(MutableLight& light, float t, DS_ScreenQuad* fade = nullptr);
    // Two frames (the first on a magenta back buffer), so the second shows the steady state.
    void DrawTwoFrames(MutableLight& light, DS_ScreenQuad* fade = nullptr);

    std::unique_ptr<DS_DocResManager> manager;
    float objectTime = 0.0f; // application time of the next frame; each frame adds 10 ms
};
