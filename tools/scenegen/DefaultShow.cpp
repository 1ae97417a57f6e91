#include "tools/scenegen/DefaultShow.h"

#include "document/SceneDoc.h"
#include "scene/constructors/DS_3D_in_2D_array_Constructor.h"
#include "scene/constructors/DS_BirdConstructor.h"
#include "scene/constructors/DS_ButterflyConstructor.h"
#include "scene/constructors/DS_FishConstructor.h"
#include "scene/constructors/DS_FogConstructor.h"
#include "scene/constructors/DS_GhostConstructor.h"
#include "scene/constructors/DS_GodRayConstructor.h"
#include "scene/constructors/DS_LightingConstructor.h"
#include "scene/constructors/DS_SparkleConstructor.h"

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

// --- Sprites of the fish and light kinds (fish, birds, ghosts, fog, sparkles, light rays,
// lightning), in picture pixels of the 1024 × 768 slide pictures. Library pictures 10 to 16.

// A sprite description over library picture `picture`: `count` sprites whose longer side is
// `size` pixels, moving in the view rectangle given as fractions of the picture.
void PlaceSprites(DS_BaseSpriteProp& d, const wchar_t* title, int32_t picture, unsigned count, unsigned size,
                  float left, float right, float top, float bottom)
{
    d.title = title;
    d.pictureKey = LibraryKey(picture);
    d.count.value = count;
    d.size.value = size;
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

// The reef: three slanting light rays from the surface, a shoal of small fish in the open water,
// a few larger ones lower down near the coral, and one pale ghost drifting high in the blue.
void AppendReefSprites(SlidePlan& slide)
{
    DS_GodRayConstructor rays;
    PlaceSprites(rays, L"Light rays", 15, 3, 150, 0.05f, 0.95f, 0.0f, 1.0f);
    rays.rayAngle.value = 100; // lower ends a little to the right, as the picture's own rays lean
    rays.blendMode.value = 1;
    rays.transparency.SetValue(55, nullptr);
    rays.alphaRate = 0.15f;
    rays.alphaMin = 0.25f;
    AppendObject(slide, rays);

    DS_FishConstructor shoal;
    PlaceSprites(shoal, L"Shoal", 10, 7, 84, 0.0f, 1.0f, 0.18f, 0.62f);
    shoal.scaleMin = 0.75f;
    shoal.scaleMax = 1.1f;
    shoal.maxSpeedX = 90.0f;
    shoal.maxSpeedY = 18.0f;
    BeatStrip(shoal, 8.0f);
    AppendObject(slide, shoal);

    DS_FishConstructor large;
    PlaceSprites(large, L"Large fish", 10, 3, 140, 0.0f, 1.0f, 0.55f, 0.8f);
    large.colour.value = Rgb(255, 225, 190);
    large.maxSpeedX = 55.0f;
    large.maxSpeedY = 10.0f;
    BeatStrip(large, 5.0f);
    AppendObject(slide, large);

    DS_GhostConstructor ghost;
    PlaceSprites(ghost, L"Reef ghost", 12, 1, 120, 0.1f, 0.9f, 0.08f, 0.45f);
    ghost.colour.value = Rgb(200, 235, 255);
    ghost.maxSpeedX = 20.0f;
    ghost.maxSpeedY = 10.0f;
    ghost.alphaRate = 0.25f;
    AppendObject(slide, ghost);
}

// The island in the glass ball: gulls gliding over the sea in the sky above the island.
void AppendIslandSprites(SlidePlan& slide)
{
    DS_BirdConstructor gulls;
    PlaceSprites(gulls, L"Gulls", 11, 5, 80, 0.0f, 1.0f, 0.04f, 0.32f);
    gulls.scaleMin = 0.7f;
    gulls.scaleMax = 1.0f;
    gulls.maxSpeedX = 110.0f;
    gulls.maxSpeedY = 25.0f;
    BeatStrip(gulls, 6.0f);
    AppendObject(slide, gulls);
}

// The lake at dusk: fog banks along the far shore, glitter on the water under the sun, and a few
// dark birds against the evening sky.
void AppendLakeSprites(SlidePlan& slide)
{
    DS_FogConstructor fog;
    PlaceSprites(fog, L"Fog over the lake", 13, 5, 520, 0.0f, 1.0f, 0.64f, 0.76f);
    fog.colour.value = Rgb(235, 215, 225); // the evening's pink haze
    fog.transparency.SetValue(55, nullptr);
    fog.maxSpeedX = 10.0f;
    fog.maxSpeedY = 2.0f;
    fog.alphaRate = 0.05f;
    fog.alphaMin = 0.4f;
    AppendObject(slide, fog);

    DS_SparkleConstructor glitter;
    PlaceSprites(glitter, L"Glitter", 14, 24, 22, 0.26f, 0.44f, 0.71f, 0.97f);
    glitter.blendMode.value = 1;
    glitter.colour.value = Rgb(255, 225, 170);
    glitter.alphaRate = 1.6f;
    glitter.scaleMin = 0.6f;
    glitter.scaleMax = 1.2f;
    AppendObject(slide, glitter);

    DS_BirdConstructor birds;
    PlaceSprites(birds, L"Evening birds", 11, 3, 36, 0.0f, 1.0f, 0.08f, 0.4f);
    birds.colour.value = Rgb(55, 45, 70); // dark against the sky
    birds.maxSpeedX = 70.0f;
    birds.maxSpeedY = 15.0f;
    BeatStrip(birds, 5.0f);
    AppendObject(slide, birds);
}

// The night by the fire: sparks glinting above the flames, and now and then a distant flash of
// lightning over the hills, away from the moon.
void AppendFireSprites(SlidePlan& slide)
{
    DS_SparkleConstructor sparks;
    PlaceSprites(sparks, L"Sparks", 14, 40, 20, 0.05f, 0.95f, 0.6f, 0.95f);
    sparks.blendMode.value = 1;
    sparks.colour.value = Rgb(255, 170, 70);
    sparks.alphaRate = 2.2f;
    sparks.scaleMin = 0.6f;
    sparks.scaleMax = 1.4f;
    AppendObject(slide, sparks);

    DS_LightingConstructor lightning;
    PlaceSprites(lightning, L"Distant lightning", 16, 1, 250, 0.03f, 0.6f, 0.2f, 0.56f);
    lightning.colour.value = Rgb(190, 205, 255);
    lightning.transparency.SetValue(25, nullptr);
    lightning.scaleMin = 0.8f;
    lightning.scaleMax = 1.0f;
    AppendObject(slide, lightning);
}

// Each slide below names, under "Objects", what its scene is meant to hold; the object kinds'
// issues add those descriptions there with AppendObject and tune the light's values to them.

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

// Kind 0: a summer meadow in full daylight, the picture alone.
// Objects: butterflies over the flowers, swaying grass and flowers along the bottom edge.
SlidePlan Meadow(Content& content)
{
    SlidePlan slide = Slide(kSlidePicture, L"Summer meadow", content.Picture(L"meadow.png"), 3, 15, 3);
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
// Objects: fish gliding under the surface, leaves drifting down onto it.
SlidePlan Pond(Content& content)
{
    SlidePlan slide = Slide(kSlideRings, L"Pond in the rain", content.Picture(L"pond.png"), 3, 16, 3);
    AppendFallingLeaves(slide);
    uint32_t* l = slide.params.levels;
    l[0] = 0;  // row density: square cells
    l[1] = 40; // height scale 1.8
    l[2] = 50; // column density: 192 columns, fine rings
    l[3] = 24; // drops per minute: one every 2.5 s
    l[4] = 40; // drop strength 0.38
    l[5] = 60; // damping 0.9918: rings spread far before they fade
    l[6] = 30; // refraction depth 0.3
    l[7] = 80; // specular level 0.8
    l[8] = 60; // specular power 48: small, bright glints
    return slide;
}

// Kind 2: the lake valley at dusk (the library's default background), its lower band
// mirrored and rippling. The picture's water line lies at 70 % of its height, so a squeeze of
// 0.30 (amount 40) lays the reflection exactly over its water.
// Objects: fireflies or sparkles over the water, a few birds against the sky.
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
    AppendFireSprites(slide);
    return slide;
}

// Kind 5: northern lights over snowy mountains, with pale green glyphs raining over them.
// Objects: none planned; the glyphs are the light's own.
SlidePlan Glyphs(Content& content)
{
    SlidePlan slide = Slide(kSlideGlyphs, L"Northern lights", content.Picture(L"aurora.png"), 2, 12, 3);
    KindParams& p = slide.params;
    p.refs[0] = content.Ref(L"glyphs.png"); // 32 x 448: 16 glyphs of 28 rows
    p.levels[0] = 16; // glyph size in picture pixels: a 65 x 49 grid
    p.levels[1] = 40; // density: a free column starts a stream once in ten frames
    p.levels[2] = 30; // flickering cells
    p.levels[3] = 35; // transparency: the northern lights stay visible behind the glyphs
    p.colours[0] = Rgb(120, 255, 170); // glyphs: pale green
    p.colours[1] = Rgb(235, 255, 245); // bright heads and flicker cells: near white
    p.options[0] = 2; // streams both scroll and write, at random
    p.options[1] = 0; // the picture shows behind the glyphs
    return slide;
}

} // namespace

const LibraryCopy kLibraryCopies[12] = {
    {5, L"background.png"},   // default background, also the picture light's default key
    {6, L"butterfly.png"},    // butterfly wings and body
    {7, L"flames.png"},       // flame picture
    {8, L"flame_offsets.png"}, // its offset map
    {62, L"haze_bump.png"},   // heat-haze bump map
    {10, L"sprite_fish.png"},      // reef fish, tail-beat strip
    {11, L"sprite_bird.png"},      // gull, wing-beat strip
    {12, L"sprite_ghost.png"},     // ghost
    {13, L"sprite_fog.png"},       // fog patch
    {14, L"sprite_sparkle.png"},   // sparkle glint
    {15, L"sprite_light_ray.png"}, // light ray
    {16, L"sprite_lightning.png"}, // lightning bolt
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
    for (const LibraryCopy& copy : kLibraryCopies) {
        ResourceRef ref(copy.id, kLibraryName);
        content.Load(copy.file, ref.data);
        show.manager.textureSources[LibraryKey(copy.id)].push_back(std::move(ref));
    }
    return content.ok();
}
