#include "document/ResourceBuffer.h"

#include <cstring>
#include <vector>

#include "document/DocumentError.h"

void ResourceBuffer::SetMemory(const void* data, size_t size)
{
    cursor_ = static_cast<const uint8_t*>(data);
    end_ = cursor_ ? cursor_ + size : nullptr;
}

bool ResourceBuffer::OpenFile(const std::wstring& path)
{
    CloseFile();
    file_ = _wfopen(path.c_str(), L"rb");
    if (!file_)
        return false;
    _fseeki64(file_, 0, SEEK_END);
    const int64_t size = _ftelli64(file_);
    _fseeki64(file_, 0, SEEK_SET);
    fileLeft_ = size > 0 ? static_cast<uint64_t>(size) : 0;
    return true;
}

void ResourceBuffer::CloseFile()
{
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
    fileLeft_ = 0;
}

size_t ResourceBuffer::Remaining() const
{
    if (cursor_)
        return static_cast<size_t>(end_ - cursor_);
    if (file_)
        return static_cast<size_t>(fileLeft_);
    return 0;
}

void ResourceBuffer::Require(uint64_t count) const
{
    if (HasSource() && count > Remaining())
        ThrowDocumentError();
}

void ResourceBuffer::Read(void* target, size_t count)
{
    if (count == 0 || !HasSource())
        return;
    Require(count);
    if (cursor_) {
        std::memcpy(target, cursor_, count);
        cursor_ += count;
        return;
    }
    if (std::fread(target, 1, count, file_) != count)
        ThrowDocumentError();
    fileLeft_ -= count;
}

void ResourceBuffer::Skip(uint64_t count)
{
    if (count == 0 || !HasSource())
        return;
    Require(count);
    if (cursor_) {
        cursor_ += count;
        return;
    }
    if (_fseeki64(file_, static_cast<int64_t>(count), SEEK_CUR) != 0)
        ThrowDocumentError();
    fileLeft_ -= count;
}

size_t ReadDocString(ResourceBuffer& buffer, std::wstring& target)
{
    if (!buffer.HasSource())
        return 0;
    buffer.Skip(3); // the prefix, FF FE FF in every document
    size_t consumed = 4;
    uint8_t shortLength = 0;
    buffer.ReadValue(shortLength);
    uint32_t length = shortLength;
    if (shortLength == 0xFF) {
        uint16_t middle = 0;
        buffer.ReadValue(middle);
        consumed += 2;
        length = middle;
        if (middle == 0xFFFF) {
            buffer.ReadValue(length);
            consumed += 4;
        }
    }
    if (length == 0)
        return consumed;

    buffer.Require(uint64_t(length) * 2);
    std::vector<wchar_t> text(size_t(length) + 1, L'\0');
    buffer.Read(text.data(), size_t(length) * 2);
    target.assign(text.data()); // ends at the first U+0000
    return consumed + size_t(length) * 2;
}
