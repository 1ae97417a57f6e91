// The size of back buffer 0 of CurrentDevice: the render size every layout works to.
#pragma once

#include <d3d9.h>

struct BackBufferSize {
    UINT width = 0;
    UINT height = 0;
    bool ok = false; // false when there is no device or its back buffer could not be read
};

BackBufferSize CurrentBackBufferSize();
