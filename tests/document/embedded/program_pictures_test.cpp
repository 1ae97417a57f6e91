// Pictures among the program's own resources: kept by id, and as bump maps.
#include <gtest/gtest.h>

#include "document/ResourceCache.h"
#include "tests/support/DeviceFixture.h"

namespace {

class ProgramPictures : public DeviceTest {};

TEST_F(ProgramPictures, AreKeptByIdAndLoadAsBumpMaps)
{
    ResourceCacheHandle cache;
    ResourceCache::Create(&cache);
    ComRef<IDirect3DTexture9> a = ResourceCache::GetTextureById(&cache, 2);
    ComRef<IDirect3DTexture9> b = ResourceCache::GetTextureById(&cache, 2);
    ASSERT_TRUE(a);
    EXPECT_EQ(a.Get(), b.Get());
    EXPECT_LT(1u, a->GetLevelCount()); // full mip chain

    ComRef<IDirect3DTexture9> single;
    ASSERT_EQ(S_OK, LoadTextureFromExeResource(2, false, single.Out()));
    EXPECT_EQ(1u, single->GetLevelCount());

    ComRef<IDirect3DTexture9> bump;
    ASSERT_EQ(S_OK, LoadBumpTextureFromExeResource(2, bump.Out()));
    D3DSURFACE_DESC desc;
    bump->GetLevelDesc(0, &desc);
    EXPECT_EQ(D3DFMT_V8U8, desc.Format);
    D3DLOCKED_RECT rect;
    ASSERT_EQ(D3D_OK, bump->LockRect(0, &rect, nullptr, D3DLOCK_READONLY));
    const int8_t* top = static_cast<const int8_t*>(rect.pBits);
    const int8_t* bottom = static_cast<const int8_t*>(rect.pBits) + rect.Pitch;
    EXPECT_EQ(200 - 128, top[0]);   // red -> u
    EXPECT_EQ(-128, top[1]);
    EXPECT_EQ(-128, bottom[0]);
    EXPECT_EQ(200 - 128, bottom[1]); // green -> v
    bump->UnlockRect(0);
}

} // namespace
