// Builds whole scene documents, or their parts, from plain descriptions:
//
//     DocumentPlan doc;
//     doc.slides.push_back(SlidePlan{});          // one picture-only slide
//     std::vector<uint8_t> bytes = BuildDocument(doc);
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tools/docwriter/DocumentWriter.h"

namespace docguid {
constexpr const wchar_t* kDocument = L"{06545D1B-597B-4B32-8617-611AD97401D9}";
constexpr const wchar_t* kSlide = L"{A5BFFE60-97AA-4859-AFC7-6507CDBEE0AC}";
constexpr const wchar_t* kParameters = L"{101835D9-E996-4450-9D4A-D17387E726DE}";
constexpr const wchar_t* kList = L"{EBD7AA0F-85F6-4082-BAA5-E1FC6D2FA4BB}";
} // namespace docguid

// The light-kind parameters of one slide, written as the kind and parameter version ask.
struct KindParams {
    uint32_t speed = 50;
    int32_t amount = 0;
    int32_t auxValue = 0;
    int32_t switches[10] = {};
    uint32_t levels[10] = {};
    int32_t options[10] = {};
    uint32_t colours[10] = {};
    ResourceRef refs[3];
    NamedBlob blob;
    int32_t pointX = 0;
    int32_t pointY = 0;
    std::vector<NamedBlob> legacyPictures; // underwater, parameter version 1
    ResKey fireKeys[4];                    // fire, parameter version 2 and later
};

struct SlidePlan {
    int32_t kind = 0;
    std::wstring title;
    NamedBlob picture;
    uint32_t paramVersion = 2;
    int32_t listFormat = 3;
    std::wstring fadeIn = L"2";
    std::wstring fadeOut = L"2";
    std::wstring hold = L"10";
    // The object list's bytes after its count (format 3), and the count; for another list
    // format, `objectBytes` is written as it stands.
    uint32_t objectCount = 0;
    std::vector<uint8_t> objectBytes;
    KindParams params;
};

struct SoundPlan {
    std::wstring title;
    NamedBlob file;
};

using RefMap = std::map<ResKey, std::vector<ResourceRef>>;
using DurationMap = std::map<ResKey, std::vector<float>>;

struct ManagerPlan {
    uint32_t version = 2;
    RefMap textureSources;
    DurationMap frameDurations;
    RefMap meshSources; // written unless version is 1
};

struct DocumentPlan {
    std::wstring header = L"ZEL v 3.0.0";
    uint32_t docVersion = 3;
    std::vector<SlidePlan> slides;
    std::vector<SoundPlan> sounds;   // docVersion > 1
    ManagerPlan manager;             // docVersion > 2
    bool trailer = true;             // four zero bytes at the end
};

void WriteKindParams(DocumentWriter& w, int32_t kind, uint32_t paramVersion, const KindParams& p);
void WriteSlide(DocumentWriter& w, const SlidePlan& slide);
void WriteSound(DocumentWriter& w, const SoundPlan& sound);
void WriteManager(DocumentWriter& w, const ManagerPlan& manager);
std::vector<uint8_t> BuildDocument(const DocumentPlan& doc);
