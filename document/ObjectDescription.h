// Root of the object descriptions that a slide holds.
//
// The scene subsystem builds the whole family on this root (title, CreateObject, the view and
// sprite bases and one class per object kind); the document side needs only what it takes to
// read, own and delete descriptions.
#pragma once

#include "document/Archive.h"

class DS_ABObj_Constructor : public DS_IOF_Item {
public:
    ~DS_ABObj_Constructor() override = default;
};
