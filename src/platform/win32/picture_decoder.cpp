#include "platform/win32/picture_decoder.h"

#include <wincodec.h>

#include <algorithm>

#include "platform/runtime_error.h"
#include "platform/win32/wide_text.h"

namespace pelandra::win32 {

namespace {

// Minimal owner of a COM interface pointer.
template <typename T>
class Com {
  public:
    Com() = default;
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    ~Com() {
        if (p_) p_->Release();
    }
    T** out() { return &p_; }
    T* operator->() const { return p_; }
    T* get() const { return p_; }

  private:
    T* p_ = nullptr;
};

RuntimeError decodeFailure(HRESULT result) {
    switch (result) {
        case HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND):
            return RuntimeError::fileNotFound();
        case HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND):
            return RuntimeError::pathNotFound();
        case HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED):
        case HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION):
            return RuntimeError::permissionDenied();
        case E_OUTOFMEMORY:
            return RuntimeError::outOfMemory();
        default:
            return RuntimeError::invalidPicture();
    }
}

void check(HRESULT result) {
    if (FAILED(result)) throw decodeFailure(result);
}

IWICImagingFactory* factory() {
    static IWICImagingFactory* shared = [] {
        IWICImagingFactory* created = nullptr;
        if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IWICImagingFactory, reinterpret_cast<void**>(&created)))) {
            return static_cast<IWICImagingFactory*>(nullptr);
        }
        return created;
    }();
    if (!shared) throw RuntimeError::invalidPicture();
    return shared;
}

std::unique_ptr<Picture> decodeFrame(IWICBitmapDecoder* decoder, Fit fit) {
    Com<IWICBitmapFrameDecode> frame;
    check(decoder->GetFrame(0, frame.out()));
    UINT width = 0;
    UINT height = 0;
    check(frame->GetSize(&width, &height));
    if (width == 0 || height == 0) throw RuntimeError::invalidPicture();

    IWICBitmapSource* source = frame.get();
    Com<IWICBitmapScaler> scaler;
    if (fit.stretch && fit.width > 0 && fit.height > 0) {
        // The scaler lets a JPEG decoder decode at a reduced size: a huge photo is never
        // held at full size.
        check(factory()->CreateBitmapScaler(scaler.out()));
        check(scaler->Initialize(frame.get(), static_cast<UINT>(fit.width),
                                 static_cast<UINT>(fit.height), WICBitmapInterpolationModeFant));
        source = scaler.get();
        width = static_cast<UINT>(fit.width);
        height = static_cast<UINT>(fit.height);
    } else if (fit.width > 0 && fit.height > 0) {
        width = std::min(width, static_cast<UINT>(fit.width));  // the rest is never seen
        height = std::min(height, static_cast<UINT>(fit.height));
    }

    Com<IWICFormatConverter> converter;
    check(factory()->CreateFormatConverter(converter.out()));
    check(converter->Initialize(source, GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone,
                                nullptr, 0.0, WICBitmapPaletteTypeCustom));

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height);  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) throw RuntimeError::outOfMemory();
    auto picture =
        std::make_unique<Picture>(bitmap, static_cast<int>(width), static_cast<int>(height));
    const WICRect all{0, 0, static_cast<INT>(width), static_cast<INT>(height)};
    const UINT stride = width * 4;
    check(converter->CopyPixels(&all, stride, stride * height, static_cast<BYTE*>(bits)));
    return picture;
}

}  // namespace

bool startPictureDecoding() {
    const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    return SUCCEEDED(result) || result == RPC_E_CHANGED_MODE;
}

std::unique_ptr<Picture> decodePictureFile(TextView path, Fit fit) {
    const std::wstring name = wide(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        throw decodeFailure(HRESULT_FROM_WIN32(GetLastError()));
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) throw RuntimeError::pathFileAccess();
    Com<IWICBitmapDecoder> decoder;
    check(factory()->CreateDecoderFromFilename(name.c_str(), nullptr, GENERIC_READ,
                                               WICDecodeMetadataCacheOnDemand, decoder.out()));
    return decodeFrame(decoder.get(), fit);
}

std::unique_ptr<Picture> decodePictureBytes(const void* bytes, size_t size, Fit fit) {
    Com<IWICStream> stream;
    check(factory()->CreateStream(stream.out()));
    check(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(bytes)),
                                       static_cast<DWORD>(size)));
    Com<IWICBitmapDecoder> decoder;
    check(factory()->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnLoad,
                                             decoder.out()));
    return decodeFrame(decoder.get(), fit);
}

}  // namespace pelandra::win32
