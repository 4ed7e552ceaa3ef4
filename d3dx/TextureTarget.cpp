#include "TextureTarget.h"

TextureTarget::~TextureTarget() {
    m_Levels.Unlock();
    if (m_pTexture) m_pTexture->Release();
}

HRESULT TextureTarget::Open(IDirect3DDevice8* device, UINT width, UINT height, D3DFORMAT format,
                            RowOrder order) {
    HRESULT hr = device->CreateTexture(width, height, 0, 0, format, D3DPOOL_MANAGED, &m_pTexture);
    if (SUCCEEDED(hr)) hr = m_Levels.Lock(m_pTexture, 0, 0);
    if (FAILED(hr)) return hr;
    m_Chain.emplace(m_Levels.Views(), m_Levels.Count());
    return m_Chain->TopRows(order, &m_Rows);
}

HRESULT TextureTarget::Finish(IDirect3DTexture8** texture) {
    m_Chain->Finish();
    const HRESULT hr = m_Levels.Unlock();
    if (FAILED(hr)) return hr;
    *texture = m_pTexture;
    m_pTexture = nullptr;
    return D3D_OK;
}
