// Unsigned parameters that keep a derived value, offset + scale x value, up to date.
//
// Each of these classes is a MediaParamT<unsigned int> and, as a second base, its own
// listener (the scaler): the scaler is registered second, right after the undo control and
// before any binding, so the derived value is already current when later listeners run.
// After changing scale or offset, call SetScaling (or store them and call OnParamChanged
// with null) so the derived value follows.
#pragma once

#include "document/params/MediaParamT.h"

// The arithmetic, shared by every scaled parameter.
// offset + scale x value, in single precision.
inline float ScaleUInt(unsigned int value, float scale, float offset)
{
    return offset + scale * static_cast<float>(value);
}
// The low 8 bits of x truncated toward zero. Values beyond the range of a 32-bit integer keep
// their exact low bits; NaN gives 0.
unsigned char LowByteTowardZero(float x);
// (x - offset) / scale truncated toward zero, low 32 bits. False, and value untouched, when
// there is no such number: scale 0, or a result that is not finite or lies beyond +-2^63.
bool UnscaleToUInt(float x, float scale, float offset, unsigned int& value);

inline void StoreScaled(float x, float& scaled) { scaled = x; }
inline void StoreScaled(float x, unsigned char& scaled) { scaled = LowByteTowardZero(x); }

// The shared body of UINTSclaleTo<T> and MediaFloat<unsigned int>. Not used on its own.
template <class T>
class ScaledUIntParam : public MediaParamT<unsigned int>, public MediaControlT<MediaParamT<unsigned int>> {
public:
    using Scaler = MediaControlT<MediaParamT<unsigned int>>;

    // The value 0 until the owner assigns one; scale 1, offset 0.
    ScaledUIntParam() : MediaParamT<unsigned int>(0u), Scaler(this) { RegisterScaler(); }
    // Value, scale and offset are copied and the derived value recomputed; the copy listens
    // to itself and to nothing else.
    ScaledUIntParam(const ScaledUIntParam& other)
        : MediaParamT<unsigned int>(other), Scaler(this), scale(other.scale), offset(other.offset)
    {
        RegisterScaler();
    }
    // Value, scale and offset are taken and the derived value recomputed; nobody is told.
    ScaledUIntParam& operator=(const ScaledUIntParam& other)
    {
        MediaParamT<unsigned int>::operator=(other);
        scale = other.scale;
        offset = other.offset;
        Recompute();
        return *this;
    }
    // The scaler base is destroyed first and leaves the listener list; then the parameter.
    ~ScaledUIntParam() override = default;

    void OnParamChanged(MediaControl*) override { Recompute(); }

    void SetScaling(float newScale, float newOffset)
    {
        scale = newScale;
        offset = newOffset;
        OnParamChanged(nullptr);
    }

    // Sets the value whose derived value is x (as near as truncation allows), through
    // SetValue with no source. Does nothing when no value maps to x (scale 0, say).
    void SetFromScaled(float x)
    {
        unsigned int v = 0;
        if (UnscaleToUInt(x, scale, offset, v))
            SetValue(v, nullptr);
    }

    T scaled = T();
    float scale = 1.0f;
    float offset = 0.0f;

private:
    void RegisterScaler()
    {
        AddControl(static_cast<Scaler*>(this));
        Recompute();
    }
    void Recompute() { StoreScaled(ScaleUInt(value, scale, offset), scaled); }
};

// T is unsigned char (derived byte) or float.
template <class T>
class UINTSclaleTo : public ScaledUIntParam<T> {
};

// Used by the fire light.
class MediaSpeedParam : public UINTSclaleTo<float> {
};

template <class T>
class MediaFloat;

// The same shape as UINTSclaleTo<float>.
template <>
class MediaFloat<unsigned int> : public ScaledUIntParam<float> {
};
