// The size of back buffer 0 of CurrentDevice: the render size every layout works to. It is read
// through the document's GetBackBufferDesc; this form adds whether there was one to read.
#pragma once

#include <d3d9.h>

struct BackBufferSize {
    UINT width = 0;
    UINT height = 0;
    bool ok = false; // false when there is no device or its back buffer could not be read
};

BackBufferSize CurrentBackBufferSize();
