// The document stream: bounded byte source, string forms, value records, keys, path helpers.
#include <gtest/gtest.h>

#include <windows.h>
#include <sys/utime.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "document/Archive.h"
#include "document/DocumentError.h"
#include "document/ResourceBuffer.h"
#include "document/ValueRecords.h"
#include "tools/docwriter/DocumentWriter.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes StringBytes(uint8_t lengthByte, std::initializer_list<uint8_t> rest = {})
{
    Bytes b = {0xFF, 0xFE, 0xFF, lengthByte};
    for (uint8_t byte : rest)
        b.push_back(byte);
    return b;
}

void AppendUnits(Bytes& b, const std::wstring& text)
{
    for (wchar_t c : text) {
        b.push_back(static_cast<uint8_t>(c & 0xFF));
        b.push_back(static_cast<uint8_t>(c >> 8));
    }
}

// Reads one string from `bytes` into a target that holds "keep"; returns what was read.
struct StringResult {
    std::wstring text;
    size_t consumed;
};
StringResult ReadOne(const Bytes& bytes)
{
    ResourceBuffer buffer(bytes.data(), bytes.size());
    std::wstring text = L"keep";
    ReadDocString(buffer, text);
    return {text, bytes.size() - buffer.Remaining()};
}

bool ThrowsDocumentError(const std::function<void()>& f)
{
    try {
        f();
    } catch (uint32_t code) {
        return code == kDocumentError;
    }
    return false;
}

TEST(DocumentString, LengthForms)
{
    const std::wstring u254(254, L'x'), u255(255, L'y'), u70000(70000, L'z');
    struct Case {
        const char* what;
        Bytes bytes;
        std::wstring text;
        size_t consumed;
    };
    std::vector<Case> cases;
    cases.push_back({"empty keeps the target", StringBytes(0), L"keep", 4});
    {
        Bytes b = StringBytes(1);
        AppendUnits(b, L"A");
        cases.push_back({"one unit", b, L"A", 6});
    }
    {
        Bytes b = StringBytes(254);
        AppendUnits(b, u254);
        cases.push_back({"254 units, one-byte length", b, u254, 4 + 508});
    }
    {
        Bytes b = StringBytes(0xFF, {0xFF, 0x00});
        AppendUnits(b, u255);
        cases.push_back({"255 units, 16-bit length", b, u255, 6 + 510});
    }
    {
        Bytes b = StringBytes(0xFF, {0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00});
        AppendUnits(b, u70000);
        cases.push_back({"70000 units, 32-bit length", b, u70000, 10 + 140000});
    }
    {
        Bytes b = StringBytes(0xFF, {0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00});
        AppendUnits(b, L"ab");
        cases.push_back({"32-bit form for a short text", b, L"ab", 14});
    }
    {
        Bytes b = StringBytes(4);
        AppendUnits(b, std::wstring(L"AB\0C", 4));
        cases.push_back({"text ends at U+0000, all units consumed", b, L"AB", 12});
    }
    {
        Bytes b = {0, 0, 0, 2};
        AppendUnits(b, L"ok");
        cases.push_back({"prefix not examined", b, L"ok", 8});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const StringResult r = ReadOne(c.bytes);
        EXPECT_EQ(c.text, r.text);
        EXPECT_EQ(c.consumed, r.consumed);
    }
}

TEST(DocumentString, WriterPicksTheFormTheReaderExpects)
{
    for (size_t length : {0u, 1u, 254u, 255u, 65534u, 65535u, 70000u}) {
        SCOPED_TRACE(length);
        DocumentWriter w;
        const std::wstring text(length, L'q');
        w.String(text);
        const size_t expected = length < 255 ? 4 + 2 * length : length < 65535 ? 6 + 2 * length : 10 + 2 * length;
        EXPECT_EQ(expected, w.bytes.size());
        const StringResult r = ReadOne(w.bytes);
        EXPECT_EQ(length == 0 ? std::wstring(L"keep") : text, r.text);
        EXPECT_EQ(expected, r.consumed);
    }
}

TEST(DocumentString, LengthPastTheEndFailsWithoutReading)
{
    const std::vector<Bytes> cases = {
        StringBytes(3, {0x41, 0x00}),             // 3 units announced, 1 present
        StringBytes(0xFF, {0x10}),                // 16-bit length cut short
        StringBytes(0xFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}), // about 2^31 units
        {0xFF, 0xFE},                             // prefix cut short
    };
    for (const Bytes& b : cases) {
        ResourceBuffer buffer(b.data(), b.size());
        std::wstring text = L"keep";
        EXPECT_TRUE(ThrowsDocumentError([&] { ReadDocString(buffer, text); }));
        EXPECT_EQ(L"keep", text);
    }
}

TEST(ResourceBufferTest, WithoutSourceReadsNothing)
{
    ResourceBuffer buffer;
    DocumentReader archive(&buffer);
    int32_t i = 7;
    float f = 2.5f;
    std::wstring s = L"keep";
    NamedBlob blob;
    blob.name = L"name";
    blob.data = {1, 2, 3};
    ResourceRef ref(4, L"lib.dll");
    ref.data = {4, 5};
    archive.ReadInt(&i);
    archive.ReadFloat(&f);
    archive.ReadString(&s);
    archive.ReadNamedBlob(&blob);
    archive.ReadResourceRef(&ref);
    EXPECT_EQ(7, i);
    EXPECT_EQ(2.5f, f);
    EXPECT_EQ(L"keep", s);
    EXPECT_EQ(L"name", blob.name);
    EXPECT_EQ((Bytes{1, 2, 3}), blob.data);
    EXPECT_EQ(4, ref.resourceId);
    EXPECT_EQ(L"lib.dll", ref.libraryName);
    EXPECT_EQ((Bytes{4, 5}), ref.data);
}

// A value that needs one byte more than the buffer holds is a document error, and the target
// keeps what it held: for buffers of 0 to 8 bytes and every value kind the archive reads.
TEST(ResourceBufferTest, OneBytePastTheEndFailsAndLeavesTheTarget)
{
    struct Kind {
        const char* name;
        size_t size;
        void (*read)(DocumentReader&, void* target);
    };
    const Kind kinds[] = {
        {"int64", 8, [](DocumentReader& r, void* t) { r.ReadInt64(static_cast<int64_t*>(t)); }},
        {"float", 4, [](DocumentReader& r, void* t) { r.ReadFloat(static_cast<float*>(t)); }},
        {"ulong", 4, [](DocumentReader& r, void* t) { r.ReadULong(static_cast<uint32_t*>(t)); }},
        {"uint", 4, [](DocumentReader& r, void* t) { r.ReadUInt(static_cast<uint32_t*>(t)); }},
        {"int", 4, [](DocumentReader& r, void* t) { r.ReadInt(static_cast<int32_t*>(t)); }},
        {"byte", 1, [](DocumentReader& r, void* t) { r.ReadByte(static_cast<uint8_t*>(t)); }},
        {"bool", 1, [](DocumentReader& r, void* t) { r.ReadBool(static_cast<bool*>(t)); }},
    };
    const Bytes bytes(8, 0x11);
    for (size_t size = 0; size <= 8; ++size) {
        SCOPED_TRACE(testing::Message() << "buffer of " << size << " bytes");
        ResourceBuffer whole(bytes.data(), size);
        EXPECT_TRUE(ThrowsDocumentError([&] { whole.Skip(size + 1); }));
        EXPECT_EQ(size, whole.Remaining());
        for (const Kind& kind : kinds) {
            if (kind.size > size + 1)
                continue; // more than one byte past the end
            SCOPED_TRACE(kind.name);
            ResourceBuffer buffer(bytes.data(), size);
            buffer.Skip(size + 1 - kind.size); // leaves one byte fewer than the value needs
            DocumentReader reader(&buffer);
            alignas(8) uint8_t target[8];
            std::memset(target, 0xA5, sizeof target);
            EXPECT_TRUE(ThrowsDocumentError([&] { kind.read(reader, target); }));
            EXPECT_EQ(Bytes(8, 0xA5), Bytes(target, target + 8));
            EXPECT_EQ(kind.size - 1, buffer.Remaining()); // the failed read consumed nothing
        }
    }
}

TEST(ResourceBufferTest, ArchivesOverOneBufferReadOneSequence)
{
    DocumentWriter w;
    w.Int(1);
    w.Int(2);
    w.Int64(-3);
    ResourceBuffer buffer(w.bytes.data(), w.bytes.size());
    int32_t a = 0, b = 0;
    int64_t c = 0;
    DocumentReader(&buffer).ReadInt(&a);
    DocumentReader(&buffer).ReadInt(&b);
    DocumentReader(&buffer).ReadInt64(&c);
    EXPECT_EQ(1, a);
    EXPECT_EQ(2, b);
    EXPECT_EQ(-3, c);
    EXPECT_EQ(0u, buffer.Remaining());
    EXPECT_TRUE(ThrowsDocumentError([&] { DocumentReader(&buffer).ReadInt(&a); }));
}

TEST(ResourceBufferTest, EveryValueKindRoundTrips)
{
    DocumentWriter w;
    const int64_t i64 = -1234567890123ll;
    const float f = -0.125f;
    const uint32_t ul = 0xDEADBEEF;
    const int32_t i = -5;
    const uint8_t byte = 0xAB;
    const bool yes = true;
    w.WriteInt64(&i64);
    w.WriteFloat(&f);
    w.WriteULong(&ul);
    w.WriteUInt(&ul);
    w.WriteByte(&byte);
    w.WriteBool(&yes);
    w.WriteInt(&i);
    w.Byte(2); // a bool byte other than 0 or 1

    ResourceBuffer buffer(w.bytes.data(), w.bytes.size());
    DocumentReader r(&buffer);
    int64_t ri64 = 0;
    float rf = 0;
    uint32_t rul = 0, rui = 0;
    uint8_t rbyte = 0;
    bool rb = false, rb2 = false;
    int32_t ri = 0;
    r.ReadInt64(&ri64);
    r.ReadFloat(&rf);
    r.ReadULong(&rul);
    r.ReadUInt(&rui);
    r.ReadByte(&rbyte);
    r.ReadBool(&rb);
    r.ReadInt(&ri);
    r.ReadBool(&rb2);
    EXPECT_EQ(i64, ri64);
    EXPECT_EQ(f, rf);
    EXPECT_EQ(ul, rul);
    EXPECT_EQ(ul, rui);
    EXPECT_EQ(byte, rbyte);
    EXPECT_TRUE(rb);
    EXPECT_EQ(i, ri);
    EXPECT_TRUE(rb2);
    EXPECT_EQ(0u, buffer.Remaining());
}

TEST(ResourceBufferTest, FileSourceReadsLikeMemory)
{
    DocumentWriter w;
    w.String(L"file text");
    w.Int(42);
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"lw_stream_test.bin";
    FILE* out = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(nullptr, out);
    std::fwrite(w.bytes.data(), 1, w.bytes.size(), out);
    std::fclose(out);

    ResourceBuffer buffer;
    ASSERT_TRUE(buffer.OpenFile(path));
    DocumentReader r(&buffer);
    std::wstring s;
    int32_t i = 0;
    r.ReadString(&s);
    r.ReadInt(&i);
    EXPECT_EQ(L"file text", s);
    EXPECT_EQ(42, i);
    EXPECT_TRUE(ThrowsDocumentError([&] { r.ReadInt(&i); }));
    buffer.CloseFile();
    _wremove(path.c_str());
}

TEST(ValueRecordTest, BlobsAndReferencesConsumeTheirRecords)
{
    NamedBlob three;
    three.name = L"C:\\pics\\a.png";
    three.data = {1, 2, 3};
    ResourceRef ref(10, L"common_res.dll");
    ref.data = {0xAA, 0xBB};

    DocumentWriter w;
    w.Blob(NamedBlob()); // size 0, empty name
    w.Blob(three);
    w.Ref(ref);
    ASSERT_EQ(8u + (4 + 3 + 4 + 26) + (4 + 32 + 4 + 2 + 4), w.bytes.size());

    ResourceBuffer buffer(w.bytes.data(), w.bytes.size());
    NamedBlob empty, read;
    ResourceRef readRef;
    EXPECT_EQ(8u, NamedBlob::Read(buffer, empty));
    EXPECT_FALSE(empty.HasBytes());
    EXPECT_EQ(nullptr, empty.Bytes());
    EXPECT_EQ(37u, NamedBlob::Read(buffer, read));
    EXPECT_EQ(three.data, read.data);
    EXPECT_EQ(three.name, read.name);
    EXPECT_EQ(46u, ResourceRef::Read(buffer, readRef));
    EXPECT_EQ(10, readRef.resourceId);
    EXPECT_EQ(L"common_res.dll", readRef.libraryName);
    EXPECT_EQ(ref.data, readRef.data);
    EXPECT_TRUE(readRef.name.empty());
}

TEST(ValueRecordTest, BlobSizePastTheEndFailsBeforeAllocating)
{
    DocumentWriter w;
    w.UInt(0xFFFFFFF0u);
    w.Raw({1, 2, 3});
    ResourceBuffer buffer(w.bytes.data(), w.bytes.size());
    NamedBlob blob;
    EXPECT_TRUE(ThrowsDocumentError([&] { NamedBlob::Read(buffer, blob); }));
    EXPECT_FALSE(blob.HasBytes());
}

TEST(ValueRecordTest, CopiesAreDeep)
{
    ResourceRef a(3, L"lib.dll");
    a.name = L"n";
    a.data = {9, 8};
    ResourceRef b = a;
    b.data[0] = 1;
    EXPECT_EQ(9, a.data[0]);
    EXPECT_EQ(3, b.resourceId);
    EXPECT_EQ(L"lib.dll", b.libraryName);
    ResourceRef& self = a;
    a = self;
    EXPECT_EQ((std::vector<uint8_t>{9, 8}), a.data);
}

TEST(ResKeyTest, KeysOfReferences)
{
    EXPECT_EQ(ResKey(L"common_res.dll", 10), ResourceRef(10, L"common_res.dll").GetKey());
    EXPECT_EQ(ResKey(L"common_res.dll", 4294967295ll), ResourceRef(-1, L"common_res.dll").GetKey());
    ResourceRef noId;
    noId.name = L"pic.png";
    const ResKey first = noId.GetKey();
    const ResKey second = noId.GetKey();
    EXPECT_EQ(L"pic.png", first.name);
    EXPECT_EQ(first.stamp + 1, second.stamp);
}

TEST(ResKeyTest, Order)
{
    struct Case {
        ResKey lower, higher;
    };
    const Case cases[] = {
        {{L"a", 5}, {L"a", 7}},
        {{L"a", -1}, {L"a", 0}},
        {{L"a", 99}, {L"b", -5}},
        {{L"A", 9}, {L"a", 0}},
        {{L"z", 0}, {L"\u00e9", 0}},
        {{L"", 0}, {L"a", 0}},
        {{L"ab", -100}, {L"abc", -200}},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(c.lower < c.higher);
        EXPECT_FALSE(c.higher < c.lower);
    }
    EXPECT_FALSE(ResKey(L"a", 1) < ResKey(L"a", 1));
}

TEST(ResKeyTest, RecordRoundTripsAndFromFileTakesTheModificationTime)
{
    DocumentWriter w;
    WriteResKey(w, ResKey(L"k", -42));
    ResourceBuffer buffer(w.bytes.data(), w.bytes.size());
    DocumentReader r(&buffer);
    ResKey key;
    ReadResKey(r, key);
    EXPECT_EQ(ResKey(L"k", -42), key);

    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"lw_key_test.txt";
    FILE* out = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(nullptr, out);
    std::fclose(out);
    struct _utimbuf times = {1000000000, 1000000000};
    ASSERT_EQ(0, _wutime(path.c_str(), &times));
    EXPECT_EQ(ResKey(path, 1000000000), ResKey::FromFile(path));
    _wremove(path.c_str());
    EXPECT_EQ(ResKey(L"C:\\no\\such\\file.png", 0), ResKey::FromFile(L"C:\\no\\such\\file.png"));
}

TEST(PathHelpers, ExtensionAndFileName)
{
    const std::pair<const wchar_t*, const wchar_t*> extensions[] = {
        {L"C:\\LIB\\COMMON_RES.DLL", L".dll"},
        {L"noext", L""},
        {L"C:\\my.dir\\file", L".dir\\file"},
        {L"x.", L"."},
        {L"Pic.\u00C9X", L".\u00C9x"}, // only A-Z are lowered
    };
    for (const auto& [path, ext] : extensions)
        EXPECT_EQ(ext, LowerCaseExtension(path)) << path;

    const std::pair<const wchar_t*, const wchar_t*> names[] = {
        {L"C:\\a\\x.mp3", L"x.mp3"},
        {L"x.mp3", L""},
        {L"C:\\a\\", L""},
        {L"C:/a/x.mp3", L""},
    };
    for (const auto& [path, name] : names)
        EXPECT_EQ(name, FileNamePart(path)) << path;
}

TEST(PathHelpers, ReadVec3)
{
    DocumentWriter w;
    w.Float(1.5f);
    w.Float(-2.0f);
    w.Float(3.25f);
    ResourceBuffer buffer(w.bytes.data(), w.bytes.size());
    D3DXVECTOR3 v;
    ReadVec3(buffer, v);
    EXPECT_EQ(D3DXVECTOR3(1.5f, -2.0f, 3.25f), v);
}

TEST(ResourceRefTest, LoadFromMissingLibraryKeepsTheBytes)
{
    ResourceRef ref(12, L"lw_no_such_library.dll");
    ref.data = {5, 6};
    EXPECT_FALSE(ref.LoadFromLibrary());
    EXPECT_EQ((std::vector<uint8_t>{5, 6}), ref.data);
    ResourceRef noLibrary(12, L"");
    EXPECT_FALSE(noLibrary.LoadFromLibrary());
}

} // namespace
