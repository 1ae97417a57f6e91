// A rectangle of four int parameters (left, right, top, bottom), each with its own listeners
// and undo, and two further int values that owners may use as they like (the static-picture
// kinds keep their centre point there). Stored in a document as six int32 in that order.
#pragma once

#include "document/params/MediaParamT.h"

class MediaRectangle : public MediaParam {
public:
    // All six values start at 0 until the owner assigns them.
    MediaRectangle() = default;
    // Copying and assigning take the six values; listeners and undo histories stay behind.
    MediaRectangle(const MediaRectangle&) = default;
    MediaRectangle& operator=(const MediaRectangle&) = default;

    // Reads left, right, top, bottom, extra1, extra2 (ReadInt each) straight into the values,
    // without telling any listener. Archive is the document archive (ReadInt(int*)).
    template <class Archive>
    void Read(Archive& archive)
    {
        archive.ReadInt(&left.value);
        archive.ReadInt(&right.value);
        archive.ReadInt(&top.value);
        archive.ReadInt(&bottom.value);
        archive.ReadInt(&extra1.value);
        archive.ReadInt(&extra2.value);
    }

    // Writes the same six values in the same order (WriteInt each).
    template <class Archive>
    void Write(Archive& archive) const
    {
        const int values[6] = {left.value, right.value, top.value, bottom.value, extra1.value, extra2.value};
        for (int v : values)
            archive.WriteInt(&v);
    }

    // Whether a point in view pixels lies inside, edges included (compared as floats).
    bool ContainsPixel(float px, float py) const;
    // Whether a screen point (layout units) lies inside once mapped into view pixels with
    // ViewportMapToPixels; false while no layout has been made. Defined with that function in
    // scene/render/ViewportMap.cpp, as it reads the current layout.
    bool Contains(float x, float y) const;

    MediaParamT<int> left;
    MediaParamT<int> right;
    MediaParamT<int> top;
    MediaParamT<int> bottom;
    MediaParamTB<int> extra1;
    MediaParamTB<int> extra2;
};

// Maps a screen point into view pixels: sx = scaleX x, sy = scaleY y, then the picture quad
// (20 floats, vertices {x, y, z, u, v} bottom-left, top-left, bottom-right, top-right) is
// stretched to width x height pixels. False when the quad has no width or no height, since
// no point can be mapped then.
bool MapScreenToViewPixels(float x, float y, float scaleX, float scaleY, const float quad[20], int width,
                           int height, float& px, float& py);
