// The one failure the document readers report: a missing, damaged or unknown document.
// It is thrown as a plain uint32_t so that a single `catch (uint32_t)` serves every caller.
#pragma once

#include <cstdint>

constexpr uint32_t kDocumentError = 0x8200000Bu;

[[noreturn]] inline void ThrowDocumentError()
{
    throw static_cast<uint32_t>(kDocumentError);
}
