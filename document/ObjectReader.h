// The class-name reader registry and the object lists of a slide.
//
// Each description class X that can be read from a document offers
//     static constexpr const wchar_t* kClassName = L"...";
//     static X* CreateFromStream(DS_IOF_Virtual* archive, uint32_t version);
// and is registered once with RegisterReader<X>(). Registration is explicit: the scene
// subsystem offers one function that registers all its classes, and programs and tests call it
// before the first document is read.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>

#include "document/Archive.h"
#include "document/ObjectDescription.h"

class IOF_Virtual_Reader {
public:
    // Reads the rest of one record (after its class name and version); the caller owns the result.
    virtual DS_ABObj_Constructor* Create(DS_IOF_Virtual* archive, uint32_t version) = 0;
    // A description of the class with its defaults, as its default constructor makes it; the
    // caller owns it. Lets a test go over every registered kind.
    virtual DS_ABObj_Constructor* CreateDefault() = 0;

    static std::map<std::wstring, IOF_Virtual_Reader*>& GetReaderMap();

protected:
    ~IOF_Virtual_Reader() = default; // reader objects live for the whole run
};

template <class X>
class IOF_Virtual_ReaderT : public IOF_Virtual_Reader {
public:
    DS_ABObj_Constructor* Create(DS_IOF_Virtual* archive, uint32_t version) override
    {
        return X::CreateFromStream(archive, version);
    }
    DS_ABObj_Constructor* CreateDefault() override { return new X; }

    static IOF_Virtual_ReaderT& Instance()
    {
        static IOF_Virtual_ReaderT reader;
        return reader;
    }
};

// Enters X's reader under X::kClassName. A second registration of the same class changes nothing.
template <class X>
void RegisterReader()
{
    static bool registered = false;
    if (registered)
        return;
    IOF_Virtual_Reader::GetReaderMap()[X::kClassName] = &IOF_Virtual_ReaderT<X>::Instance();
    registered = true;
}

using ObjectList = std::list<DS_ABObj_Constructor*>;

// One record: class name, version, then the registered reader's part. Null (having consumed
// only the name and version) when no reader is registered under the name.
DS_ABObj_Constructor* ReadDocumentObject(DS_IOF_Virtual* archive);

// A slide's list: uint32 count, then count records appended to `list` in document order.
// Throws the document error for a class without a reader; what was appended before stays.
void ReadObjectList(DS_IOF_Virtual* archive, ObjectList& list);
