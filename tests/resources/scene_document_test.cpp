// The program's embedded scene document, as the build writes it (generated/scene/scene107.dds):
// it loads through the document loader from its bytes, holds one slide for each light kind with
// timings that make a calm show, carries looping sound tracks that become playable WAV files in
// the temporary folder, and a resource manager whose picture copies decode.
#include <windows.h>
#include <d3dx9.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>

#include "document/ComRef.h"
#include "document/CurrentDevice.h"
#include "document/DocResManager.h"
#include "document/SceneDoc.h"
#include "scene/constructors/DS_BaseSpriteProp.h"
#include "scene/constructors/DS_3D_in_2D_array_Constructor.h"
#include "scene/constructors/SceneReaders.h"
#include "tests/resources/PictureChecks.h"
#include "tests/support/DeviceFixture.h"

namespace {

const std::vector<unsigned char>& DocumentBytes()
{
    static const std::vector<unsigned char> bytes =
        ReadFileBytes(ProgramFolder() + L"..\\generated\\scene\\scene107.dds");
    return bytes;
}

// Loads the document into `doc` on whatever device is current (none for the logic tests).
void LoadDocument(SceneDoc& doc)
{
    const std::vector<unsigned char>& bytes = DocumentBytes();
    ASSERT_FALSE(bytes.empty()) << "generated\\scene\\scene107.dds is missing";
    RegisterSceneReaders(); // the slides hold objects of the program's kinds
    ASSERT_TRUE(LoadSceneDocument(bytes.data(), bytes.size(), doc));
}

D3DXIMAGE_INFO ImageInfo(const std::vector<uint8_t>& bytes)
{
    D3DXIMAGE_INFO info = {};
    if (bytes.empty() ||
        FAILED(D3DXGetImageInfoFromFileInMemory(bytes.data(), static_cast<UINT>(bytes.size()), &info)))
        return D3DXIMAGE_INFO{};
    return info;
}

// --- Slides ------------------------------------------------------------------------------------

struct SlideCase {
    int32_t kind;
    int32_t fadeIn;
    int32_t hold;
    int32_t fadeOut;
};

// The show from day to night: meadow, island in a glass ball, reef, pond, lake at dusk, fire,
// northern lights.
const SlideCase kShow[] = {
    {kSlidePicture, 3, 15, 3}, {kSlideGlassBall, 3, 18, 3}, {kSlideUnderwater, 3, 18, 3},
    {kSlideRings, 3, 16, 3},   {kSlideLake, 3, 16, 3},      {kSlideFire, 3, 14, 3},
    {kSlideGlyphs, 2, 12, 3},
};

TEST(SceneDocument, HasOneSlideForEachLightKindWithCalmTimings)
{
    SceneDoc doc;
    ASSERT_NO_FATAL_FAILURE(LoadDocument(doc));
    ASSERT_EQ(std::size(kShow), doc.slideCount);
    std::set<int32_t> kinds;
    for (uint32_t i = 0; i < doc.slideCount; ++i) {
        const SlideRecord& slide = doc.slides[i];
        const SlideCase& expected = kShow[i];
        SCOPED_TRACE("slide " + std::to_string(i));
        EXPECT_EQ(expected.kind, slide.kind);
        EXPECT_EQ(expected.fadeIn, slide.fadeInSeconds);
        EXPECT_EQ(expected.hold, slide.holdSeconds);
        EXPECT_EQ(expected.fadeOut, slide.fadeOutSeconds);
        // A few seconds of fade, ten to twenty of hold.
        EXPECT_TRUE(slide.fadeInSeconds >= 1 && slide.fadeInSeconds <= 5);
        EXPECT_TRUE(slide.fadeOutSeconds >= 1 && slide.fadeOutSeconds <= 5);
        EXPECT_TRUE(slide.holdSeconds >= 10 && slide.holdSeconds <= 20);
        // Each slide carries its own picture, a 4:3 PNG.
        const D3DXIMAGE_INFO info = ImageInfo(slide.picture.data);
        EXPECT_EQ(D3DXIFF_PNG, info.ImageFileFormat);
        EXPECT_EQ(1024u, info.Width);
        EXPECT_EQ(768u, info.Height);
        for (const DS_ABObj_Constructor* object : slide.objects)
            EXPECT_NE(nullptr, object); // every record has a description
        kinds.insert(slide.kind);
    }
    EXPECT_EQ((std::set<int32_t>{0, 1, 2, 3, 4, 5, 6}), kinds);
}

const SlideRecord* FindSlide(const SceneDoc& doc, int32_t kind)
{
    for (uint32_t i = 0; i < doc.slideCount; ++i)
        if (doc.slides[i].kind == kind)
            return &doc.slides[i];
    return nullptr;
}

// The pond: red and golden autumn leaves of the library drift down onto it.
TEST(SceneDocument, LeavesFallOnThePond)
{
    SceneDoc doc;
    ASSERT_NO_FATAL_FAILURE(LoadDocument(doc));
    const SlideRecord* pond = FindSlide(doc, kSlideRings);
    ASSERT_NE(nullptr, pond);
    std::set<int32_t> pictures;
    uint32_t count = 0;
    for (DS_ABObj_Constructor* object : pond->objects) {
        auto* leaves = dynamic_cast<DS_3D_in_2D_array_Constructor*>(object);
        if (!leaves)
            continue;
        EXPECT_EQ(ResourceRef(70, L"common_res.dll").GetKey(), leaves->mesh.GetKey());
        EXPECT_EQ(L"common_res.dll", leaves->texture.libraryName);
        pictures.insert(leaves->texture.resourceId);
        count += leaves->count;
        EXPECT_GT(leaves->params.size, 0u);
        // Falling: the drift points down the screen.
        EXPECT_GT(leaves->params.direction.y, 0.8f);
    }
    EXPECT_EQ((std::set<int32_t>{30, 31}), pictures);
    EXPECT_GE(count, 10u);
}

// The kind parameters stay inside the ranges where the lights are defined and visible.
TEST(SceneDocument, KindParametersAreUsable)
{
    SceneDoc doc;
    ASSERT_NO_FATAL_FAILURE(LoadDocument(doc));

    const SlideRecord* lake = FindSlide(doc, kSlideLake);
    ASSERT_NE(nullptr, lake);
    EXPECT_TRUE(lake->amount >= 0 && lake->amount <= 99); // the squeeze stays between 0 and 0.5
    EXPECT_GT(lake->speed, 0u);

    const SlideRecord* fire = FindSlide(doc, kSlideFire);
    ASSERT_NE(nullptr, fire);
    EXPECT_EQ(1, fire->switches[1]) << "flames off";

    const SlideRecord* rings = FindSlide(doc, kSlideRings);
    ASSERT_NE(nullptr, rings);
    EXPECT_GT(rings->levels[3], 0u) << "no drops after the first";
    EXPECT_EQ(50u, rings->speed);

    const SlideRecord* underwater = FindSlide(doc, kSlideUnderwater);
    ASSERT_NE(nullptr, underwater);
    EXPECT_GT(underwater->speed, 0u);

    // The glyph strip: one glyph wide, cut into h / w + 2 bands of whole pixel rows.
    const SlideRecord* glyphs = FindSlide(doc, kSlideGlyphs);
    ASSERT_NE(nullptr, glyphs);
    EXPECT_LE(glyphs->levels[3], 100u) << "transparency beyond 100 %";
    const D3DXIMAGE_INFO strip = ImageInfo(glyphs->resourceRefs[0].data);
    ASSERT_GT(strip.Width, 0u) << "the glyph strip does not decode";
    const UINT bands = strip.Height / strip.Width + 2;
    EXPECT_EQ(0u, strip.Height % bands) << bands << " bands over " << strip.Height << " rows";

    // The glass ball: its two overlays and its stand are pictures with alpha.
    const SlideRecord* ball = FindSlide(doc, kSlideGlassBall);
    ASSERT_NE(nullptr, ball);
    EXPECT_EQ(50u, ball->speed);
    for (int i = 0; i < 3; ++i) {
        const D3DXIMAGE_INFO overlay = ImageInfo(ball->resourceRefs[i].data);
        EXPECT_EQ(D3DFMT_A8R8G8B8, overlay.Format) << "overlay " << i;
        EXPECT_EQ(1, ball->switches[i]) << "overlay " << i << " off";
    }
    EXPECT_LE(ball->levels[0], 100u);
}

// --- Sounds ------------------------------------------------------------------------------------

struct WaveFile {
    bool ok = false;
    uint16_t format = 0;
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t bits = 0;
    std::vector<int16_t> samples; // 16-bit PCM only
};

// Reads a RIFF WAVE file: the "fmt " and "data" chunks, every chunk inside the file.
WaveFile ReadWave(const std::vector<unsigned char>& bytes)
{
    WaveFile wave;
    auto u32 = [&](size_t at) { uint32_t v; std::memcpy(&v, &bytes[at], 4); return v; };
    auto u16 = [&](size_t at) { uint16_t v; std::memcpy(&v, &bytes[at], 2); return v; };
    if (bytes.size() < 12 || std::memcmp(&bytes[0], "RIFF", 4) != 0 ||
        std::memcmp(&bytes[8], "WAVE", 4) != 0 || u32(4) != bytes.size() - 8)
        return wave;
    bool haveFormat = false;
    bool haveData = false;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const uint32_t size = u32(at + 4);
        if (size > bytes.size() - at - 8)
            return wave;
        if (std::memcmp(&bytes[at], "fmt ", 4) == 0 && size >= 16) {
            wave.format = u16(at + 8);
            wave.channels = u16(at + 10);
            wave.rate = u32(at + 12);
            wave.bits = u16(at + 22);
            haveFormat = true;
        } else if (std::memcmp(&bytes[at], "data", 4) == 0 && haveFormat && wave.bits == 16) {
            wave.samples.resize(size / 2);
            std::memcpy(wave.samples.data(), &bytes[at + 8], wave.samples.size() * 2);
            haveData = true;
        }
        at += 8 + size + (size & 1);
    }
    wave.ok = haveFormat && haveData;
    return wave;
}

// Points the temporary folder (TMP) at a folder of this process's own while it lives: every
// document load writes the tracks there, and tests run side by side in several processes.
class PrivateTempFolder {
public:
    PrivateTempFolder()
    {
        wchar_t base[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, base);
        path_ = std::wstring(base) + L"lw_scene_sounds_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(path_.c_str(), nullptr);
        wchar_t old[MAX_PATH + 1] = {};
        hadOld_ = GetEnvironmentVariableW(L"TMP", old, MAX_PATH) > 0;
        old_ = old;
        SetEnvironmentVariableW(L"TMP", path_.c_str());
    }
    ~PrivateTempFolder()
    {
        SetEnvironmentVariableW(L"TMP", hadOld_ ? old_.c_str() : nullptr);
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((path_ + L"*.wav").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileW((path_ + found.cFileName).c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(path_.c_str());
    }
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
    std::wstring old_;
    bool hadOld_ = false;
};

TEST(SceneDocument, SoundTracksBecomeLoopingWaveFilesInTheTemporaryFolder)
{
    PrivateTempFolder temp;
    SceneDoc doc;
    ASSERT_NO_FATAL_FAILURE(LoadDocument(doc));
    ASSERT_EQ(2u, doc.sounds.size());

    for (const DS_AudioFile* track : doc.sounds) {
        SCOPED_TRACE(std::string(track->title.begin(), track->title.end()));
        EXPECT_FALSE(track->title.empty());
        // The stored path does not exist, so the load wrote the bytes out and moved the path.
        EXPECT_FALSE(track->file.HasBytes());
        EXPECT_EQ(0u, track->file.name.rfind(temp.path(), 0)) << "not in the temporary folder";
        EXPECT_EQ(L".wav", LowerCaseExtension(track->file.name));

        const WaveFile wave = ReadWave(ReadFileBytes(track->file.name));
        ASSERT_TRUE(wave.ok) << "not a readable WAV file";
        EXPECT_EQ(1u, wave.format); // PCM
        EXPECT_GE(wave.channels, 1u);
        EXPECT_GE(wave.rate, 22050u);
        const double seconds = double(wave.samples.size()) / wave.channels / wave.rate;
        EXPECT_TRUE(seconds >= 20.0 && seconds <= 30.0) << seconds << " s";

        // Audible but not clipped, and the loop has no seam: the step from the last sample back
        // to the first is no larger than the steps inside the track.
        int peak = 0;
        int largestStep = 0;
        for (size_t i = 0; i < wave.samples.size(); ++i) {
            peak = std::max(peak, std::abs(int(wave.samples[i])));
            if (i > 0)
                largestStep = std::max(largestStep, std::abs(wave.samples[i] - wave.samples[i - 1]));
        }
        EXPECT_GT(peak, 4000);
        EXPECT_LT(peak, 32767);
        EXPECT_LE(std::abs(wave.samples.front() - wave.samples.back()), largestStep * 3 / 2);
    }
}

// --- Resource manager --------------------------------------------------------------------------

class SceneDocumentOnDevice : public DeviceTest {};

// The manager carries copies of the library pictures the lights ask for by key; each copy
// decodes by itself (the show keeps its pictures without the library), and after the load each
// key has its picture on the device.
TEST_F(SceneDocumentOnDevice, ManagerPicturesDecode)
{
    SceneDoc doc;
    ASSERT_NO_FATAL_FAILURE(LoadDocument(doc));
    ASSERT_NE(nullptr, doc.resources);
    EXPECT_EQ(doc.resources.get(), CurrentDocResManager);
    DocResData& data = doc.resources->data();

    struct Copy {
        int id;
        UINT width;
        UINT height;
    };
    for (const Copy& c : {Copy{5, 1024, 768}, Copy{6, 256, 256}, Copy{7, 512, 256}, Copy{8, 256, 256},
                          Copy{62, 256, 256}, Copy{10, 512, 64}, Copy{11, 256, 64}, Copy{12, 128, 128},
                          Copy{13, 256, 128}, Copy{14, 64, 64}, Copy{15, 64, 256}, Copy{16, 128, 256}}) {
        SCOPED_TRACE("picture " + std::to_string(c.id));
        const ResKey key(L"common_res.dll", c.id);
        const std::vector<ResourceRef>& sources = data.sources[key];
        ASSERT_EQ(1u, sources.size());
        const ResourceRef& copy = sources.front();
        EXPECT_EQ(c.id, copy.resourceId);
        EXPECT_EQ(L"common_res.dll", copy.libraryName);

        ComRef<IDirect3DTexture9> decoded;
        D3DXIMAGE_INFO info = {};
        ASSERT_EQ(D3D_OK, D3DXCreateTextureFromFileInMemoryEx(
                              device(), copy.Bytes(), copy.Size(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0,
                              D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_POINT, D3DX_FILTER_NONE, 0,
                              &info, nullptr, decoded.Out()));
        EXPECT_EQ(c.width, info.Width);
        EXPECT_EQ(c.height, info.Height);

        const TextureAnim& anim = data.textureAnims[key];
        ASSERT_EQ(1u, anim.frames.size());
        EXPECT_NE(nullptr, anim.frames[0].Get());
        EXPECT_EQ(c.width, anim.width);
        EXPECT_EQ(c.height, anim.height);
    }
}

// Every picture the slides carry (backgrounds, glyph strip, glass-ball overlays) makes a texture.
// Each is saved in the test-artifact folder as scene_<slide>_<file>, for a person to look at.
TEST_F(SceneDocumentOnDevice, SlidePicturesDecode)
{
    SceneDoc doc;
    ASSERT_NO_FATAL_FAILURE(LoadDocument(doc));
    size_t count = 0;
    for (uint32_t i = 0; i < doc.slideCount; ++i) {
        std::vector<const NamedBlob*> pictures = {&doc.slides[i].picture};
        for (const ResourceRef& ref : doc.slides[i].resourceRefs)
            if (ref.HasBytes())
                pictures.push_back(&ref);
        for (const NamedBlob* picture : pictures) {
            const std::wstring name = picture->name.substr(0, picture->name.rfind(L'.'));
            SCOPED_TRACE(std::string(name.begin(), name.end()));
            ComRef<IDirect3DTexture9> texture;
            ASSERT_EQ(D3D_OK, D3DXCreateTextureFromFileInMemory(device(), picture->Bytes(),
                                                                picture->Size(), texture.Out()));
            EXPECT_TRUE(SaveTextureArtifact(texture.Get(), L"scene_" + std::to_wstring(i) + L"_" + name));
            ++count;
        }
    }
    EXPECT_EQ(7u + 1u + 3u, count); // seven backgrounds, the glyph strip, the ball's three pictures
}

// Every sprite object of the show names a library picture that the manager carries a copy of,
// so the show keeps its sprites when common_res.dll is missing.
TEST(SceneDocument, SpriteObjectsNamePicturesTheManagerCarries)
{
    SceneDoc doc;
    ASSERT_NO_FATAL_FAILURE(LoadDocument(doc));
    ASSERT_NE(nullptr, doc.resources);
    size_t sprites = 0;
    for (uint32_t i = 0; i < doc.slideCount; ++i)
        for (DS_ABObj_Constructor* object : doc.slides[i].objects) {
            auto* sprite = dynamic_cast<DS_BaseSpriteProp*>(object);
            if (!sprite)
                continue;
            ++sprites;
            EXPECT_EQ(1u, doc.resources->data().sources.count(sprite->pictureKey))
                << "slide " << i << ": " << std::string(sprite->title.begin(), sprite->title.end());
        }
    EXPECT_GT(sprites, 0u);
}

} // namespace
