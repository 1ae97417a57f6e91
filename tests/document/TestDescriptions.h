// Description classes of the tests' own, registered with the reader registry to prove it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/ObjectReader.h"

// A flat record: two floats.
class TestSwimmer : public DS_ABObj_Constructor {
public:
    static constexpr const wchar_t* kClassName = L"TestSwimmer";
    float speedX = 0.0f;
    float speedY = 0.0f;
    uint32_t version = 0;

    bool Write(DS_IOF_Virtual* archive) override;
    static TestSwimmer* CreateFromStream(DS_IOF_Virtual* archive, uint32_t version);
};

// A derived record: one int of its own, then the TestSwimmer record with its name and version.
class TestDiver : public TestSwimmer {
public:
    static constexpr const wchar_t* kClassName = L"TestDiver";
    int32_t depth = 0;

    bool Write(DS_IOF_Virtual* archive) override;
    static TestDiver* CreateFromStream(DS_IOF_Virtual* archive, uint32_t version);
};

// Counts live instances, so tests can see that nothing leaks.
class TestCounted : public DS_ABObj_Constructor {
public:
    static constexpr const wchar_t* kClassName = L"TestCounted";
    static int alive;
    TestCounted() { ++alive; }
    ~TestCounted() override { --alive; }

    bool Write(DS_IOF_Virtual* archive) override;
    static TestCounted* CreateFromStream(DS_IOF_Virtual* archive, uint32_t version);
};

void RegisterTestReaders();

// The bytes of a format-3 object list body (after its count) holding the given descriptions.
std::vector<uint8_t> ObjectBytes(std::initializer_list<DS_ABObj_Constructor*> objects);
