#include "document/params/MediaParamT.h"
#include "document/params/ParamArchive.h"
#include "Recorder.h"
#include "document/Archive.h"
#include "document/ResourceBuffer.h"
#include "tools/docwriter/DocumentWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Stands in for the document archive: records which kind each value went through.
struct KindArchive {
    std::vector<std::string> calls;
    void ReadInt(int* v) { calls.push_back("ReadInt"), *v = -3; }
    void ReadUInt(unsigned int* v) { calls.push_back("ReadUInt"), *v = 4u; }
    void ReadULong(uint32_t* v) { calls.push_back("ReadULong"), *v = 0x00112233ul; }
    void WriteInt(const int* v) { calls.push_back("WriteInt " + std::to_string(*v)); }
    void WriteUInt(const unsigned int* v) { calls.push_back("WriteUInt " + std::to_string(*v)); }
    void WriteULong(const uint32_t* v) { calls.push_back("WriteULong " + std::to_string(*v)); }
};

}  // namespace

TEST(ParamArchive, EachValueTypeUsesItsOwnKindAndReadingTellsNobody)
{
    std::vector<std::string> log;
    MediaParamT<int> blend(1);
    MediaParamT<unsigned int> count(1);
    MediaColor colour(0x00FFFFFFul);
    Recorder<int> onBlend("blend", log, &blend);
    Recorder<unsigned int> onCount("count", log, &count);
    Recorder<unsigned long> onColour("colour", log, &colour);

    KindArchive archive;
    ReadParamValue(archive, blend);
    ReadParamValue(archive, count);
    ReadParamValue(archive, colour);
    EXPECT_EQ(blend.value, -3);
    EXPECT_EQ(count.value, 4u);
    EXPECT_EQ(colour.value, 0x00112233ul);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(count.UndoControl().Cached(), 1u);  // stored without notification

    WriteParamValue(archive, blend);
    WriteParamValue(archive, count);
    WriteParamValue(archive, colour);
    EXPECT_EQ(archive.calls, (std::vector<std::string>{"ReadInt", "ReadUInt", "ReadULong", "WriteInt -3",
                                                       "WriteUInt 4", "WriteULong 1122867"}));
}

// The same helpers against the document's own archive: a colour, a count and an offset written
// by the document writer come back through the reader unchanged.
TEST(ParamArchive, RoundTripThroughTheDocumentArchive)
{
    MediaColor colour(0x00336699ul);
    MediaParamT<unsigned int> count(7);
    MediaParamT<int> offset(-12);
    DocumentWriter writer;
    WriteParamValue(writer, colour);
    WriteParamValue(writer, count);
    WriteParamValue(writer, offset);
    ASSERT_EQ(12u, writer.bytes.size());

    MediaColor colourBack(0);
    MediaParamT<unsigned int> countBack(0);
    MediaParamT<int> offsetBack(0);
    ResourceBuffer buffer(writer.bytes.data(), writer.bytes.size());
    DocumentReader reader(&buffer);
    ReadParamValue(reader, colourBack);
    ReadParamValue(reader, countBack);
    ReadParamValue(reader, offsetBack);
    EXPECT_EQ(0x00336699ul, colourBack.value);
    EXPECT_EQ(7u, countBack.value);
    EXPECT_EQ(-12, offsetBack.value);
}
