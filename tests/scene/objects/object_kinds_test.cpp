// Every description kind the program registers makes its runtime object. The test goes over the
// registry as it stands after RegisterSceneReaders, so each kind is covered as soon as it is
// registered there.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../SceneFixtures.h"
#include "document/ObjectReader.h"
#include "scene/constructors/SceneReaders.h"
#include "scene/objects/DS_ABObj.h"
#include "tests/support/DeviceFixture.h"

namespace {

using ReaderMap = std::map<std::wstring, IOF_Virtual_Reader*>;

// The kinds whose description, made with its defaults, gives no runtime object.
std::vector<std::wstring> KindsWithoutRuntimeObject(const ReaderMap& readers)
{
    std::vector<std::wstring> missing;
    for (const auto& entry : readers) {
        std::unique_ptr<DS_ABObj_Constructor> description(entry.second->CreateDefault());
        std::unique_ptr<DS_ABObj> object(description ? description->CreateObject() : nullptr);
        if (!object)
            missing.push_back(entry.first);
    }
    return missing;
}

// A test kind registered beside the program's, so the registry is never empty here.
class RegisteredTestKind : public PlainSpriteKind {
public:
    static constexpr const wchar_t* kClassName = L"RegisteredTestKind";
    DS_BaseSpriteProp* Clone() const override { return new RegisteredTestKind(*this); }
    static RegisteredTestKind* CreateFromStream(DS_IOF_Virtual*, uint32_t) { return new RegisteredTestKind; }
};

// A kind that forgets to say what it makes: the root's CreateObject gives none.
class ForgetfulKind : public DS_ABObj_Constructor {
public:
    static constexpr const wchar_t* kClassName = L"ForgetfulKind";
    bool Write(DS_IOF_Virtual*) override { return true; }
    static ForgetfulKind* CreateFromStream(DS_IOF_Virtual*, uint32_t) { return new ForgetfulKind; }
};

// Objects are made as the program makes them: a device, the document's resources current and
// object space laid out.
class ObjectKindsTest : public DeviceTest {
protected:
    CurrentManagerScope current;
    ObjectSpaceScope space{640, 480};
};

TEST_F(ObjectKindsTest, EveryRegisteredKindMakesItsRuntimeObject)
{
    RegisterSceneReaders();
    RegisterReader<RegisteredTestKind>();
    const ReaderMap& readers = IOF_Virtual_Reader::GetReaderMap();
    ASSERT_EQ(1u, readers.count(RegisteredTestKind::kClassName));
    for (const std::wstring& kind : KindsWithoutRuntimeObject(readers))
        ADD_FAILURE() << "the kind " << std::string(kind.begin(), kind.end()) << " makes no runtime object";
}

TEST_F(ObjectKindsTest, AKindThatForgetsCreateObjectIsNamed)
{
    const ReaderMap readers = {
        {RegisteredTestKind::kClassName, &IOF_Virtual_ReaderT<RegisteredTestKind>::Instance()},
        {ForgetfulKind::kClassName, &IOF_Virtual_ReaderT<ForgetfulKind>::Instance()},
    };
    EXPECT_EQ(std::vector<std::wstring>{ForgetfulKind::kClassName}, KindsWithoutRuntimeObject(readers));
}

} // namespace
