#include "document/SceneDoc.h"

#include <share.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <vector>

#include "document/DocResManager.h"
#include "document/DocumentError.h"
#include "document/ResourceBuffer.h"

namespace {

LegacyObjectListReader legacyListReader = nullptr;

// Smallest records, by their empty fields: they bound counts before anything is allocated.
constexpr uint64_t kMinSlideBytes = 8 + 4 + 4 + 8 + 8 + 8 + 4 * 3; // blocks, kind, title, blob, times
constexpr uint64_t kMinSoundBytes = 4 + 4 + 4 + 8;                 // name, version, title, blob
constexpr uint64_t kMinLegacyPictureBytes = 8 + 8;                 // version block, blob

int32_t ReadInt(ResourceBuffer& buffer)
{
    int32_t value = 0;
    buffer.ReadValue(value);
    return value;
}

} // namespace

void SetLegacyObjectListReader(LegacyObjectListReader reader)
{
    legacyListReader = reader;
}

// ---------------------------------------------------------------------------------------------
// Records

SlideRecord::~SlideRecord()
{
    for (DS_ABObj_Constructor* object : objects)
        delete object;
}

SceneDoc::~SceneDoc()
{
    Destroy();
    resources.reset();
}

void SceneDoc::Destroy()
{
    slides.reset();
    slideCount = 0;
    for (DS_AudioFile* sound : sounds)
        delete sound;
    sounds.clear();
}

bool DS_AudioFile::Write(DS_IOF_Virtual* archive)
{
    const std::wstring name = kClassName;
    const uint32_t version = kVersion;
    archive->WriteString(&name);
    archive->WriteULong(&version);
    archive->WriteString(&title);
    archive->WriteNamedBlob(&file);
    return true;
}

DS_AudioFile* DS_AudioFile::Read(DS_IOF_Virtual* archive)
{
    std::wstring name;
    uint32_t version = 0;
    archive->ReadString(&name);
    archive->ReadULong(&version);
    std::unique_ptr<DS_AudioFile> sound(new DS_AudioFile);
    archive->ReadString(&sound->title);
    archive->ReadNamedBlob(&sound->file);
    return sound.release();
}

std::wstring TemporaryCopyName(const std::wstring& storedPath)
{
    const size_t separator = storedPath.find_last_of(L"\\/");
    const std::wstring name = separator == std::wstring::npos ? storedPath : storedPath.substr(separator + 1);
    if (name.empty() || name == L"." || name == L".." || name.find(L':') != std::wstring::npos)
        return std::wstring();
    return name;
}

namespace {

// True when the file at `path` holds exactly `size` bytes equal to `bytes`. It is opened for reading
// beside whoever holds it (another copy of the program that plays it, say).
bool FileHoldsBytes(const std::wstring& path, const uint8_t* bytes, size_t size)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER length = {};
    bool same = GetFileSizeEx(file, &length) && uint64_t(length.QuadPart) == size;
    std::vector<uint8_t> chunk(64 * 1024);
    for (size_t done = 0; same && done < size;) {
        const DWORD wanted = DWORD(std::min<size_t>(chunk.size(), size - done));
        DWORD read = 0;
        same = ReadFile(file, chunk.data(), wanted, &read, nullptr) && read == wanted &&
               std::memcmp(chunk.data(), bytes + done, wanted) == 0;
        done += read;
    }
    CloseHandle(file);
    return same;
}

} // namespace

void DS_AudioFile::PrepareFile()
{
    if (!file.HasBytes())
        return;
    // Only a file will play: a stored path that names a folder keeps the embedded bytes.
    const DWORD attributes = file.name.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(file.name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        file.ReleaseBytes();
        return;
    }
    // The copy goes to the temporary folder under the stored file name.
    const std::wstring name = TemporaryCopyName(file.name);
    if (name.empty())
        return;
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH, folder);
    if (length == 0 || length > MAX_PATH)
        return;
    const std::wstring target = std::wstring(folder) + name;

    FILE* out = _wfsopen(target.c_str(), L"wb", _SH_DENYNO);
    if (out) {
        const bool written = std::fwrite(file.Bytes(), 1, file.Size(), out) == file.Size();
        const bool closed = std::fclose(out) == 0;
        if (!written || !closed)
            return; // the track keeps its path and its bytes
    } else if (!FileHoldsBytes(target, file.Bytes(), file.Size())) {
        // A copy that cannot be rewritten (another copy of the program plays it) serves as well
        // when it already holds these bytes; otherwise the track keeps its path and its bytes.
        return;
    }
    if (target != file.name) {
        file.ReleaseBytes();
        file.name = target;
    }
}

// ---------------------------------------------------------------------------------------------
// Reading

int32_t ReadVersionBlock(ResourceBuffer& buffer)
{
    const uint32_t units = static_cast<uint32_t>(ReadInt(buffer));
    buffer.Skip(uint64_t(units) * 2);
    return ReadInt(buffer);
}

void ReadSlideParamsAqua(ResourceBuffer& buffer, SlideRecord& slide, uint32_t paramVersion)
{
    slide.speed = static_cast<uint32_t>(ReadInt(buffer));
    if (paramVersion != 1)
        return;
    buffer.ReadValue(slide.legacyPictureCount);
    buffer.Require(uint64_t(slide.legacyPictureCount) * kMinLegacyPictureBytes);
    slide.legacyPictures.assign(slide.legacyPictureCount, NamedBlob());
    for (NamedBlob& picture : slide.legacyPictures) {
        ReadVersionBlock(buffer);
        NamedBlob::Read(buffer, picture);
    }
}

void ReadSlideParamsLake(ResourceBuffer& buffer, SlideRecord& slide, uint32_t paramVersion)
{
    slide.amount = ReadInt(buffer);
    slide.speed = static_cast<uint32_t>(ReadInt(buffer));
    if (paramVersion < 2) {
        static const uint32_t defaultLevels[6] = {31, 7, 58, 25, 100, 100};
        slide.colours[0] = 0x408000;
        for (int i = 0; i < 6; ++i)
            slide.levels[i] = defaultLevels[i];
        slide.options[0] = 1;
        return;
    }
    slide.colours[0] = static_cast<uint32_t>(ReadInt(buffer));
    for (int i = 0; i < 6; ++i)
        slide.levels[i] = static_cast<uint32_t>(ReadInt(buffer));
    slide.options[0] = ReadInt(buffer);
}

void ReadSlideParamsFire(ResourceBuffer& buffer, SlideRecord& slide, uint32_t paramVersion)
{
    if (paramVersion == 1) {
        slide.auxValue = ReadInt(buffer);
        slide.switches[0] = 0;
    }
    slide.amount = ReadInt(buffer);
    slide.speed = static_cast<uint32_t>(ReadInt(buffer));
    if (paramVersion < 2) {
        // The older blocks store neither the flame switch nor the haze levels: the fire light's
        // own initial values (flames on; bump scale 88, scroll speed 50, strength 25).
        static const uint32_t defaultLevels[3] = {88, 50, 25};
        slide.switches[1] = 1;
        for (int i = 0; i < 3; ++i)
            slide.levels[i] = defaultLevels[i];
        return;
    }
    DocumentReader archive(&buffer);
    ResKey unused;
    ReadResKey(archive, unused);
    ReadResKey(archive, unused);
    archive.ReadInt(&slide.switches[0]);
    archive.ReadInt(&slide.switches[1]);
    ReadResKey(archive, unused);
    ReadResKey(archive, unused);
    for (int i = 0; i < 3; ++i)
        archive.ReadUInt(&slide.levels[i]);
}

void ReadSlideParamsRings(ResourceBuffer& buffer, SlideRecord& slide)
{
    for (int i = 0; i < 9; ++i)
        slide.levels[i] = static_cast<uint32_t>(ReadInt(buffer));
    slide.speed = 50;
}

void ReadSlideParamsMatrix(ResourceBuffer& buffer, SlideRecord& slide)
{
    ResourceRef::Read(buffer, slide.resourceRefs[0]);
    for (int i = 0; i < 4; ++i)
        slide.levels[i] = static_cast<uint32_t>(ReadInt(buffer));
    slide.auxValue = ReadInt(buffer);
    slide.colours[0] = static_cast<uint32_t>(ReadInt(buffer));
    slide.colours[1] = static_cast<uint32_t>(ReadInt(buffer));
    slide.options[0] = ReadInt(buffer);
    slide.options[1] = ReadInt(buffer);
}

void ReadSlideParamsGlassBall(ResourceBuffer& buffer, SlideRecord& slide)
{
    for (int i = 0; i < 3; ++i)
        ResourceRef::Read(buffer, slide.resourceRefs[i]);
    for (int i = 0; i < 3; ++i)
        slide.levels[i] = static_cast<uint32_t>(ReadInt(buffer));
    for (int i = 0; i < 3; ++i)
        slide.switches[i] = ReadInt(buffer);
    slide.colours[0] = static_cast<uint32_t>(ReadInt(buffer));
    slide.colours[1] = static_cast<uint32_t>(ReadInt(buffer));
    slide.options[0] = ReadInt(buffer);
    slide.options[1] = ReadInt(buffer);
    NamedBlob::Read(buffer, slide.blobs[0]);
    slide.points[0].x = ReadInt(buffer);
    slide.points[0].y = ReadInt(buffer);
    slide.speed = 50;
}

bool ReadSlide(ResourceBuffer& buffer, SlideRecord& slide)
{
    ReadVersionBlock(buffer);
    slide.kind = ReadInt(buffer);

    // The title and the three times share one text: an empty time keeps the text before it.
    std::wstring text;
    ReadDocString(buffer, text);
    NamedBlob::Read(buffer, slide.picture);
    const uint32_t paramVersion = static_cast<uint32_t>(ReadVersionBlock(buffer));
    const int32_t listFormat = ReadVersionBlock(buffer);
    ReadDocString(buffer, text);
    slide.fadeInSeconds = _wtoi(text.c_str());
    ReadDocString(buffer, text);
    slide.fadeOutSeconds = _wtoi(text.c_str());
    ReadDocString(buffer, text);
    slide.holdSeconds = _wtoi(text.c_str());

    if (listFormat == 2) {
        if (!legacyListReader)
            ThrowDocumentError();
        legacyListReader(buffer, slide);
    } else if (listFormat == 3) {
        DocumentReader archive(&buffer);
        ReadObjectList(&archive, slide.objects);
    }

    switch (slide.kind) {
    case kSlidePicture: break;
    case kSlideUnderwater: ReadSlideParamsAqua(buffer, slide, paramVersion); break;
    case kSlideLake: ReadSlideParamsLake(buffer, slide, paramVersion); break;
    case kSlideFire: ReadSlideParamsFire(buffer, slide, paramVersion); break;
    case kSlideRings: ReadSlideParamsRings(buffer, slide); break;
    case kSlideGlyphs: ReadSlideParamsMatrix(buffer, slide); break;
    case kSlideGlassBall: ReadSlideParamsGlassBall(buffer, slide); break;
    default: return false;
    }
    return true;
}

void ReadSoundList(DS_IOF_Virtual* archive, std::list<DS_AudioFile*>& sounds)
{
    uint32_t count = 0;
    archive->ReadULong(&count);
    if (auto* reader = dynamic_cast<DocumentReader*>(archive))
        reader->buffer()->Require(uint64_t(count) * kMinSoundBytes);
    for (uint32_t i = 0; i < count; ++i)
        sounds.push_back(DS_AudioFile::Read(archive));
}

bool ReadSceneDocument(ResourceBuffer& buffer, SceneDoc& doc)
{
    doc.Destroy();

    std::wstring header;
    ReadDocString(buffer, header);
    if (header != kSceneDocumentHeader)
        return false;
    const uint32_t docVersion = static_cast<uint32_t>(ReadVersionBlock(buffer));

    uint32_t slideCount = 0;
    buffer.ReadValue(slideCount);
    if (slideCount != 0) {
        buffer.Require(uint64_t(slideCount) * kMinSlideBytes);
        doc.slides.reset(new SlideRecord[slideCount]);
        doc.slideCount = slideCount;
    }
    for (uint32_t i = 0; i < slideCount; ++i)
        if (!ReadSlide(buffer, doc.slides[i]))
            return false;

    // A new manager makes its own cache current; a read that fails gives the previous one back.
    // A read that fails also leaves the sound list empty, whichever record was cut short.
    ResourceCacheHandle* previousCache = CurrentResourceCache;
    std::unique_ptr<DS_DocResManager> manager;
    try {
        if (docVersion > 1) {
            DocumentReader archive(&buffer);
            ReadSoundList(&archive, doc.sounds);
            for (DS_AudioFile* sound : doc.sounds)
                sound->PrepareFile();
        }
        if (docVersion > 2) {
            DocumentReader archive(&buffer);
            manager.reset(ReadDocResManager(&archive));
        } else {
            manager.reset(new DS_DocResManager);
        }
    } catch (...) {
        CurrentResourceCache = previousCache;
        for (DS_AudioFile* sound : doc.sounds)
            delete sound;
        doc.sounds.clear();
        throw;
    }
    // Nothing of the previous read uses its manager any more: its slides are gone.
    doc.resources = std::move(manager);
    CurrentDocResManager = doc.resources.get();
    return true;
}

bool LoadSceneDocument(const void* data, size_t size, SceneDoc& doc)
{
    if (!data || size == 0)
        ThrowDocumentError();
    ResourceBuffer buffer(data, size);
    if (!ReadSceneDocument(buffer, doc))
        ThrowDocumentError();
    return true;
}

bool LoadSceneDocument(HMODULE module, SceneDoc& doc)
{
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(kSceneDocumentResourceId), L"DDS");
    const DWORD size = info ? SizeofResource(module, info) : 0;
    HGLOBAL handle = size ? LoadResource(module, info) : nullptr;
    const void* bytes = handle ? LockResource(handle) : nullptr;
    return LoadSceneDocument(bytes, bytes ? size : 0, doc);
}

bool LoadSceneDocument(SceneDoc& doc)
{
    return LoadSceneDocument(GetModuleHandleW(nullptr), doc);
}
