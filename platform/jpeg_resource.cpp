#include "jpeg_resource.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <string>

#include "windows_error.h"

namespace platform {

using Microsoft::WRL::ComPtr;

namespace {

struct ResourceBytes {
    const BYTE* data;
    DWORD size;
};

ResourceBytes FindResourceBytes(const wchar_t* name) {
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC resource = FindResourceW(module, name, MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (!resource) throw WindowsError("FindResource", GetLastError());
    const HGLOBAL loaded = LoadResource(module, resource);
    if (!loaded) throw WindowsError("LoadResource", GetLastError());
    return {static_cast<const BYTE*>(LockResource(loaded)), SizeofResource(module, resource)};
}

}  // namespace

DecodedPicture DecodeJpegResource(const wchar_t* resource) {
    const ResourceBytes bytes = FindResourceBytes(resource);

    ComPtr<IWICImagingFactory> factory;
    ThrowIfFailed(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory)),
                  "CoCreateInstance(WICImagingFactory)");
    ComPtr<IWICStream> stream;
    ThrowIfFailed(factory->CreateStream(&stream), "IWICImagingFactory::CreateStream");
    ThrowIfFailed(stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data), bytes.size),
                  "IWICStream::InitializeFromMemory");
    ComPtr<IWICBitmapDecoder> decoder;
    ThrowIfFailed(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, &decoder),
                  "IWICImagingFactory::CreateDecoderFromStream");
    ComPtr<IWICBitmapFrameDecode> frame;
    ThrowIfFailed(decoder->GetFrame(0, &frame), "IWICBitmapDecoder::GetFrame");
    ComPtr<IWICFormatConverter> converter;
    ThrowIfFailed(factory->CreateFormatConverter(&converter), "IWICImagingFactory::CreateFormatConverter");
    ThrowIfFailed(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr,
                                        0.0, WICBitmapPaletteTypeCustom),
                  "IWICFormatConverter::Initialize");

    UINT width = 0;
    UINT height = 0;
    ThrowIfFailed(converter->GetSize(&width, &height), "IWICBitmapSource::GetSize");

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height);  // top-down, as WIC delivers the rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    DecodedPicture picture{UniqueBitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0)),
                           static_cast<int>(width), static_cast<int>(height)};
    if (!picture.bitmap) throw WindowsError("CreateDIBSection", GetLastError());
    const UINT stride = width * 4;
    ThrowIfFailed(converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(pixels)),
                  "IWICBitmapSource::CopyPixels");
    return picture;
}

}  // namespace platform
