// The show builder behind the embedded document, with content of the test's own: it names a
// missing content file, and an object appended to a slide comes back from the loader in that
// slide's list (the place where the object kinds add theirs).
#include <gtest/gtest.h>

#include <iterator>
#include <memory>

#include "document/DocResManager.h"
#include "document/ObjectDescription.h"
#include "document/ObjectReader.h"
#include "document/SceneDoc.h"
#include "scene/constructors/SceneReaders.h"
#include "tools/scenegen/DefaultShow.h"

namespace {

// Every content file is a few bytes of its name; the loader keeps pictures and sounds as bytes.
bool FakeContent(const std::wstring& name, std::vector<uint8_t>& bytes)
{
    bytes.assign(name.begin(), name.end());
    return true;
}

TEST(DefaultShow, NamesTheFirstMissingContentFile)
{
    const ContentReader withoutReef = [](const std::wstring& name, std::vector<uint8_t>& bytes) {
        return name != L"reef.png" && name != L"night_water.wav" && FakeContent(name, bytes);
    };
    DocumentPlan show;
    std::wstring missing;
    EXPECT_FALSE(BuildDefaultShow(withoutReef, show, missing));
    EXPECT_EQ(L"reef.png", missing);

    EXPECT_TRUE(BuildDefaultShow(FakeContent, show, missing));
    EXPECT_TRUE(missing.empty());
}

// A description of the test's own: a record of its name, its version and one value.
class ShowMarker : public DS_ABObj_Constructor {
public:
    static constexpr const wchar_t* kClassName = L"TestShowMarker";
    int32_t value = 0;

    bool Write(DS_IOF_Virtual* archive) override
    {
        const std::wstring name = kClassName;
        const uint32_t version = 1;
        archive->WriteString(&name);
        archive->WriteULong(&version);
        archive->WriteInt(&value);
        return true;
    }
    static ShowMarker* CreateFromStream(DS_IOF_Virtual* archive, uint32_t)
    {
        auto marker = std::make_unique<ShowMarker>();
        archive->ReadInt(&marker->value);
        return marker.release();
    }
};

TEST(DefaultShow, AppendedObjectsLoadIntoTheirSlide)
{
    RegisterSceneReaders();
    RegisterReader<ShowMarker>();
    DocumentPlan show;
    std::wstring missing;
    ASSERT_TRUE(BuildDefaultShow(FakeContent, show, missing));
    // The show's own objects come first in each slide's list.
    std::vector<uint32_t> ownObjects;
    for (const SlidePlan& slide : show.slides)
        ownObjects.push_back(slide.objectCount);
    ShowMarker first, second;
    first.value = 11;
    second.value = 22;
    AppendObject(show.slides[3], first);
    AppendObject(show.slides[3], second);
    // Without bytes the tracks are not written out to the temporary folder.
    for (SoundPlan& sound : show.sounds)
        sound.file.ReleaseBytes();

    const std::vector<uint8_t> bytes = BuildDocument(show);
    SceneDoc doc;
    ASSERT_TRUE(LoadSceneDocument(bytes.data(), bytes.size(), doc));
    ASSERT_EQ(show.slides.size(), doc.slideCount);
    for (uint32_t i = 0; i < doc.slideCount; ++i)
        EXPECT_EQ(ownObjects[i] + (i == 3 ? 2u : 0u), doc.slides[i].objects.size()) << "slide " << i;
    auto object = std::next(doc.slides[3].objects.begin(), ownObjects[3]);
    ASSERT_NE(nullptr, dynamic_cast<ShowMarker*>(*object));
    EXPECT_EQ(11, static_cast<ShowMarker*>(*object)->value);
    EXPECT_EQ(22, static_cast<ShowMarker*>(*++object)->value);
    // The slide's kind parameters after the list are still read in step.
    EXPECT_NE(0u, show.slides[3].params.levels[3]);
    EXPECT_EQ(show.slides[3].params.levels[3], doc.slides[3].levels[3]);
    EXPECT_EQ(2u, doc.sounds.size());
}

} // namespace
