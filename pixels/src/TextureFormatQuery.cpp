#include "pixels/TextureFormatQuery.h"

HRESULT TextureFormatQuery::Read(IDirect3DDevice8* device) {
    D3DDEVICE_CREATION_PARAMETERS creation;
    D3DDISPLAYMODE mode;
    HRESULT hr = device->GetCreationParameters(&creation);
    if (SUCCEEDED(hr)) hr = device->GetDisplayMode(&mode);
    if (FAILED(hr)) return hr;
    adapter = creation.AdapterOrdinal;
    deviceType = creation.DeviceType;
    displayFormat = mode.Format;
    return D3D_OK;
}
