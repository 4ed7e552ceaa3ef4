#include "TextureTarget.h"

#include "FormatChoice.h"
#include "TexturePlan.h"

TextureTarget::~TextureTarget() {
    m_Levels.Unlock();
    if (m_pTexture) m_pTexture->Release();
}

HRESULT TextureTarget::Open(UINT width, UINT height, D3DFORMAT format, RowOrder order, PixelView* rows) {
    *rows = {};
    UINT fittedWidth = width, fittedHeight = height;
    D3DFORMAT chosen = D3DFMT_UNKNOWN;
    // A failed choice is left for the decoded image to meet again once the
    // whole file is known to be sound.
    if (m_pTexture || !FitsCaps(fittedWidth, fittedHeight, m_Caps, m_Limits) ||
        FAILED(NearestTextureFormat(m_pDevice, format, &chosen)) || !StoresDecodedPixels(chosen, format))
        return D3D_OK;
    HRESULT hr = m_pDevice->CreateTexture(width, height, 0, 0, chosen, D3DPOOL_MANAGED, &m_pTexture);
    if (SUCCEEDED(hr)) hr = m_Levels.Lock(m_pTexture, 0, 0);
    if (FAILED(hr)) return hr;
    m_Chain.emplace(m_Levels.Views(), m_Levels.Count());
    return m_Chain->TopRows(order, rows);
}

HRESULT TextureTarget::Finish(IDirect3DTexture8** texture) {
    m_Chain->Finish();
    const HRESULT hr = m_Levels.Unlock();
    if (FAILED(hr)) return hr;
    *texture = m_pTexture;
    m_pTexture = nullptr;
    return D3D_OK;
}
