// AnimatedTexture<T>: texture frames with their frame times on top of a mesh T, advanced on an
// object clock.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <vector>

#include "document/ComRef.h"
#include "document/ResourceCache.h"
#include "scene/objects/SpriteQuads.h"

template <class T>
class AnimatedTexture : public T {
public:
    // Takes the frames (new references), frame times, size and aspect of `anim`.
    void AssignAnimation(const TextureAnim& anim)
    {
        frames = anim.frames;
        frameTimes = anim.frameDurations;
        width = anim.width;
        height = anim.height;
        aspect = anim.aspect;
    }

    // At most one frame on per call, at object time t.
    void AdvanceFrame(float t)
    {
        AdvanceFrameIndex(currentFrame, lastSwitch, t, frameTimes.data(), frameTimes.size(), frames.size());
    }

    // Whether there is a frame to draw (a null frame counts: it draws untextured).
    bool HasFrame() const { return currentFrame < frames.size(); }
    IDirect3DTexture9* CurrentFrame() const { return HasFrame() ? frames[currentFrame].Get() : nullptr; }

    std::vector<ComRef<IDirect3DTexture9>> frames;
    std::vector<float> frameTimes;
    uint32_t width = 0;
    uint32_t height = 0;
    float aspect = 1.0f;
    uint32_t currentFrame = 0;
    float lastSwitch = 0.0f;
};
