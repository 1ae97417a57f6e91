// The object lists of the older document format (list format 2).
//
// Each entry begins with a GUID text instead of a class name, and only two kinds of entry exist:
// the legacy 2D sprite (DS_2D_Sprites_Constructor), bare or inside a small wrapper, and the
// falling leaves. The values are read straight from the buffer, every read bounded by it.
//
// List: uint32 count, then per entry an int32 n and n UTF-16 units of tag text (no prefix, no
// length forms; U+0000 counts), then the entry's record. The wrapper's record is an int32
// version (0 or 1), an int32 m, m UTF-16 units that are skipped, then a 2D-sprite record.
#pragma once

#include <vector>

class DS_2D_Sprites_Constructor;
class DS_3D_in_2D_array_Constructor;
class ResourceBuffer;
struct SlideRecord;

namespace legacyguid {
constexpr const wchar_t* kSprite = L"{5509875D-3719-4DBB-A559-FA6C15B68F53}";
constexpr const wchar_t* kLeaves = L"{4C101BAB-92CE-412B-8DE2-A9536150F5F8}";
constexpr const wchar_t* kWrapper = L"{4575E08F-68C9-445F-B64B-13B19E5662F0}";
} // namespace legacyguid

// The newest 2D-sprite record version; later ones fail the read before anything is made.
constexpr unsigned int kLegacySpriteVersionMax = 11;

// The list: its count goes into the slide's legacyObjectCount, every object made is appended to
// its objects. Throws the document error for an unknown tag, a wrapper version above 1 or a
// damaged record; what was appended before stays in the slide.
void ReadLegacyObjectList(ResourceBuffer& buffer, SlideRecord& slide);

// One 2D-sprite record, from its version on. A motion whose direction the record does not give
// is snapped to whole degrees. The caller owns the result.
DS_2D_Sprites_Constructor* ReadLegacy2DSprites(ResourceBuffer& buffer);
// One falling-leaves record: an ignored int32, then the leaves' own fields (no base record).
DS_3D_in_2D_array_Constructor* ReadLegacy3DIn2DArray(ResourceBuffer& buffer);
// uint32 count, then count floats; `values` is resized to the count and filled.
void ReadFloatVector(ResourceBuffer& buffer, std::vector<float>& values);
