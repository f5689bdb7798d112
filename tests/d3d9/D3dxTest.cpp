#include <gtest/gtest.h>

#include "d3dx9.h"

namespace {

D3DVECTOR Transform(const D3DMATRIX& m, float x, float y, float z) {
  const float w = x * m.m[0][3] + y * m.m[1][3] + z * m.m[2][3] + m.m[3][3];
  return {(x * m.m[0][0] + y * m.m[1][0] + z * m.m[2][0] + m.m[3][0]) / w,
          (x * m.m[0][1] + y * m.m[1][1] + z * m.m[2][1] + m.m[3][1]) / w,
          (x * m.m[0][2] + y * m.m[1][2] + z * m.m[2][2] + m.m[3][2]) / w};
}

TEST(D3dxTest, OrthoOffCenterMapsTheBoxToClipSpace) {
  D3DXMATRIX m;
  ASSERT_EQ(D3DXMatrixOrthoOffCenterLH(&m, -400.0f, 400.0f, -300.0f, 300.0f, 1.0f, 100.0f), &m);
  struct {
    float x, y, z;
    D3DVECTOR expected;
  } cases[] = {
      {-400, -300, 1, {-1, -1, 0}},
      {400, 300, 100, {1, 1, 1}},
      {0, 0, 50.5f, {0, 0, 0.5f}},
      {200, -150, 1, {0.5f, -0.5f, 0}},
  };
  for (const auto& c : cases) {
    const D3DVECTOR p = Transform(m, c.x, c.y, c.z);
    EXPECT_NEAR(p.x, c.expected.x, 1e-6);
    EXPECT_NEAR(p.y, c.expected.y, 1e-6);
    EXPECT_NEAR(p.z, c.expected.z, 1e-6);
  }
  // Off-centre: the box 0..10 x 0..20 lands on -1..1 too.
  D3DXMatrixOrthoOffCenterLH(&m, 0.0f, 10.0f, 0.0f, 20.0f, 0.0f, 1.0f);
  EXPECT_NEAR(Transform(m, 10, 20, 0).x, 1.0f, 1e-6);
  EXPECT_NEAR(Transform(m, 0, 0, 0).y, -1.0f, 1e-6);
}

TEST(D3dxTest, LookAtPutsTheEyeAtTheOriginLookingDownZ) {
  D3DXMATRIX m;
  const D3DXVECTOR3 eye(0, 0, -50), at(0, 0, 0), up(0, 1, 0);
  ASSERT_EQ(D3DXMatrixLookAtLH(&m, &eye, &at, &up), &m);
  const D3DVECTOR origin = Transform(m, 0, 0, 0);
  EXPECT_NEAR(origin.z, 50.0f, 1e-5);
  const D3DVECTOR p = Transform(m, 3, 4, 0);
  EXPECT_NEAR(p.x, 3.0f, 1e-5);  // left-handed: x stays right, y stays up
  EXPECT_NEAR(p.y, 4.0f, 1e-5);

  // Looking along +x from the origin: world +x becomes depth, world -z becomes right.
  const D3DXVECTOR3 eye2(0, 0, 0), at2(1, 0, 0);
  D3DXMatrixLookAtLH(&m, &eye2, &at2, &up);
  const D3DVECTOR q = Transform(m, 2, 0, -1);
  EXPECT_NEAR(q.x, 1.0f, 1e-5);
  EXPECT_NEAR(q.y, 0.0f, 1e-5);
  EXPECT_NEAR(q.z, 2.0f, 1e-5);
}

}  // namespace
