// The scene document: slides with their light kinds, pictures, timings, kind parameters and
// object descriptions, the sound list and the document's resource manager, read from the
// program's resource "DDS" 107.
#pragma once

#include <windows.h>

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "document/Archive.h"
#include "document/ObjectReader.h"
#include "document/ValueRecords.h"

class DS_DocResManager;
class ResourceBuffer;

constexpr int32_t kSceneDocumentResourceId = 107;
constexpr const wchar_t* kSceneDocumentHeader = L"ZEL v 3.0.0";

// The light kinds a slide may name.
enum SlideKind : int32_t {
    kSlidePicture = 0,
    kSlideUnderwater = 1,
    kSlideLake = 2,
    kSlideFire = 3,
    kSlideRings = 4,
    kSlideGlyphs = 5,
    kSlideGlassBall = 6,
};

struct SlidePoint {
    int32_t x = 0;
    int32_t y = 0;
};

struct SlideRecord {
    int32_t kind = 0;
    NamedBlob picture;
    int32_t fadeInSeconds = 0;
    int32_t fadeOutSeconds = 0;
    int32_t holdSeconds = 0;
    int32_t switches[10] = {};
    uint32_t levels[10] = {};
    int32_t options[10] = {};
    uint32_t colours[10] = {}; // 0x00BBGGRR
    ResourceRef resourceRefs[10];
    NamedBlob blobs[10];
    SlidePoint points[10];
    uint32_t speed = 1;        // 50 is normal speed
    int32_t amount = 0;
    int32_t auxValue = 0;
    uint32_t legacyPictureCount = 0;
    uint32_t legacyObjectCount = 0;
    std::vector<NamedBlob> legacyPictures;
    ObjectList objects; // owned

    SlideRecord() = default;
    ~SlideRecord();
    SlideRecord(const SlideRecord&) = delete;
    SlideRecord& operator=(const SlideRecord&) = delete;
};

// One sound track: a title and the sound file (its path and, until PrepareFile, its bytes).
class DS_AudioFile : public DS_IOF_Item {
public:
    static constexpr const wchar_t* kClassName = L"DS_AudioFile";
    static constexpr uint32_t kVersion = 1;

    std::wstring title;
    NamedBlob file;

    bool Write(DS_IOF_Virtual* archive) override;
    // Class name and version (neither examined), then title and file.
    static DS_AudioFile* Read(DS_IOF_Virtual* archive);

    // Makes the track playable: a stored path that exists is used as it stands; otherwise the
    // embedded bytes are written to the temporary folder and the path moves to that copy. The
    // bytes are dropped (and the path moved) only once the file is there.
    void PrepareFile();
};

// The name under which a track's embedded bytes are copied into the temporary folder: the part
// of the stored path after its last backslash or slash, or the whole path when it has neither.
// Empty (no copy) for a part that is empty, "." or "..", or holds ':', so that no stored path can
// place the copy outside the temporary folder.
std::wstring TemporaryCopyName(const std::wstring& storedPath);

struct SceneDoc {
    uint32_t slideCount = 0;
    std::unique_ptr<SlideRecord[]> slides;
    std::list<DS_AudioFile*> sounds; // owned
    // The resource manager of the last successful read; the one it replaces is deleted then.
    std::unique_ptr<DS_DocResManager> resources;

    SceneDoc() = default;
    ~SceneDoc();
    SceneDoc(const SceneDoc&) = delete;
    SceneDoc& operator=(const SceneDoc&) = delete;

    bool Empty() const { return slideCount == 0 && sounds.empty(); }
    // Destroys the slides and sounds (the resource manager stays until a new read replaces it).
    void Destroy();
};

// Reads a hook for object lists of the older format (list format 2); until one is installed
// such a list fails the read with the document error.
using LegacyObjectListReader = void (*)(ResourceBuffer& buffer, SlideRecord& slide);
void SetLegacyObjectListReader(LegacyObjectListReader reader);

int32_t ReadVersionBlock(ResourceBuffer& buffer);
bool ReadSlide(ResourceBuffer& buffer, SlideRecord& slide);
void ReadSlideParamsAqua(ResourceBuffer& buffer, SlideRecord& slide, uint32_t paramVersion);
void ReadSlideParamsLake(ResourceBuffer& buffer, SlideRecord& slide, uint32_t paramVersion);
void ReadSlideParamsFire(ResourceBuffer& buffer, SlideRecord& slide, uint32_t paramVersion);
void ReadSlideParamsRings(ResourceBuffer& buffer, SlideRecord& slide);
void ReadSlideParamsMatrix(ResourceBuffer& buffer, SlideRecord& slide);
void ReadSlideParamsGlassBall(ResourceBuffer& buffer, SlideRecord& slide);
void ReadSoundList(DS_IOF_Virtual* archive, std::list<DS_AudioFile*>& sounds);

// False for a wrong header or a slide kind outside 0 to 6; throws the document error for a
// damaged document. After a success the document's manager is CurrentDocResManager.
bool ReadSceneDocument(ResourceBuffer& buffer, SceneDoc& doc);

// Loads resource "DDS" 107 of `module` (the program's own by default); throws the document
// error when it is missing, empty or cannot be read.
bool LoadSceneDocument(SceneDoc& doc);
bool LoadSceneDocument(HMODULE module, SceneDoc& doc);
// The same over a block of memory.
bool LoadSceneDocument(const void* data, size_t size, SceneDoc& doc);
