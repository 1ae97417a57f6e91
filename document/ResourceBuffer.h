// ResourceBuffer: the byte source behind the document archive.
//
// Either a memory cursor over a block of known size (the embedded document) or an input file.
// Every read is bounded: a read that would pass the end of the source throws the document
// error before it copies anything, so a truncated or damaged document can never be read past
// its end. A buffer with no source at all reads nothing and leaves every target unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

class ResourceBuffer {
public:
    ResourceBuffer() = default;
    ResourceBuffer(const void* data, size_t size) { SetMemory(data, size); }
    ~ResourceBuffer() { CloseFile(); }
    ResourceBuffer(const ResourceBuffer&) = delete;
    ResourceBuffer& operator=(const ResourceBuffer&) = delete;

    // Reads from memory: `size` bytes from `data` on. A null `data` leaves the buffer without a cursor.
    void SetMemory(const void* data, size_t size);
    // Reads from a file; returns false when it cannot be opened. The memory cursor takes
    // precedence while it is set.
    bool OpenFile(const std::wstring& path);
    void CloseFile();

    bool HasCursor() const { return cursor_ != nullptr; }
    bool HasSource() const { return cursor_ != nullptr || file_ != nullptr; }
    // Bytes still to be read; 0 for a buffer without a source.
    size_t Remaining() const;

    // Copies the next `count` bytes into `target`. Throws when fewer are left; does nothing
    // (target unchanged) without a source.
    void Read(void* target, size_t count);
    // Passes over `count` bytes, with the same bound.
    void Skip(uint64_t count);
    // Throws unless at least `count` bytes are left (a source-less buffer passes every check).
    // Readers call this before allocating room for a count or size read from the document.
    void Require(uint64_t count) const;

    template <class T>
    void ReadValue(T& target) { Read(&target, sizeof(T)); }

private:
    const uint8_t* cursor_ = nullptr;
    const uint8_t* end_ = nullptr;
    FILE* file_ = nullptr;
    uint64_t fileLeft_ = 0;
};

// One document string: three prefix bytes (not examined), a length in one of three forms,
// then that many UTF-16 units. A length of 0 leaves `target` as it was; otherwise `target`
// becomes the text up to its first U+0000 unit. Returns the bytes consumed.
size_t ReadDocString(ResourceBuffer& buffer, std::wstring& target);
