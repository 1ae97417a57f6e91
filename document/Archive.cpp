#include "document/Archive.h"

#include "document/ResourceBuffer.h"
#include "document/ValueRecords.h"

void DS_IOF_R<ResourceBuffer>::ReadResourceRef(ResourceRef* target) { ResourceRef::Read(*buffer_, *target); }
void DS_IOF_R<ResourceBuffer>::ReadNamedBlob(NamedBlob* target) { NamedBlob::Read(*buffer_, *target); }
void DS_IOF_R<ResourceBuffer>::ReadString(std::wstring* target) { ReadDocString(*buffer_, *target); }
void DS_IOF_R<ResourceBuffer>::ReadInt64(int64_t* target) { buffer_->ReadValue(*target); }
void DS_IOF_R<ResourceBuffer>::ReadFloat(float* target) { buffer_->ReadValue(*target); }
void DS_IOF_R<ResourceBuffer>::ReadULong(uint32_t* target) { buffer_->ReadValue(*target); }
void DS_IOF_R<ResourceBuffer>::ReadUInt(uint32_t* target) { buffer_->ReadValue(*target); }
void DS_IOF_R<ResourceBuffer>::ReadByte(uint8_t* target) { buffer_->ReadValue(*target); }
void DS_IOF_R<ResourceBuffer>::ReadInt(int32_t* target) { buffer_->ReadValue(*target); }

void DS_IOF_R<ResourceBuffer>::ReadBool(bool* target)
{
    // A byte other than 0 or 1 must not land in a bool as it stands.
    if (!buffer_->HasSource())
        return;
    uint8_t byte = 0;
    buffer_->ReadValue(byte);
    *target = byte != 0;
}
