// The scene document loader: header, version blocks, slides and their kind parameters, the
// sound list, the resource manager record, reloads and failures.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstring>

#include "document/DocResManager.h"
#include "document/DocumentError.h"
#include "document/ResourceBuffer.h"
#include "document/SceneDoc.h"
#include "tests/document/TestDescriptions.h"
#include "tools/docwriter/DocumentBuilder.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Loads `bytes`; returns true, or false when the loader threw the document error.
bool Load(const Bytes& bytes, SceneDoc& doc)
{
    try {
        return LoadSceneDocument(bytes.data(), bytes.size(), doc);
    } catch (uint32_t code) {
        EXPECT_EQ(kDocumentError, code);
        return false;
    }
}

std::wstring TempFolder()
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return folder;
}

Bytes ReadFile(const std::wstring& path)
{
    Bytes bytes;
    if (FILE* in = _wfopen(path.c_str(), L"rb")) {
        int c;
        while ((c = std::fgetc(in)) != EOF)
            bytes.push_back(static_cast<uint8_t>(c));
        std::fclose(in);
    }
    return bytes;
}

void WriteFile(const std::wstring& path, const Bytes& bytes)
{
    FILE* out = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(nullptr, out);
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
}

class SceneDocTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterTestReaders(); }
};

TEST_F(SceneDocTest, MinimalDocumentHasItsKnownLayoutAndLoads)
{
    DocumentPlan plan;
    plan.slides.push_back(SlidePlan{});
    const Bytes bytes = BuildDocument(plan);
    EXPECT_EQ(466u, bytes.size());

    for (bool trailer : {true, false}) {
        plan.trailer = trailer;
        SceneDoc doc;
        ASSERT_TRUE(Load(BuildDocument(plan), doc));
        ASSERT_EQ(1u, doc.slideCount);
        const SlideRecord& slide = doc.slides[0];
        EXPECT_EQ(0, slide.kind);
        EXPECT_EQ(2, slide.fadeInSeconds);
        EXPECT_EQ(2, slide.fadeOutSeconds);
        EXPECT_EQ(10, slide.holdSeconds);
        EXPECT_EQ(1u, slide.speed);
        EXPECT_TRUE(doc.sounds.empty());
        EXPECT_EQ(doc.resources.get(), CurrentDocResManager);
        ASSERT_NE(nullptr, CurrentResourceCache);
        EXPECT_EQ(doc.resources->cache(), CurrentResourceCache);
    }
    EXPECT_EQ(nullptr, CurrentDocResManager);
}

TEST_F(SceneDocTest, WrongHeaderOrMissingDocumentFails)
{
    for (const wchar_t* header : {L"ZEL v 3.0.1", L"ZEL v 3.0.0 ", L"zel v 3.0.0", L"", L"ZEL v 3.0."}) {
        DocumentPlan plan;
        plan.header = header;
        SceneDoc doc;
        EXPECT_FALSE(Load(BuildDocument(plan), doc)) << std::wstring(header).size();
    }
    SceneDoc doc;
    EXPECT_FALSE(Load(Bytes(), doc));
    // This test program embeds no document.
    try {
        LoadSceneDocument(doc);
        ADD_FAILURE() << "no error";
    } catch (uint32_t code) {
        EXPECT_EQ(kDocumentError, code);
    }
}

TEST_F(SceneDocTest, DocumentVersionSelectsSoundListAndManager)
{
    struct Case {
        uint32_t docVersion;
        bool sounds;
        bool manager;
    };
    const Case cases[] = {{0, false, false}, {1, false, false}, {2, true, false}, {3, true, true},
                          {0xFFFFFFFFu, true, true}};
    const ResKey key(L"C:\\pics\\p.png", 77);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.docVersion);
        DocumentPlan plan;
        plan.docVersion = 3; // write everything, then claim the version under test
        plan.sounds.push_back({L"t", NamedBlob()});
        ResourceRef ref;
        ref.name = key.name;
        plan.manager.textureSources[key] = {ref};
        Bytes bytes = BuildDocument(plan);
        // The document block's version sits after the header (26 bytes) and 4 + 76 bytes.
        std::memcpy(&bytes[26 + 80], &c.docVersion, 4);

        SceneDoc doc;
        ASSERT_TRUE(Load(bytes, doc));
        EXPECT_EQ(c.sounds ? 1u : 0u, doc.sounds.size());
        ASSERT_NE(nullptr, CurrentDocResManager);
        EXPECT_EQ(c.manager ? 1u : 0u, CurrentDocResManager->data().sources.count(key));
    }
}

TEST_F(SceneDocTest, SlideCountZeroStillReadsTheRest)
{
    DocumentPlan plan;
    plan.sounds.push_back({L"only", NamedBlob()});
    SceneDoc doc;
    ASSERT_TRUE(Load(BuildDocument(plan), doc));
    EXPECT_EQ(0u, doc.slideCount);
    EXPECT_EQ(nullptr, doc.slides.get());
    ASSERT_EQ(1u, doc.sounds.size());
    EXPECT_EQ(L"only", doc.sounds.front()->title);
}

TEST_F(SceneDocTest, KindOutsideTheRangeConsumesTheListAndStops)
{
    for (int32_t kind : {7, -1, 1000}) {
        SCOPED_TRACE(kind);
        SlidePlan slide;
        slide.kind = kind;
        slide.objectCount = 1;
        slide.objectBytes = ObjectBytes({new TestCounted});
        DocumentWriter w;
        WriteSlide(w, slide);
        w.UInt(0x12345678); // where kind parameters would start
        ResourceBuffer buffer(w.bytes.data(), w.bytes.size());
        SlideRecord record;
        EXPECT_FALSE(ReadSlide(buffer, record));
        EXPECT_EQ(4u, buffer.Remaining());
        EXPECT_EQ(1u, record.objects.size());
    }
    EXPECT_EQ(0, TestCounted::alive);

    DocumentPlan plan;
    plan.slides.resize(2);
    plan.slides[1].kind = 7;
    SceneDoc doc;
    EXPECT_FALSE(Load(BuildDocument(plan), doc));
}

TEST_F(SceneDocTest, EmptyTimeTextsCarryTheTextBeforeThem)
{
    struct Case {
        const wchar_t *title, *fadeIn, *fadeOut, *hold;
        int32_t in, out, holdSeconds;
    };
    const Case cases[] = {
        {L"5 x", L"", L"1", L"2", 5, 1, 2},
        {L"Slide 0", L"", L"", L"", 0, 0, 0},
        {L"t", L"4", L"3", L"", 4, 3, 3},
        {L"t", L"abc", L"-2", L"12s", 0, -2, 12},
        {L"", L"", L"7", L"", 0, 7, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.in << " " << c.out << " " << c.holdSeconds);
        SlidePlan slide;
        slide.title = c.title;
        slide.fadeIn = c.fadeIn;
        slide.fadeOut = c.fadeOut;
        slide.hold = c.hold;
        DocumentWriter w;
        WriteSlide(w, slide);
        ResourceBuffer buffer(w.bytes.data(), w.bytes.size());
        SlideRecord record;
        ASSERT_TRUE(ReadSlide(buffer, record));
        EXPECT_EQ(c.in, record.fadeInSeconds);
        EXPECT_EQ(c.out, record.fadeOutSeconds);
        EXPECT_EQ(c.holdSeconds, record.holdSeconds);
    }
}

// Each kind-parameter block: bytes consumed (empty references, blobs and keys) and its defaults.
TEST_F(SceneDocTest, KindParameterBlocks)
{
    struct Case {
        int32_t kind;
        uint32_t paramVersion;
        size_t bytes;
        uint32_t speed; // after the read; the writer writes 33
    };
    const Case cases[] = {
        {0, 2, 0, 1},   {1, 0, 4, 33},  {1, 2, 4, 33},  {1, 1, 8, 33},   {2, 0, 8, 33},
        {2, 1, 8, 33},  {2, 2, 40, 33}, {2, 0xFFFFFFFFu, 40, 33}, {3, 0, 8, 33}, {3, 1, 12, 33},
        {3, 2, 76, 33}, {3, 0xFFFFFFFFu, 76, 33}, {4, 2, 36, 50}, {5, 2, 52, 1}, {6, 2, 104, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " pv " << c.paramVersion);
        SlidePlan slide;
        slide.kind = c.kind;
        slide.paramVersion = c.paramVersion;
        slide.params.speed = 33;
        DocumentWriter w, plain;
        WriteSlide(w, slide);
        SlidePlan noParams = slide;
        noParams.kind = 0;
        WriteSlide(plain, noParams);
        EXPECT_EQ(c.bytes, w.bytes.size() - plain.bytes.size());

        w.UInt(0xABCDEF01); // sentinel
        ResourceBuffer buffer(w.bytes.data(), w.bytes.size());
        SlideRecord record;
        record.switches[0] = 9;
        ASSERT_TRUE(ReadSlide(buffer, record));
        EXPECT_EQ(4u, buffer.Remaining());
        EXPECT_EQ(c.speed, record.speed);
        if (c.kind == 2 && c.paramVersion < 2) {
            EXPECT_EQ(0x408000u, record.colours[0]);
            const uint32_t levels[6] = {31, 7, 58, 25, 100, 100};
            for (int i = 0; i < 6; ++i)
                EXPECT_EQ(levels[i], record.levels[i]);
            EXPECT_EQ(1, record.options[0]);
        }
        if (c.kind == 3) {
            EXPECT_EQ(c.paramVersion == 1 || c.paramVersion >= 2 ? 0 : 9, record.switches[0]);
            if (c.paramVersion < 2) {
                EXPECT_EQ(1, record.switches[1]) << "flames on";
                const uint32_t levels[3] = {88, 50, 25};
                for (int i = 0; i < 3; ++i)
                    EXPECT_EQ(levels[i], record.levels[i]);
            }
        }
    }
}

// Every field a kind's block sets, each written with a value of its own, lands in its own place:
// two fields read in the wrong order or into each other's slots show as a wrong value.
TEST_F(SceneDocTest, KindParameterValuesLandInTheirFields)
{
    KindParams p;
    p.speed = 41;
    p.amount = -42;
    p.auxValue = 43;
    for (int i = 0; i < 10; ++i) {
        p.switches[i] = 100 + i;
        p.levels[i] = 200u + i;
        p.options[i] = -300 - i;
        p.colours[i] = 0x400000u + i;
    }
    for (int i = 0; i < 3; ++i) {
        p.refs[i] = ResourceRef(500 + i, L"lib" + std::to_wstring(i) + L".dll");
        p.fireKeys[i] = ResKey(L"common_res.dll", 600 + i);
    }
    p.fireKeys[3] = ResKey(L"common_res.dll", 603);
    p.blob.name = L"ball.png";
    p.blob.data = {1, 2};
    p.pointX = -5;
    p.pointY = 6;
    p.legacyPictures.resize(2);
    p.legacyPictures[0].data = {6};
    p.legacyPictures[1].data = {7};

    struct Case {
        int32_t kind;
        uint32_t paramVersion;
    };
    const Case cases[] = {{1, 1}, {1, 2}, {2, 2}, {3, 1}, {3, 2}, {4, 2}, {5, 2}, {6, 2}};
    DocumentPlan plan;
    for (const Case& c : cases) {
        SlidePlan slide;
        slide.kind = c.kind;
        slide.paramVersion = c.paramVersion;
        slide.params = p;
        plan.slides.push_back(slide);
    }
    SceneDoc doc;
    ASSERT_TRUE(Load(BuildDocument(plan), doc));
    ASSERT_EQ(8u, doc.slideCount);
    const SlideRecord* s = doc.slides.get();

    // Underwater: the speed, and in version 1 the legacy pictures.
    EXPECT_EQ(41u, s[0].speed);
    ASSERT_EQ(2u, s[0].legacyPictureCount);
    ASSERT_EQ(2u, s[0].legacyPictures.size());
    EXPECT_EQ((Bytes{6}), s[0].legacyPictures[0].data);
    EXPECT_EQ((Bytes{7}), s[0].legacyPictures[1].data);
    EXPECT_EQ(41u, s[1].speed);
    EXPECT_EQ(0u, s[1].legacyPictureCount);

    // Lake: amount, speed, colour 0, levels 0 to 5, option 0.
    EXPECT_EQ(-42, s[2].amount);
    EXPECT_EQ(41u, s[2].speed);
    EXPECT_EQ(0x400000u, s[2].colours[0]);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(200u + i, s[2].levels[i]) << "lake level " << i;
    EXPECT_EQ(0u, s[2].levels[6]);
    EXPECT_EQ(-300, s[2].options[0]);

    // Fire, version 1: the extra value first, then amount and speed; the switch is cleared.
    EXPECT_EQ(43, s[3].auxValue);
    EXPECT_EQ(-42, s[3].amount);
    EXPECT_EQ(41u, s[3].speed);
    EXPECT_EQ(0, s[3].switches[0]);
    // Fire, version 2: amount, speed, switches 0 and 1 between the keys, levels 0 to 2.
    EXPECT_EQ(-42, s[4].amount);
    EXPECT_EQ(41u, s[4].speed);
    EXPECT_EQ(100, s[4].switches[0]);
    EXPECT_EQ(101, s[4].switches[1]);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(200u + i, s[4].levels[i]) << "fire level " << i;
    EXPECT_EQ(0u, s[4].levels[3]);

    // Water rings: levels 0 to 8, and normal speed.
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(200u + i, s[5].levels[i]) << "rings level " << i;
    EXPECT_EQ(0u, s[5].levels[9]);
    EXPECT_EQ(50u, s[5].speed);

    // Falling glyphs: reference 0, levels 0 to 3, the extra value, colours 0 and 1, options 0 and 1.
    EXPECT_EQ(500, s[6].resourceRefs[0].resourceId);
    EXPECT_EQ(L"lib0.dll", s[6].resourceRefs[0].libraryName);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(200u + i, s[6].levels[i]) << "glyph level " << i;
    EXPECT_EQ(0u, s[6].levels[4]);
    EXPECT_EQ(43, s[6].auxValue);
    EXPECT_EQ(0x400000u, s[6].colours[0]);
    EXPECT_EQ(0x400001u, s[6].colours[1]);
    EXPECT_EQ(-300, s[6].options[0]);
    EXPECT_EQ(-301, s[6].options[1]);

    // Glass ball: references 0 to 2, levels 0 to 2, switches 0 to 2, colours 0 and 1, options 0
    // and 1, the blob, the point, and normal speed.
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(testing::Message() << "glass-ball slot " << i);
        EXPECT_EQ(500 + i, s[7].resourceRefs[i].resourceId);
        EXPECT_EQ(L"lib" + std::to_wstring(i) + L".dll", s[7].resourceRefs[i].libraryName);
        EXPECT_EQ(200u + i, s[7].levels[i]);
        EXPECT_EQ(100 + i, s[7].switches[i]);
    }
    EXPECT_EQ(0u, s[7].levels[3]);
    EXPECT_EQ(0, s[7].switches[3]);
    EXPECT_EQ(0x400000u, s[7].colours[0]);
    EXPECT_EQ(0x400001u, s[7].colours[1]);
    EXPECT_EQ(-300, s[7].options[0]);
    EXPECT_EQ(-301, s[7].options[1]);
    EXPECT_EQ(L"ball.png", s[7].blobs[0].name);
    EXPECT_EQ((Bytes{1, 2}), s[7].blobs[0].data);
    EXPECT_EQ(-5, s[7].points[0].x);
    EXPECT_EQ(6, s[7].points[0].y);
    EXPECT_EQ(50u, s[7].speed);
}

TEST_F(SceneDocTest, OtherListFormatsReadNoListAndTheLegacyFormatNeedsItsReader)
{
    SlidePlan slide;
    slide.listFormat = 1;
    DocumentPlan plan;
    plan.slides = {slide};
    SceneDoc doc;
    EXPECT_TRUE(Load(BuildDocument(plan), doc));

    plan.slides[0].listFormat = 2;
    plan.slides[0].objectBytes = {0, 0, 0, 0};
    EXPECT_FALSE(Load(BuildDocument(plan), doc));
    SetLegacyObjectListReader([](ResourceBuffer& buffer, SlideRecord& s) { buffer.ReadValue(s.legacyObjectCount); });
    EXPECT_TRUE(Load(BuildDocument(plan), doc));
    SetLegacyObjectListReader(nullptr);
}

TEST_F(SceneDocTest, ReloadReplacesEverything)
{
    DocumentPlan big;
    big.slides.resize(2);
    big.slides[1].objectCount = 2;
    big.slides[1].objectBytes = ObjectBytes({new TestCounted, new TestCounted});
    big.sounds = {{L"a", NamedBlob()}, {L"b", NamedBlob()}};
    DocumentPlan small;
    small.slides.resize(1);
    small.slides[0].kind = 4;

    SceneDoc doc;
    ASSERT_TRUE(Load(BuildDocument(big), doc));
    EXPECT_EQ(2u, doc.slideCount);
    EXPECT_EQ(2u, doc.sounds.size());
    EXPECT_EQ(2, TestCounted::alive);
    ASSERT_TRUE(Load(BuildDocument(small), doc));
    EXPECT_EQ(1u, doc.slideCount);
    EXPECT_EQ(4, doc.slides[0].kind);
    EXPECT_TRUE(doc.sounds.empty());
    EXPECT_EQ(0, TestCounted::alive);
    EXPECT_EQ(doc.resources.get(), CurrentDocResManager);
}

TEST_F(SceneDocTest, FailedLoadKeepsTheLastManagerCurrent)
{
    DocumentPlan good;
    good.slides.resize(1);
    SceneDoc doc;
    ASSERT_TRUE(Load(BuildDocument(good), doc));
    DS_DocResManager* manager = CurrentDocResManager;
    ResourceCacheHandle* cache = CurrentResourceCache;

    DocumentPlan bad;
    bad.slides.resize(3);
    bad.slides[0].hold = L"21";
    bad.slides[1].kind = 9;
    EXPECT_FALSE(Load(BuildDocument(bad), doc));
    EXPECT_EQ(manager, CurrentDocResManager);
    EXPECT_EQ(cache, CurrentResourceCache);
    EXPECT_EQ(manager, doc.resources.get());
    ASSERT_EQ(3u, doc.slideCount);
    EXPECT_EQ(21, doc.slides[0].holdSeconds);
    EXPECT_EQ(0, doc.slides[2].holdSeconds);

    // A manager record cut short fails after the new manager was made: the old cache comes back.
    Bytes cut = BuildDocument(good);
    cut.resize(cut.size() - 8);
    EXPECT_FALSE(Load(cut, doc));
    EXPECT_EQ(manager, CurrentDocResManager);
    EXPECT_EQ(cache, CurrentResourceCache);
}

TEST_F(SceneDocTest, AFailedLoadLeavesNoSounds)
{
    DocumentPlan plan;
    plan.slides.resize(1);
    plan.sounds = {{L"first", NamedBlob()}, {L"second", NamedBlob()}};
    const Bytes whole = BuildDocument(plan);
    DocumentPlan withoutManager = plan;
    withoutManager.docVersion = 2;
    withoutManager.trailer = false;
    const Bytes soundsOnly = BuildDocument(withoutManager);
    struct Case {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"second sound cut short", Bytes(soundsOnly.begin(), soundsOnly.end() - 2)},
        {"manager record cut short", Bytes(whole.begin(), whole.end() - 8)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SceneDoc doc;
        ASSERT_TRUE(Load(whole, doc));
        ASSERT_EQ(2u, doc.sounds.size());
        EXPECT_FALSE(Load(c.bytes, doc));
        EXPECT_TRUE(doc.sounds.empty());
    }
}

TEST(AudioFileTest, RecordBytesAndRoundTrip)
{
    DS_AudioFile sound;
    sound.title = L"T";
    sound.file.name = L"C:\\s\\x.mp3";
    sound.file.data = {1, 2, 3};
    DocumentWriter w;
    ASSERT_TRUE(sound.Write(&w));
    EXPECT_EQ(69u, w.bytes.size());

    ResourceBuffer buffer(w.bytes.data(), w.bytes.size());
    DocumentReader archive(&buffer);
    std::unique_ptr<DS_AudioFile> read(DS_AudioFile::Read(&archive));
    EXPECT_EQ(L"T", read->title);
    EXPECT_EQ(sound.file.name, read->file.name);
    EXPECT_EQ(sound.file.data, read->file.data);
    EXPECT_EQ(0u, buffer.Remaining());
}

TEST(AudioFileTest, PrepareFile)
{
    const std::wstring temp = TempFolder();
    const Bytes bytes = {'I', 'D', '3', 0, 9};

    // A stored path that exists is played as it stands.
    const std::wstring existing = temp + L"lw_existing.mp3";
    WriteFile(existing, {1});
    DS_AudioFile present;
    present.file.name = existing;
    present.file.data = bytes;
    present.PrepareFile();
    EXPECT_EQ(existing, present.file.name);
    EXPECT_FALSE(present.file.HasBytes());
    EXPECT_EQ(Bytes{1}, ReadFile(existing));
    _wremove(existing.c_str());

    struct Case {
        const wchar_t* path;
        const wchar_t* copy; // in the temporary folder; null: the track stays as it was
    };
    const Case cases[] = {
        {L"C:\\nowhere\\lw_x.mp3", L"lw_x.mp3"},
        {L"lw_bare.mp3", L"lw_bare.mp3"},            // no folder: the whole path is the name
        {L"C:\\nowhere\\bad|name?.mp3", nullptr},     // the copy cannot be written
        {L"", nullptr},
        {L"C:\\nowhere\\", nullptr},
        {L"C:\\x\\../lw_up.mp3", L"lw_up.mp3"},     // a slash ends the folder part too
        {L"../lw_up.mp3", L"lw_up.mp3"},
        {L"C:\\nowhere\\..", nullptr},                 // names a folder that exists
        {L"C:\\nowhere\\.", nullptr},
        {L"C:lw_drive.mp3", nullptr},                 // a drive-relative name is no file name
        {L"C:\\nowhere\\lw_stream.mp3:alt", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::wstring(c.path).size());
        DS_AudioFile sound;
        sound.file.name = c.path;
        sound.file.data = bytes;
        sound.PrepareFile();
        if (c.copy) {
            const std::wstring target = temp + c.copy;
            EXPECT_EQ(target, sound.file.name);
            EXPECT_FALSE(sound.file.HasBytes());
            EXPECT_EQ(bytes, ReadFile(target));
            _wremove(target.c_str());
        } else {
            EXPECT_EQ(c.path, sound.file.name);
            EXPECT_EQ(bytes, sound.file.data);
        }
    }

    EXPECT_FALSE(PathFileExistsW((temp + L"..\\lw_up.mp3").c_str())); // nothing above the folder

    DS_AudioFile silent;
    silent.file.name = L"C:\\nowhere\\lw_silent.mp3";
    silent.PrepareFile();
    EXPECT_EQ(L"C:\\nowhere\\lw_silent.mp3", silent.file.name);
    EXPECT_FALSE(PathFileExistsW((temp + L"lw_silent.mp3").c_str()));
}

// A second copy of the program finds the temporary copy held open by the first one, which plays it.
TEST(AudioFileTest, PrepareFileUsesACopyThatAnotherPlayerHoldsOpen)
{
    const std::wstring target = TempFolder() + L"lw_playing.mp3";
    const Bytes bytes = {'I', 'D', '3', 1, 2, 3};
    struct Case {
        const char* what;
        Bytes held;       // what the copy already holds
        bool usesTheCopy; // else the track stays as it was
    } cases[] = {
        {"the same bytes", bytes, true},
        {"other bytes of the same length", {'I', 'D', '3', 1, 2, 4}, false},
        {"fewer bytes", {'I', 'D', '3'}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(target, c.held);
        // A playing reader shares its file for reading only, so the copy cannot be rewritten.
        HANDLE reader = CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, reader);
        DS_AudioFile sound;
        sound.file.name = L"C:\\nowhere\\lw_playing.mp3";
        sound.file.data = bytes;
        sound.PrepareFile();
        CloseHandle(reader);
        if (c.usesTheCopy) {
            EXPECT_EQ(target, sound.file.name);
            EXPECT_FALSE(sound.file.HasBytes());
        } else {
            EXPECT_EQ(L"C:\\nowhere\\lw_playing.mp3", sound.file.name);
            EXPECT_EQ(bytes, sound.file.data);
        }
        EXPECT_EQ(c.held, ReadFile(target)) << "the held copy is left as it is";
        _wremove(target.c_str());
    }
}

TEST_F(SceneDocTest, LoadingPreparesEverySound)
{
    DocumentPlan plan;
    plan.docVersion = 2;
    NamedBlob file;
    file.name = L"C:\\nowhere\\lw_loaded.wav";
    file.data = {'R', 'I', 'F', 'F'};
    plan.sounds = {{L"one", file}, {L"two", NamedBlob()}};
    SceneDoc doc;
    ASSERT_TRUE(Load(BuildDocument(plan), doc));
    ASSERT_EQ(2u, doc.sounds.size());
    const std::wstring copy = TempFolder() + L"lw_loaded.wav";
    EXPECT_EQ(copy, doc.sounds.front()->file.name);
    EXPECT_FALSE(doc.sounds.front()->file.HasBytes());
    EXPECT_EQ(file.data, ReadFile(copy));
    _wremove(copy.c_str());
}

} // namespace
