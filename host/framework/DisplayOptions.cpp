#include "host/framework/DisplayOptions.h"

UINT HelpTextId(bool hasMonitor, const SaverAdapter* adapter)
{
    if (!hasMonitor || !adapter)
        return 2206;
    const SaverAdapter& a = *adapter;
    if (a.hasHal) {
        if (a.disableHardware) {
            if (!a.hasSw)
                return 2209;
            return a.compatibleSw ? 2207 : 2208;
        }
        if (a.compatibleHal)
            return 2200;
        if (!a.hasSw)
            return 2203;
        return a.compatibleSw ? 2201 : 2202;
    }
    if (!a.hasSw)
        return 2206;
    return a.compatibleSw ? 2204 : 2205;
}

UINT StatusTextId(const SaverAdapter* adapter)
{
    if (!adapter)
        return 2212;
    if (adapter->hasHal && adapter->compatibleHal && !adapter->disableHardware)
        return 2210;
    if (adapter->hasSw && adapter->compatibleSw)
        return 2211;
    return 2212;
}

int ModeBits(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_R8G8B8:
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
        return 32;
    default:
        return 16;
    }
}
