#include "tools/scenegen/DefaultShow.h"

#include "document/SceneDoc.h"
#include "scene/constructors/DS_3D_in_2D_array_Constructor.h"
#include "scene/constructors/DS_BirdConstructor.h"
#include "scene/constructors/DS_ButterflyConstructor.h"
#include "scene/constructors/DS_FishConstructor.h"
#include "scene/constructors/DS_FlowConstructor.h"
#include "scene/constructors/DS_FlowerConstructor.h"
#include "scene/constructors/DS_FogConstructor.h"
#include "scene/constructors/DS_GhostConstructor.h"
#include "scene/constructors/DS_GodRayConstructor.h"
#include "scene/constructors/DS_GrassConstructor.h"
#include "scene/constructors/DS_LightingConstructor.h"
#include "scene/constructors/DS_RainConstructor.h"
#include "scene/constructors/DS_SparkleConstructor.h"
#include "scene/constructors/DS_StatObjConstructor.h"

namespace {

// A colour in the document's layout, 0x00BBGGRR.
constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

ResKey LibraryKey(int32_t id) { return ResKey(kLibraryName, id); }

// Reads the content files a show needs and remembers the first one that is missing.
class Content {
public:
    Content(const ContentReader& read, std::wstring& missing) : read_(read), missing_(missing) {}

    bool ok() const { return missing_.empty(); }

    NamedBlob Picture(const std::wstring& file)
    {
        NamedBlob blob;
        blob.name = file;
        Load(file, blob.data);
        return blob;
    }

    // A reference that carries a picture by name and bytes (no library).
    ResourceRef Ref(const std::wstring& file)
    {
        ResourceRef ref;
        ref.name = file;
        Load(file, ref.data);
        return ref;
    }

    void Load(const std::wstring& file, std::vector<uint8_t>& bytes)
    {
        if (!read_(file, bytes) && missing_.empty())
            missing_ = file;
    }

private:
    const ContentReader& read_;
    std::wstring& missing_;
};

// A copy of a library picture under its library key, for when the library is missing.
void CarryLibraryCopy(Content& content, ManagerPlan& manager, const LibraryCopy& copy)
{
    ResourceRef ref(copy.id, kLibraryName);
    content.Load(copy.file, ref.data);
    manager.textureSources[LibraryKey(copy.id)].push_back(std::move(ref));
}

SlidePlan Slide(int32_t kind, const wchar_t* title, NamedBlob picture, int fadeIn, int hold,
                int fadeOut)
{
    SlidePlan slide;
    slide.kind = kind;
    slide.title = title;
    slide.picture = std::move(picture);
    slide.paramVersion = 2;
    slide.listFormat = 3;
    slide.fadeIn = std::to_wstring(fadeIn);
    slide.hold = std::to_wstring(hold);
    slide.fadeOut = std::to_wstring(fadeOut);
    return slide;
}

// ---- Flows, rain, grass, static pictures and flowers -------------------------------------------
// Positions and sizes are in slide-picture pixels (1024 x 768); the pictures are library ids
// 20 to 27. Each slide below calls its one function from here.

// Library pictures of these kinds.
constexpr int32_t kStonePicture = 20;
constexpr int32_t kBubblePicture = 21;
constexpr int32_t kDaisyPicture = 22;
constexpr int32_t kPoppyPicture = 23;
constexpr int32_t kRainPicture = 24;
constexpr int32_t kSmokePicture = 25;
constexpr int32_t kGrassPicture = 27;

// The copies of them that the document carries, as it carries the lights' (kLibraryCopies).
const LibraryCopy kSpritePictureCopies[] = {
    {kStonePicture, L"stone.png"},          {kBubblePicture, L"bubble.png"},
    {kDaisyPicture, L"daisy.png"},          {kPoppyPicture, L"poppy.png"},
    {kRainPicture, L"rain_streak.png"},     {kSmokePicture, L"smoke_puff.png"},
    {kGrassPicture, L"grass_blade.png"},
};

// What every sprite description of these kinds starts from: a title, a library picture, how
// many sprites and how large (the picture's longer side, in pixels at scale 1).
void SetSprites(DS_BaseSpriteProp& d, const wchar_t* title, int32_t picture, unsigned int count, unsigned int size,
                float scaleMin = 1.0f, float scaleMax = 1.0f)
{
    d.title = title;
    d.pictureKey = LibraryKey(picture);
    d.count.value = count;
    d.size.value = size;
    d.scaleMin = scaleMin;
    d.scaleMax = scaleMax;
}

// A flow rising straight up at `speed` pixels a second between the fractions `left` and
// `right` of the width, swaying by up to 3 × `sway` pixels a second across, re-chosen at most
// `swayFrequency` / 4 times a second. It leaves at the top and comes in again at the bottom.
void SetRising(DS_FlowConstructor& flow, float speed, unsigned int sway, unsigned int swayFrequency, float left,
               float right)
{
    flow.angle.value = 90;
    flow.speed = speed;
    flow.sway.value = sway;
    flow.swayFrequency.value = swayFrequency;
    flow.leftFraction = left;
    flow.rightFraction = right;
}

// A flower of `height` pixels whose stem ends at (x, bottom).
void AppendFlower(SlidePlan& slide, int32_t picture, int32_t x, int32_t bottom, unsigned int height, float amplitude)
{
    DS_FlowerConstructor flower;
    SetSprites(flower, L"flower", picture, 1, height);
    flower.bounds.extra1.value = x;
    flower.bounds.extra2.value = bottom - static_cast<int32_t>(height / 2);
    flower.amplitude = amplitude;
    AppendObject(slide, flower);
}

// The meadow's front: a mossy stone on the left, daisies and poppies, and a fringe of grass
// along the bottom edge that sways in front of them.
void AppendMeadowPlants(SlidePlan& slide)
{
    DS_StatObjConstructor stone;
    SetSprites(stone, L"stone", kStonePicture, 1, 300); // 300 x 150
    stone.bounds.extra1.value = 165;
    stone.bounds.extra2.value = 698;
    AppendObject(slide, stone);

    const struct {
        int32_t picture, x, bottom;
        unsigned int height;
        float amplitude;
    } flowers[] = {
        {kDaisyPicture, 300, 776, 190, 2.0f}, {kPoppyPicture, 360, 780, 160, 2.5f},
        {kDaisyPicture, 610, 774, 150, 1.5f}, {kPoppyPicture, 820, 778, 200, 2.0f},
        {kDaisyPicture, 900, 776, 140, 3.0f},
    };
    for (const auto& f : flowers)
        AppendFlower(slide, f.picture, f.x, f.bottom, f.height, f.amplitude);

    DS_GrassConstructor grass;
    SetSprites(grass, L"grass", kGrassPicture, 70, 120, 0.5f, 1.0f); // blades 15 x 120 at scale 1
    grass.amplitude = 4.0f;
    AppendObject(slide, grass);
}

// Bubbles rising through the reef from the sea floor on the right, wavering as they go.
void AppendReefBubbles(SlidePlan& slide)
{
    DS_FlowConstructor bubbles;
    SetSprites(bubbles, L"bubbles", kBubblePicture, 30, 30, 0.4f, 1.0f);
    SetRising(bubbles, 90.0f, 6, 4, 0.62f, 0.82f);
    bubbles.blendMode.value = 1; // added: a bubble brightens the water behind it
    AppendObject(slide, bubbles);
}

// Rain over the pond, slanting a little, each drop fading in and out.
void AppendPondRain(SlidePlan& slide)
{
    DS_RainConstructor rain;
    SetSprites(rain, L"rain", kRainPicture, 90, 70, 0.5f, 1.0f); // streaks 9 x 70 at scale 1
    rain.angle.value = 265;
    rain.speed = 1400.0f;
    rain.blendMode.value = 1;
    rain.transparency.value = 30; // opacity 178
    rain.alphaRate = 0.8f;
    rain.alphaMin = 0.3f;
    rain.alphaMax = 1.0f;
    AppendObject(slide, rain);
}

// Faint smoke drifting up from the flames.
void AppendFireSmoke(SlidePlan& slide)
{
    DS_FlowConstructor smoke;
    SetSprites(smoke, L"smoke", kSmokePicture, 14, 260, 0.6f, 1.2f);
    SetRising(smoke, 30.0f, 5, 1, 0.08f, 0.92f);
    smoke.transparency.value = 82;           // opacity 46: barely there
    smoke.colour.value = Rgb(200, 170, 150); // lit warm from below
    AppendObject(slide, smoke);
}

// ---- Fish, birds, ghosts, fog, sparkles, light rays and lightning -----------------------------
// Positions and sizes are in slide-picture pixels (1024 x 768); the pictures are library ids
// 10 to 16 (fish_and_light_pictures.py). Each slide below calls its one function from here.

constexpr int32_t kFishPicture = 10;      // four tail-beat frames
constexpr int32_t kBirdPicture = 11;      // four wing-beat frames
constexpr int32_t kGhostPicture = 12;
constexpr int32_t kFogPicture = 13;
constexpr int32_t kSparklePicture = 14;
constexpr int32_t kLightRayPicture = 15;
constexpr int32_t kLightningPicture = 16;

// The copies of them that the document carries, as it carries the lights' (kLibraryCopies).
const LibraryCopy kFishAndLightCopies[] = {
    {kFishPicture, L"sprite_fish.png"},           {kBirdPicture, L"sprite_bird.png"},
    {kGhostPicture, L"sprite_ghost.png"},         {kFogPicture, L"sprite_fog.png"},
    {kSparklePicture, L"sprite_sparkle.png"},     {kLightRayPicture, L"sprite_light_ray.png"},
    {kLightningPicture, L"sprite_lightning.png"},
};

// The view rectangle the sprites move in, as fractions of the picture's width and height.
void SetView(DS_ViewObjCtrl& d, float left, float right, float top, float bottom)
{
    d.leftFraction = left;
    d.rightFraction = right;
    d.topFraction = top;
    d.bottomFraction = bottom;
}

// The fish and bird pictures are strips of four frames: a tail or wing beat `rate` times a second.
void BeatStrip(DS_BaseSpriteProp& d, float rate)
{
    d.stripOn = true;
    d.stripFrameCount = 4;
    d.stripRate = rate;
}

// A wandering kind's top speeds, in pixels a second.
void SetTopSpeeds(DS_FishConstructor& d, float x, float y)
{
    d.maxSpeedX = x;
    d.maxSpeedY = y;
}

// The reef: three slanting light rays from the surface, a shoal of small fish in the open water,
// a few larger ones lower down near the coral, and one pale ghost drifting high in the blue.
void AppendReefSprites(SlidePlan& slide)
{
    DS_GodRayConstructor rays;
    SetSprites(rays, L"Light rays", kLightRayPicture, 3, 150);
    SetView(rays, 0.05f, 0.95f, 0.0f, 1.0f);
    rays.rayAngle.value = 100; // lower ends a little to the right, as the picture's own rays lean
    rays.blendMode.value = 1;
    rays.transparency.SetValue(55, nullptr);
    rays.alphaRate = 0.15f;
    rays.alphaMin = 0.25f;
    AppendObject(slide, rays);

    DS_FishConstructor shoal;
    SetSprites(shoal, L"Shoal", kFishPicture, 7, 84, 0.75f, 1.1f);
    SetView(shoal, 0.0f, 1.0f, 0.18f, 0.62f);
    SetTopSpeeds(shoal, 90.0f, 18.0f);
    BeatStrip(shoal, 8.0f);
    AppendObject(slide, shoal);

    DS_FishConstructor large;
    SetSprites(large, L"Large fish", kFishPicture, 3, 140);
    SetView(large, 0.0f, 1.0f, 0.55f, 0.8f);
    large.colour.value = Rgb(255, 225, 190);
    SetTopSpeeds(large, 55.0f, 10.0f);
    BeatStrip(large, 5.0f);
    AppendObject(slide, large);

    DS_GhostConstructor ghost;
    SetSprites(ghost, L"Reef ghost", kGhostPicture, 1, 120);
    SetView(ghost, 0.1f, 0.9f, 0.08f, 0.45f);
    ghost.colour.value = Rgb(200, 235, 255);
    SetTopSpeeds(ghost, 20.0f, 10.0f);
    ghost.alphaRate = 0.25f;
    AppendObject(slide, ghost);
}

// The island in the glass ball: gulls gliding over the sea in the sky above the island. The
// ball shows the picture's middle (the horizon lies at 56 % of its height), so they keep to the
// band of sky just above the palms.
void AppendIslandSprites(SlidePlan& slide)
{
    DS_BirdConstructor gulls;
    SetSprites(gulls, L"Gulls", kBirdPicture, 5, 120, 0.7f, 1.0f); // the ball shows them smaller
    SetView(gulls, 0.1f, 0.9f, 0.22f, 0.46f);
    SetTopSpeeds(gulls, 110.0f, 25.0f);
    BeatStrip(gulls, 6.0f);
    AppendObject(slide, gulls);
}

// The lake at dusk: fog banks along the far shore, glitter on the water under the sun, and a few
// dark birds against the evening sky.
void AppendLakeSprites(SlidePlan& slide)
{
    DS_FogConstructor fog;
    SetSprites(fog, L"Fog over the lake", kFogPicture, 5, 520);
    SetView(fog, 0.0f, 1.0f, 0.64f, 0.76f);
    fog.colour.value = Rgb(235, 215, 225); // the evening's pink haze
    fog.transparency.SetValue(55, nullptr);
    fog.maxSpeedX = 10.0f;
    fog.maxSpeedY = 2.0f;
    fog.alphaRate = 0.05f;
    fog.alphaMin = 0.4f;
    AppendObject(slide, fog);

    DS_SparkleConstructor glitter;
    SetSprites(glitter, L"Glitter", kSparklePicture, 24, 22, 0.6f, 1.2f);
    SetView(glitter, 0.26f, 0.44f, 0.71f, 0.97f); // the sun's path on the water
    glitter.blendMode.value = 1;
    glitter.colour.value = Rgb(255, 225, 170);
    glitter.alphaRate = 1.6f;
    AppendObject(slide, glitter);

    DS_BirdConstructor birds;
    SetSprites(birds, L"Evening birds", kBirdPicture, 4, 80); // large enough to show wings and head
    SetView(birds, 0.0f, 1.0f, 0.08f, 0.4f);
    birds.colour.value = Rgb(55, 45, 70); // dark against the sky
    SetTopSpeeds(birds, 70.0f, 15.0f);
    BeatStrip(birds, 5.0f);
    AppendObject(slide, birds);
}

// The night by the fire: sparks glinting above the flames, and now and then a distant flash of
// lightning over the hills, away from the moon.
void AppendFireSprites(SlidePlan& slide)
{
    DS_SparkleConstructor sparks;
    SetSprites(sparks, L"Sparks", kSparklePicture, 40, 20, 0.6f, 1.4f);
    SetView(sparks, 0.05f, 0.95f, 0.6f, 0.95f);
    sparks.blendMode.value = 1;
    sparks.colour.value = Rgb(255, 170, 70);
    sparks.alphaRate = 2.2f;
    AppendObject(slide, sparks);

    DS_LightingConstructor lightning;
    SetSprites(lightning, L"Distant lightning", kLightningPicture, 1, 250, 0.8f, 1.0f);
    SetView(lightning, 0.03f, 0.6f, 0.2f, 0.56f);
    lightning.colour.value = Rgb(190, 205, 255);
    lightning.transparency.SetValue(25, nullptr);
    AppendObject(slide, lightning);
}

// Each slide below lists, under "Objects", the object descriptions its scene holds; each is
// added to the slide's object list with AppendObject, and the light's values are tuned to them.

// Five butterflies flitting over the flowers of the meadow's lower half, one and a half times
// the model's size, wings and body from the library's butterfly picture.
void AddMeadowButterflies(SlidePlan& slide)
{
    DS_ButterflyConstructor butterflies;
    butterflies.title = L"Butterflies";
    butterflies.count.value = 5;
    butterflies.size.value = 150;
    butterflies.secondTextureKey = LibraryKey(DS_ButterflyConstructor::kPictureId);
    butterflies.leftFraction = 0.1f;
    butterflies.rightFraction = 0.9f;
    butterflies.topFraction = 0.45f;
    butterflies.bottomFraction = 0.85f;
    AppendObject(slide, butterflies);
}

// Kind 0: a summer meadow in full daylight, the picture drawn as it is.
// Objects: butterflies over the flowers, swaying grass and flowers along the bottom edge, a stone
// among the grass.
SlidePlan Meadow(Content& content)
{
    SlidePlan slide = Slide(kSlidePicture, L"Summer meadow", content.Picture(L"meadow.png"), 3, 15, 3);
    AppendMeadowPlants(slide);
    AddMeadowButterflies(slide);
    return slide;
}

// Kind 6: a small island in a bright sea, inside a glass ball on a wooden stand that sways
// slowly left and right over an evening gradient.
// Objects: gulls over the sea (drawn into the ball with the scene).
SlidePlan GlassBall(Content& content)
{
    SlidePlan slide = Slide(kSlideGlassBall, L"Island in a glass ball",
                            content.Picture(L"island.png"), 3, 18, 3);
    KindParams& p = slide.params;
    p.refs[0] = content.Ref(L"ball_highlight.png"); // overlay 0: highlight and glass rim
    p.refs[1] = content.Ref(L"ball_glint.png");     // overlay 1: glint along the lower right
    p.refs[2] = content.Ref(L"ball_stand.png");     // the stand below the ball
    p.levels[0] = 60; // ball size: the ball and its stand fill most of the screen height
    p.levels[1] = 40; // zoom (halved by the light): the island a fifth larger in the glass
    p.levels[2] = 0;  // scroll speed 1: one swing in 32 seconds
    p.switches[0] = 1; // overlay 1 on
    p.switches[1] = 1; // stand on
    p.switches[2] = 1; // overlay 0 on
    p.colours[0] = Rgb(20, 30, 70);   // gradient top: deep evening blue
    p.colours[1] = Rgb(120, 80, 140); // gradient bottom: mauve
    p.options[0] = 3; // swing
    p.options[1] = 0; // the backdrop is the gradient
    // Lifts the ball a little, so that the stand below it stays on the screen.
    p.pointX = 0;
    p.pointY = -40;
    AppendIslandSprites(slide);
    return slide;
}

// Kind 1: a coral reef under water, wavering as if seen through the water.
// Objects: shoals of fish, rising bubbles, light rays from the surface.
SlidePlan Reef(Content& content)
{
    SlidePlan slide = Slide(kSlideUnderwater, L"Coral reef", content.Picture(L"reef.png"), 3, 18, 3);
    slide.params.speed = 40; // a little slower than normal: calm water
    AppendReefBubbles(slide);
    AppendReefSprites(slide);
    return slide;
}

// Autumn leaves blown across the pond: two drifts of the library's leaf (mesh 70), red
// (picture 30) and golden (picture 31), falling down and a little to the right, tumbling slowly,
// swinging and drifting sideways. At speed 15 a leaf crosses the picture's 768 rows in 8 to 15
// seconds.
void AppendFallingLeaves(SlidePlan& slide)
{
    for (const auto& [picture, count] : {std::pair{30, 8u}, std::pair{31, 6u}}) {
        DS_3D_in_2D_array_Constructor leaves;
        leaves.title = L"Autumn leaves";
        leaves.mesh = ResourceRef(70, kLibraryName);
        leaves.texture = ResourceRef(picture, kLibraryName);
        leaves.count = count;
        leaves.params.size = 72;                 // picture pixels across the bounding sphere
        leaves.params.speed = 15;
        leaves.params.sway = 40;                 // sideways drift up to 0.8 of the fall; swings of 3 to 7 s
        leaves.params.driftChangeFrequency = 20; // a new drift now and then, every 3.3 s at the most
        leaves.params.spin = 40;                 // one turn in 2 to 3 seconds
        leaves.SetAngle(285);                    // down, leaning right
        AppendObject(slide, leaves);
    }
}

// Kind 4: a pond seen from above, pebbles and lily pads under a surface where drops fall.
// Objects: leaves drifting down onto the surface, streaks of rain.
SlidePlan Pond(Content& content)
{
    SlidePlan slide = Slide(kSlideRings, L"Pond in the rain", content.Picture(L"pond.png"), 3, 16, 3);
    uint32_t* l = slide.params.levels;
    l[0] = 0;  // row density: square cells
    l[1] = 100; // height scale 3: steep ring crests that shade the water
    l[2] = 50; // column density: 192 columns, fine rings
    l[3] = 20;  // drops per minute: one every 3 s, a calm rain
    l[4] = 100; // drop strength 0.8: each ring bends the pebbles clearly
    l[5] = 60;  // damping 0.9918: rings spread far before they fade
    l[6] = 100; // refraction depth 1: a ring bends the pebbles under it plainly
    l[7] = 100; // specular level 1: every ring catches the light
    l[8] = 25;  // specular power 20: broad glints that trace the rings
    AppendFallingLeaves(slide);
    AppendPondRain(slide);
    return slide;
}

// Kind 2: the lake valley at dusk (the library's default background), its lower band
// mirrored and rippling. The picture's water line lies at 70 % of its height, so a squeeze of
// 0.30 (amount 40) lays the reflection exactly over its water.
// Objects: fog banks along the far shore, glitter on the water, a few birds against the sky.
SlidePlan Lake(Content& content)
{
    SlidePlan slide = Slide(kSlideLake, L"Lake at dusk", content.Picture(L"background.png"), 3, 16, 3);
    KindParams& p = slide.params;
    p.amount = 40;
    p.speed = 30;                     // slow ripples
    p.colours[0] = Rgb(30, 20, 60);   // shade: the violet of the evening sky
    p.levels[0] = 40;  // shade alpha 0.32 at the bottom of the lake
    p.levels[1] = 8;   // haze band of 8 picture pixels above the water line
    p.levels[2] = 70;  // the shade lightens toward the water line
    p.levels[3] = 25;  // ripple amplitude
    p.levels[4] = 100; // ripples fade out toward the far shore
    p.levels[5] = 100; // bump range
    p.options[0] = 2;  // a 512 x 512 reflection: sharp mirrored hills
    AppendLakeSprites(slide);
    return slide;
}

// Kind 3: a starry night in a forest clearing, a row of flames along the bottom with heat
// haze above them.
// Objects: sparks rising from the fire, drifting smoke.
SlidePlan Fire(Content& content)
{
    SlidePlan slide = Slide(kSlideFire, L"Night by the fire", content.Picture(L"night_fire.png"), 3, 14, 3);
    KindParams& p = slide.params;
    p.amount = 40; // the flames sit low: from 55 % of the picture down past its bottom edge
    p.speed = 50;
    p.fireKeys[0] = LibraryKey(7);  // flame picture
    p.fireKeys[1] = LibraryKey(8);  // its offset map
    p.fireKeys[2] = LibraryKey(62); // heat-haze bump map
    p.fireKeys[3] = LibraryKey(63); // heat-haze effect
    p.switches[0] = 1; // heat haze on
    p.switches[1] = 1; // flames on
    p.levels[0] = 88;  // haze bump scale 0.208
    p.levels[1] = 50;  // haze scroll speed 0.05
    p.levels[2] = 25;  // haze strength 0.05
    AppendFireSmoke(slide);
    AppendFireSprites(slide);
    return slide;
}

// Kind 5: northern lights over snowy mountains, drawn by pale green glyphs raining on black:
// each glyph is as opaque as the picture is bright at its place, so the aurora and the snow
// appear out of the rain.
// Objects: none planned; the glyphs are the light's own.
SlidePlan Glyphs(Content& content)
{
    SlidePlan slide = Slide(kSlideGlyphs, L"Northern lights", content.Picture(L"aurora.png"), 2, 12, 3);
    KindParams& p = slide.params;
    p.refs[0] = content.Ref(L"glyphs.png"); // 32 x 448: 16 glyphs of 28 rows
    p.levels[0] = 12; // glyph size in picture pixels: an 86 x 65 grid
    p.levels[1] = 80; // density: a free column starts a stream once in five frames
    p.levels[2] = 30; // flickering cells
    p.levels[3] = 0;  // transparency: the picture's brightness alone sets each glyph's opacity
    p.colours[0] = Rgb(120, 255, 170); // glyphs: pale green
    p.colours[1] = Rgb(235, 255, 245); // bright heads and flicker cells: near white
    p.options[0] = 2; // streams both scroll and write, at random
    p.options[1] = 1; // black behind the glyphs, which draw the picture
    return slide;
}

} // namespace

const LibraryCopy kLibraryCopies[5] = {
    {5, L"background.png"},   // default background, also the picture light's default key
    {6, L"butterfly.png"},    // butterfly wings and body
    {7, L"flames.png"},       // flame picture
    {8, L"flame_offsets.png"}, // its offset map
    {62, L"haze_bump.png"},   // heat-haze bump map
};

void AppendObject(SlidePlan& slide, DS_IOF_Item& description)
{
    DocumentWriter w;
    description.Write(&w);
    slide.objectBytes.insert(slide.objectBytes.end(), w.bytes.begin(), w.bytes.end());
    ++slide.objectCount;
}

bool BuildDefaultShow(const ContentReader& read, DocumentPlan& show, std::wstring& missing)
{
    missing.clear();
    Content content(read, missing);
    show = DocumentPlan{};
    show.docVersion = 3;

    // From day to night: meadow, island, reef, pond, lake at dusk, fire, northern lights.
    show.slides.push_back(Meadow(content));
    show.slides.push_back(GlassBall(content));
    show.slides.push_back(Reef(content));
    show.slides.push_back(Pond(content));
    show.slides.push_back(Lake(content));
    show.slides.push_back(Fire(content));
    show.slides.push_back(Glyphs(content));

    // The tracks carry their bytes under a path that does not exist where the program runs, so
    // each load writes them to the temporary folder and plays the copies.
    for (const auto& [title, file] : {std::pair{L"Evening pad", L"evening_pad.wav"},
                                      std::pair{L"Night water", L"night_water.wav"}}) {
        SoundPlan sound;
        sound.title = title;
        sound.file.name = std::wstring(L"sounds\\") + file;
        content.Load(file, sound.file.data);
        show.sounds.push_back(std::move(sound));
    }

    // Copies of the library pictures that the lights and objects ask for by key: the library's
    // own picture wins when it is there, the copy stands in when it is not.
    show.manager.version = 3;
    for (const LibraryCopy& copy : kLibraryCopies)
        CarryLibraryCopy(content, show.manager, copy);
    for (const LibraryCopy& copy : kSpritePictureCopies)
        CarryLibraryCopy(content, show.manager, copy);
    for (const LibraryCopy& copy : kFishAndLightCopies)
        CarryLibraryCopy(content, show.manager, copy);
    return content.ok();
}
