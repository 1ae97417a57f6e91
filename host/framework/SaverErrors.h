// The error state's rules: the host's failure codes, which message each code shows, and how
// the error box is placed, moved and its text centred.
#pragma once

#include <windows.h>

#include "host/framework/SaverRecords.h"

// The host's own failure codes.
constexpr HRESULT kErrNoDirect3D = static_cast<HRESULT>(0x82000001);
constexpr HRESULT kErrNoCompatibleDevice = static_cast<HRESULT>(0x82000003);
constexpr HRESULT kErrNoHardwareDevice = static_cast<HRESULT>(0x82000005);
constexpr HRESULT kErrMissingFeatures = static_cast<HRESULT>(0x82000006);
constexpr HRESULT kErrStartFailed = static_cast<HRESULT>(0x82000007);
constexpr HRESULT kErrMissingFeaturesDesktop = static_cast<HRESULT>(0x82000009);
constexpr HRESULT kErrMediaFailed = static_cast<HRESULT>(0x8200000B);
constexpr HRESULT kErrResetFailed = static_cast<HRESULT>(0x8200000C);
constexpr HRESULT kErrSceneHookFailed = static_cast<HRESULT>(0x8200000D);
constexpr HRESULT kErrCreateDeviceFailed = static_cast<HRESULT>(0x8200000E);
constexpr HRESULT kErrNoPreview = static_cast<HRESULT>(0x8200000F);

constexpr UINT kGenericErrorMessage = 2100;

// The string-table id of the message for a code; 2100 for a code without an entry.
UINT ErrorMessageId(HRESULT code);

// Places a box at its first turn: in preview mode the whole bounds, still; otherwise 300 × 150
// in the middle, moving a tenth of the width and a twentieth of the height per second.
void PlaceErrorBox(ErrorBox& box, const RECT& bounds, bool preview);

// Moves a box by dt seconds, turning it back at the edges of `bounds`. True when its left or
// top pixel edge changed, so the old and new places need a repaint.
bool StepErrorBox(ErrorBox& box, const RECT& bounds, float dt);

// The box as a pixel rectangle, each edge truncated toward zero.
RECT ErrorBoxRect(const ErrorBox& box);

// Top of the text rectangle that centres text of height `textHeight` in `box`.
LONG CentredTextTop(const RECT& box, int textHeight);
