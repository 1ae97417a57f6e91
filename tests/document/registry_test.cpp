// The class-name reader registry and format-3 object lists, with the tests' own classes.
#include <gtest/gtest.h>

#include "document/DocumentError.h"
#include "document/ObjectReader.h"
#include "document/ResourceBuffer.h"
#include "tests/document/TestDescriptions.h"
#include "tools/docwriter/DocumentWriter.h"

namespace {

class ObjectListTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterTestReaders(); }
    void TearDown() override
    {
        for (DS_ABObj_Constructor* object : list)
            delete object;
        EXPECT_EQ(0, TestCounted::alive);
    }

    // Reads a list of `count` records from `body`; returns the bytes consumed, or throws.
    size_t Read(uint32_t count, const std::vector<uint8_t>& body)
    {
        DocumentWriter w;
        w.UInt(count);
        w.Raw(body);
        w.UInt(0xC0FFEE); // sentinel: never read
        bytes = w.bytes;
        ResourceBuffer buffer(bytes.data(), bytes.size());
        DocumentReader archive(&buffer);
        ReadObjectList(&archive, list);
        return bytes.size() - buffer.Remaining();
    }

    std::vector<uint8_t> bytes;
    ObjectList list;
};

TEST_F(ObjectListTest, EmptyListConsumesItsCount)
{
    EXPECT_EQ(4u, Read(0, {}));
    EXPECT_TRUE(list.empty());
}

TEST_F(ObjectListTest, RecordsBecomeObjectsInDocumentOrder)
{
    auto* swimmer = new TestSwimmer;
    swimmer->speedX = 3;
    swimmer->speedY = 4;
    auto* diver = new TestDiver;
    diver->depth = -7;
    diver->speedX = 1;
    const std::vector<uint8_t> body = ObjectBytes({swimmer, diver});
    EXPECT_EQ(4 + body.size(), Read(2, body));

    ASSERT_EQ(2u, list.size());
    auto* first = dynamic_cast<TestSwimmer*>(list.front());
    auto* second = dynamic_cast<TestDiver*>(list.back());
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(nullptr, dynamic_cast<TestDiver*>(first));
    EXPECT_EQ(3.0f, first->speedX);
    EXPECT_EQ(4.0f, first->speedY);
    EXPECT_EQ(1u, first->version);
    EXPECT_EQ(-7, second->depth);
    EXPECT_EQ(1.0f, second->speedX);
}

TEST_F(ObjectListTest, UnknownClassFailsAndKeepsWhatWasRead)
{
    DocumentWriter unknown;
    for (const wchar_t* name : {L"DS_ABObj_Constructor", L"testswimmer", L"", L"TestSwimmer "}) {
        SCOPED_TRACE(testing::Message() << "name length " << std::wstring(name).size());
        for (DS_ABObj_Constructor* object : list)
            delete object;
        list.clear();
        DocumentWriter w;
        w.String(name);
        w.UInt(1);
        std::vector<uint8_t> body = ObjectBytes({new TestCounted});
        body.insert(body.end(), w.bytes.begin(), w.bytes.end());
        try {
            Read(2, body);
            ADD_FAILURE() << "no error";
        } catch (uint32_t code) {
            EXPECT_EQ(kDocumentError, code);
        }
        ASSERT_EQ(1u, list.size());
        EXPECT_NE(nullptr, dynamic_cast<TestCounted*>(list.front()));
    }
}

TEST_F(ObjectListTest, CountBeyondTheDocumentFailsBeforeReading)
{
    try {
        Read(0x40000000u, ObjectBytes({new TestCounted}));
        ADD_FAILURE() << "no error";
    } catch (uint32_t code) {
        EXPECT_EQ(kDocumentError, code);
    }
    EXPECT_TRUE(list.empty());
}

TEST(ReaderRegistry, UnknownNameConsumesOnlyNameAndVersion)
{
    RegisterTestReaders();
    DocumentWriter w;
    w.String(L"NoSuchClass");
    w.UInt(3);
    w.Float(1.0f);
    ResourceBuffer buffer(w.bytes.data(), w.bytes.size());
    DocumentReader archive(&buffer);
    EXPECT_EQ(nullptr, ReadDocumentObject(&archive));
    EXPECT_EQ(4u, buffer.Remaining());
}

} // namespace
