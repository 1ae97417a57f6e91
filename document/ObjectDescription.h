// Root of the object descriptions that a slide holds.
//
// The scene subsystem builds the whole family on this root (the view and sprite bases and one
// class per object kind, under scene/constructors/); the document side needs only what it takes
// to read, own and delete descriptions.
//
// Record, version 1: tag "DS_ABObj_Constructor", version, title.
#pragma once

#include <string>

#include "document/Archive.h"

class DS_ABObj;

class DS_ABObj_Constructor : public DS_IOF_Item {
public:
    static constexpr const wchar_t* kBaseTag = L"DS_ABObj_Constructor";
    static constexpr uint32_t kBaseVersion = 1;

    DS_ABObj_Constructor() = default;
    DS_ABObj_Constructor(const DS_ABObj_Constructor&) = default;
    DS_ABObj_Constructor& operator=(const DS_ABObj_Constructor&) = delete;
    ~DS_ABObj_Constructor() override = default;

    // The runtime object of this description, owned by the caller. A description kind that has
    // no runtime object gives none (null); callers skip it.
    virtual DS_ABObj* CreateObject() { return nullptr; }
    // Kept for the family's shape; nothing calls it. The runtime object's NotifyConstructor
    // forwards here.
    virtual bool NotifyFromObject(DS_ABObj*) { return false; }

    // The base record: tag, version 1, title.
    void WriteRecord(DS_IOF_Virtual* archive) const
    {
        const std::wstring tag = kBaseTag;
        const uint32_t version = kBaseVersion;
        archive->WriteString(&tag);
        archive->WriteULong(&version);
        archive->WriteString(&title);
    }
    // Reads the base record; its tag and version are read and not examined.
    void ReadBase(DS_IOF_Virtual* archive)
    {
        std::wstring tag;
        uint32_t version = 0;
        archive->ReadString(&tag);
        archive->ReadULong(&version);
        archive->ReadString(&title);
    }

    // The object's name in the document; stored and copied, never shown.
    std::wstring title;
};
