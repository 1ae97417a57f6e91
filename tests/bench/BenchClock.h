// What the frame benchmarks read and compare against: the CPU time (user + kernel) of this thread
// and of the whole process, the wall time, all in seconds, the bare frame that only clears, and
// the frame that only draws one picture over the whole back buffer.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstdint>

inline double FileTimeSeconds(FILETIME t)
{
    return double((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) * 1e-7;
}

// Our own code's share (on the calling thread): the updates and the draw submission.
inline double ThreadCpuSeconds(HANDLE thread = GetCurrentThread())
{
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(thread, &created, &exited, &kernel, &user))
        return 0;
    return FileTimeSeconds(kernel) + FileTimeSeconds(user);
}

// Everything the process does, Wine's and Mesa's drawing threads and the sound included.
inline double ProcessCpuSeconds()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    return FileTimeSeconds(kernel) + FileTimeSeconds(user);
}

inline double WallSeconds()
{
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

// The scene of a bare frame: the back buffer cleared to black, the depth buffer to 1, nothing
// drawn. The caller presents.
inline void DrawBareScene(IDirect3DDevice9* device)
{
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    if (SUCCEEDED(device->BeginScene()))
        device->EndScene();
}

// The scene of a picture frame: `picture` drawn over the whole `width` x `height` back buffer as
// two pre-transformed triangles, nothing else. The caller presents.
inline void DrawPictureScene(IDirect3DDevice9* device, IDirect3DTexture9* picture, float width, float height)
{
    struct Vertex {
        float x, y, z, rhw, u, v;
    };
    const Vertex quad[4] = {{-0.5f, -0.5f, 0, 1, 0, 0},
                            {width - 0.5f, -0.5f, 0, 1, 1, 0},
                            {-0.5f, height - 0.5f, 0, 1, 0, 1},
                            {width - 0.5f, height - 0.5f, 0, 1, 1, 1}};
    if (FAILED(device->BeginScene()))
        return;
    device->SetTexture(0, picture);
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex));
    device->SetTexture(0, nullptr);
    device->EndScene();
}
