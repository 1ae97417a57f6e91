// Reading and writing a parameter's bare value through the document archive.
//
// Parameters have no record of their own: the owning class stores the value with the archive
// kind that matches its type (int with ReadInt/WriteInt, unsigned int with ReadUInt/WriteUInt,
// unsigned long, as in MediaColor, with ReadULong/WriteULong). A value read is stored straight
// into the parameter without notification, so its undo control's cached value stays behind;
// owners that must tell their listeners use SetValue instead.
//
// Archive is the document archive; any class with those operations will do.
#pragma once

#include <cstdint>

#include "document/params/MediaParam.h"

template <class Archive>
void ReadParamValue(Archive& archive, MediaParamTB<int>& param)
{
    archive.ReadInt(&param.value);
}
template <class Archive>
void ReadParamValue(Archive& archive, MediaParamTB<unsigned int>& param)
{
    archive.ReadUInt(&param.value);
}
template <class Archive>
void ReadParamValue(Archive& archive, MediaParamTB<unsigned long>& param)
{
    // The archive's 32-bit kind; unsigned long is 32 bits on Windows but a distinct type.
    uint32_t v = 0;
    archive.ReadULong(&v);
    param.value = v;
}

template <class Archive>
void WriteParamValue(Archive& archive, const MediaParamTB<int>& param)
{
    int v = param.value;
    archive.WriteInt(&v);
}
template <class Archive>
void WriteParamValue(Archive& archive, const MediaParamTB<unsigned int>& param)
{
    unsigned int v = param.value;
    archive.WriteUInt(&v);
}
template <class Archive>
void WriteParamValue(Archive& archive, const MediaParamTB<unsigned long>& param)
{
    const uint32_t v = param.value;
    archive.WriteULong(&v);
}
