// The left-handed orthographic and look-at matrices as D3DX defines them.
#include "d3dx9.h"

#include <cmath>

D3DXMATRIX* D3DXMatrixOrthoOffCenterLH(D3DXMATRIX* pOut, float l, float r, float b, float t, float zn, float zf) {
  D3DXMATRIX m{};
  m.m[0][0] = 2.0f / (r - l);
  m.m[1][1] = 2.0f / (t - b);
  m.m[2][2] = 1.0f / (zf - zn);
  m.m[3][0] = (l + r) / (l - r);
  m.m[3][1] = (t + b) / (b - t);
  m.m[3][2] = zn / (zn - zf);
  m.m[3][3] = 1.0f;
  *pOut = m;
  return pOut;
}

namespace {

D3DVECTOR Subtract(const D3DVECTOR& a, const D3DVECTOR& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
D3DVECTOR Cross(const D3DVECTOR& a, const D3DVECTOR& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Dot(const D3DVECTOR& a, const D3DVECTOR& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
D3DVECTOR Normalize(const D3DVECTOR& v) {
  const float length = std::sqrt(Dot(v, v));
  if (length == 0.0f) return v;
  return {v.x / length, v.y / length, v.z / length};
}

}  // namespace

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* pOut, const D3DXVECTOR3* pEye, const D3DXVECTOR3* pAt,
                               const D3DXVECTOR3* pUp) {
  const D3DVECTOR zaxis = Normalize(Subtract(*pAt, *pEye));
  const D3DVECTOR xaxis = Normalize(Cross(*pUp, zaxis));
  const D3DVECTOR yaxis = Cross(zaxis, xaxis);
  D3DXMATRIX m{};
  m.m[0][0] = xaxis.x;
  m.m[0][1] = yaxis.x;
  m.m[0][2] = zaxis.x;
  m.m[1][0] = xaxis.y;
  m.m[1][1] = yaxis.y;
  m.m[1][2] = zaxis.y;
  m.m[2][0] = xaxis.z;
  m.m[2][1] = yaxis.z;
  m.m[2][2] = zaxis.z;
  m.m[3][0] = -Dot(xaxis, *pEye);
  m.m[3][1] = -Dot(yaxis, *pEye);
  m.m[3][2] = -Dot(zaxis, *pEye);
  m.m[3][3] = 1.0f;
  *pOut = m;
  return pOut;
}
