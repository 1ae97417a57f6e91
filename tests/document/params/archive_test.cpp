#include "document/params/MediaParamT.h"
#include "document/params/ParamArchive.h"
#include "Recorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Stands in for the document archive: records which kind each value went through.
struct KindArchive {
    std::vector<std::string> calls;
    void ReadInt(int* v) { calls.push_back("ReadInt"), *v = -3; }
    void ReadUInt(unsigned int* v) { calls.push_back("ReadUInt"), *v = 4u; }
    void ReadULong(unsigned long* v) { calls.push_back("ReadULong"), *v = 0x00112233ul; }
    void WriteInt(const int* v) { calls.push_back("WriteInt " + std::to_string(*v)); }
    void WriteUInt(const unsigned int* v) { calls.push_back("WriteUInt " + std::to_string(*v)); }
    void WriteULong(const unsigned long* v) { calls.push_back("WriteULong " + std::to_string(*v)); }
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
