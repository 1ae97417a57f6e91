// Making a light builds each of its expensive parts once (the water's surface, the glyph grid
// and its batch, the glass ball's gradient, the lake's bump map), the stretch setting that the
// player applies right after it included; and the light made so draws, frame for frame, what the
// same light draws when those parts are built once more by hand from the values it ended up with.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "scene/lights/MutableGlassBall.h"
#include "scene/lights/MutableLake.h"
#include "scene/lights/MutableMatrix.h"
#include "scene/lights/MutableRings.h"
#include "tests/scene/lights/LightFixture.h"
#include "tests/support/TestPictures.h"

namespace {

constexpr unsigned kMakingSeed = 7;
constexpr unsigned kFrameSeed = 11;

struct MakingCase {
    const char* name;
    int32_t kind;
    // The slide's values, away from the light's initial ones, so that each would ask for a rebuild.
    std::function<void(SlideRecord&, IDirect3DDevice9*)> settings;
    // What the light has built, and how often.
    std::function<std::string(MutableLight&)> builds;
    const char* once;
    // The parts built again by hand, as the last step of a making that built them last.
    std::function<void(MutableLight&)> rebuild;
};

DS_WaterRingLight& Water(MutableLight& l) { return *static_cast<MutableRings&>(l).light(); }
DS_MatrixLight& Glyphs(MutableLight& l) { return *static_cast<MutableMatrix&>(l).light(); }
DS_GlassBallLight& Ball(MutableLight& l) { return *static_cast<MutableGlassBall&>(l).light(); }
FakeLake2D& Lake(MutableLight& l) { return *static_cast<MutableLake&>(l).light(); }

const MakingCase kCases[] = {
    {"water rings", kSlideRings,
     [](SlideRecord& s, IDirect3DDevice9*) {
         s.levels[0] = 20; // both densities away from the light's own
         s.levels[2] = 10;
         s.levels[3] = 30;
         s.levels[4] = 100;
         s.levels[6] = 20;
     },
     [](MutableLight& l) { return "surface " + std::to_string(Water(l).surface->builds); }, "surface 1",
     [](MutableLight& l) { Water(l).RebuildSurface(); }},
    {"glyph rain", kSlideGlyphs,
     [](SlideRecord& s, IDirect3DDevice9* device) {
         s.resourceRefs[0].name = L"strip.png";
         s.resourceRefs[0].data = PaintedPng(device, 4, 8, [](UINT, UINT) { return 0xFFFFFFFFu; });
         s.levels[0] = 4;
         s.levels[1] = 100;
         s.levels[2] = 5;
         s.levels[3] = 0;
         s.colours[0] = 0x000000FFu;
         s.colours[1] = 0x0000FF00u;
         s.options[0] = 1;
     },
     [](MutableLight& l) {
         return "grid " + std::to_string(Glyphs(l).gridBuilds) + ", batch " + std::to_string(Glyphs(l).batch.Builds());
     },
     "grid 1, batch 1",
     [](MutableLight& l) {
         Glyphs(l).RebuildGrid();
         Glyphs(l).ResizeBatch();
     }},
    {"glass ball", kSlideGlassBall,
     [](SlideRecord& s, IDirect3DDevice9*) {
         s.levels[0] = 50;
         s.levels[1] = 40;
         s.colours[0] = 0x000000FFu; // red above, blue below
         s.colours[1] = 0x00FF0000u;
     },
     [](MutableLight& l) { return "gradient " + std::to_string(Ball(l).gradientBuilds); }, "gradient 1",
     [](MutableLight& l) {
         DS_GlassBallLight& ball = Ball(l);
         ball.BuildGradient();
         ball.backdropQuad.SetTexture(ball.gradient.Get());
     }},
    {"lake", kSlideLake,
     [](SlideRecord& s, IDirect3DDevice9*) {
         s.amount = 0;
         s.levels[0] = 50;
         s.levels[3] = 25; // amplitude and fade both away from the light's zeros
         s.levels[4] = 60;
         s.levels[5] = 100;
         s.options[0] = 1;
     },
     [](MutableLight& l) { return "bump map " + std::to_string(Lake(l).bumpMapBuilds); }, "bump map 1",
     [](MutableLight& l) { Lake(l).RebuildBumpMap(); }},
};

class LightMakingTest : public LightTest {
protected:
    std::unique_ptr<MutableLight> Make(const MakingCase& c)
    {
        auto slide = Slide(Picture(64, 48, 0xFF3080C0u, 0xFFC08030u), c.kind);
        c.settings(*slide, device());
        slides_.push_back(std::move(slide)); // the light keeps pointing into its slide
        std::srand(kMakingSeed);
        std::unique_ptr<MutableLight> light(CreateMutableLight(slides_.back().get()));
        if (light)
            light->SetStretch(1);
        return light;
    }

    // Three frames of the light, from the same random numbers every time.
    PixelImage Frames(MutableLight& light)
    {
        std::srand(kFrameSeed);
        for (int i = 0; i < 3; ++i)
            DrawFrameAt(light, 0.4f * float(i), nullptr, i == 0);
        return ReadBackBuffer();
    }

private:
    std::vector<std::unique_ptr<SlideRecord>> slides_;
};

TEST_F(LightMakingTest, EachPartIsBuiltOnceAndDrawsAsIfBuiltLast)
{
    for (const MakingCase& c : kCases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<MutableLight> once = Make(c);
        ASSERT_TRUE(once);
        EXPECT_EQ(c.once, c.builds(*once));
        const PixelImage made = Frames(*once);

        std::unique_ptr<MutableLight> again = Make(c);
        ASSERT_TRUE(again);
        std::srand(kMakingSeed);
        c.rebuild(*again);
        const PixelImage rebuilt = Frames(*again);
        ASSERT_EQ(rebuilt.pixels.size(), made.pixels.size());
        size_t differing = 0;
        for (size_t i = 0; i < made.pixels.size(); ++i)
            differing += ((made.pixels[i] ^ rebuilt.pixels[i]) & 0x00FFFFFFu) != 0;
        EXPECT_EQ(0u, differing) << "pixels the light made once draws otherwise";
        once->ReleaseDeviceResources();
        again->ReleaseDeviceResources();
    }
}

} // namespace
