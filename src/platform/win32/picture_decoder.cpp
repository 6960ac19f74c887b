#include "platform/win32/picture_decoder.h"

#include <wincodec.h>
// The IFD metadata reader's identifiers are in no import library.
#include <initguid.h>
#include <wincodecsdk.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "platform/orientation.h"
#include "platform/picture_header.h"
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
    void** outVoid() { return reinterpret_cast<void**>(&p_); }
    T* operator->() const { return p_; }
    T* get() const { return p_; }

  private:
    T* p_ = nullptr;
};

class FileHandle {
  public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { CloseHandle(handle_); }
    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_;
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

// One factory per thread, made in that thread's apartment.
thread_local IWICImagingFactory* threadFactory = nullptr;

IWICImagingFactory* factory() {
    if (!threadFactory && FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr,
                                                  CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                                  reinterpret_cast<void**>(&threadFactory)))) {
        threadFactory = nullptr;
        throw RuntimeError::invalidPicture();
    }
    return threadFactory;
}

ReadAt fileReader(HANDLE file) {
    return [file](uint64_t offset, std::span<uint8_t> buffer) {
        size_t got = 0;
        while (got < buffer.size()) {
            OVERLAPPED at{};
            const uint64_t from = offset + got;
            at.Offset = static_cast<DWORD>(from);
            at.OffsetHigh = static_cast<DWORD>(from >> 32);
            const DWORD want = static_cast<DWORD>(std::min<size_t>(buffer.size() - got, 1u << 20));
            DWORD read = 0;
            // A failed read (a disc taken out) ends the file here: the picture is cut short.
            if (!ReadFile(file, buffer.data() + got, want, &read, &at) || read == 0) break;
            got += read;
        }
        return got;
    };
}

ReadAt memoryReader(const void* bytes, size_t size) {
    return [bytes, size](uint64_t offset, std::span<uint8_t> buffer) -> size_t {
        if (offset >= size) return 0;
        const size_t count = std::min<size_t>(buffer.size(), size - static_cast<size_t>(offset));
        std::memcpy(buffer.data(), static_cast<const uint8_t*>(bytes) + offset, count);
        return count;
    };
}

// The orientation tag of a JPEG's EXIF block, read by WIC's own IFD reader. Wine's JPEG
// codec offers a frame no metadata at all, so the block is found by its segment.
int orientationFromExifBlock(const ReadAt& read) {
    const auto block = jpegExifBlock(read);
    if (!block) return 1;
    std::vector<uint8_t> bytes(block->size);
    if (read(block->offset, bytes) != bytes.size()) return 1;
    Com<IWICStream> stream;
    LARGE_INTEGER directory{};
    directory.QuadPart = block->firstDirectory;
    Com<IWICMetadataReader> reader;
    Com<IWICPersistStream> persist;
    if (FAILED(factory()->CreateStream(stream.out())) ||
        FAILED(stream->InitializeFromMemory(bytes.data(), block->size)) ||
        FAILED(stream->Seek(directory, STREAM_SEEK_SET, nullptr)) ||
        FAILED(CoCreateInstance(CLSID_WICIfdMetadataReader, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICMetadataReader, reader.outVoid())) ||
        FAILED(reader->QueryInterface(IID_IWICPersistStream, persist.outVoid())) ||
        FAILED(persist->LoadEx(
            stream.get(), nullptr,
            block->bigEndian ? WICPersistOptionBigEndian : WICPersistOptionLittleEndian))) {
        return 1;
    }
    PROPVARIANT id;
    PropVariantInit(&id);
    id.vt = VT_UI2;
    id.uiVal = 274;  // Orientation
    PROPVARIANT value;
    PropVariantInit(&value);
    if (FAILED(reader->GetValue(nullptr, &id, &value))) return 1;
    const int orientation = value.vt == VT_UI2 ? value.uiVal : 1;
    PropVariantClear(&value);
    return knownOrientation(orientation);
}

int exifOrientation(IWICBitmapFrameDecode* frame, const ReadAt& read) {
    Com<IWICMetadataQueryReader> query;
    if (SUCCEEDED(frame->GetMetadataQueryReader(query.out()))) {
        PROPVARIANT value;
        PropVariantInit(&value);
        if (SUCCEEDED(query->GetMetadataByName(L"/app1/ifd/{ushort=274}", &value))) {
            const int orientation = value.vt == VT_UI2 ? value.uiVal : 1;
            PropVariantClear(&value);
            return knownOrientation(orientation);
        }
    }
    return orientationFromExifBlock(read);
}

std::unique_ptr<Picture> decodeFrame(IWICBitmapDecoder* decoder, Fit fit, PictureFormat format,
                                     const ReadAt& read) {
    Com<IWICBitmapFrameDecode> frame;
    check(decoder->GetFrame(0, frame.out()));
    UINT storedWidth = 0;
    UINT storedHeight = 0;
    check(frame->GetSize(&storedWidth, &storedHeight));
    if (storedWidth == 0 || storedHeight == 0) throw RuntimeError::invalidPicture();
    if (format != PictureFormat::Jpeg) {
        // What the codec found, also for formats whose headers are not read beforehand.
        checkPictureLimits(decodedPictureHeader(storedWidth, storedHeight),
                           DecoderScaling::AfterDecoding);
    }
    const int orientation = format == PictureFormat::Jpeg ? exifOrientation(frame.get(), read) : 1;
    const bool swaps = orientationSwapsSides(orientation);

    IWICBitmapSource* source = frame.get();
    Com<IWICBitmapScaler> scaler;
    UINT width = swaps ? storedHeight : storedWidth;  // upright
    UINT height = swaps ? storedWidth : storedHeight;
    PixelRect part;  // of the stored picture, as scaled
    if (fit.stretch && fit.width > 0 && fit.height > 0) {
        // The picture is scaled on its side and turned afterwards: only the frame's pixels
        // are ever turned. The scaler lets a JPEG decoder decode at a reduced size.
        width = static_cast<UINT>(fit.width);
        height = static_cast<UINT>(fit.height);
        check(factory()->CreateBitmapScaler(scaler.out()));
        check(scaler->Initialize(frame.get(), swaps ? height : width, swaps ? width : height,
                                 WICBitmapInterpolationModeFant));
        source = scaler.get();
        part = {0, 0, static_cast<int>(swaps ? height : width),
                static_cast<int>(swaps ? width : height)};
    } else {
        if (fit.width > 0 && fit.height > 0) {
            width = std::min(width, static_cast<UINT>(fit.width));  // the rest is never seen
            height = std::min(height, static_cast<UINT>(fit.height));
        }
        part = storedPartFor(orientation, static_cast<int>(storedWidth),
                             static_cast<int>(storedHeight), static_cast<int>(width),
                             static_cast<int>(height));
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
    const WICRect rect{part.left, part.top, part.width, part.height};
    const UINT stride = static_cast<UINT>(part.width) * 4;
    const UINT bytes = stride * static_cast<UINT>(part.height);
    if (orientation == 1) {
        check(converter->CopyPixels(&rect, stride, bytes, static_cast<BYTE*>(bits)));
    } else {
        std::vector<uint32_t> stored(size_t(part.width) * size_t(part.height));
        check(converter->CopyPixels(&rect, stride, bytes, reinterpret_cast<BYTE*>(stored.data())));
        turnUpright(orientation, stored, part.width, part.height,
                    {static_cast<uint32_t*>(bits), size_t(width) * height});
    }
    return picture;
}

}  // namespace

bool startPictureDecoding() {
    const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    return SUCCEEDED(result) || result == RPC_E_CHANGED_MODE;
}

void releasePictureFactory() {
    if (threadFactory) threadFactory->Release();
    threadFactory = nullptr;
}

FileIdentity identifyPictureFile(TextView path) {
    // No access asked for: only the file's record is read, whoever holds the file open.
    const HANDLE opened =
        CreateFileW(wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (opened == INVALID_HANDLE_VALUE) throw decodeFailure(HRESULT_FROM_WIN32(GetLastError()));
    const FileHandle file(opened);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.get(), &info)) {
        throw decodeFailure(HRESULT_FROM_WIN32(GetLastError()));
    }
    const auto join = [](DWORD high, DWORD low) { return (uint64_t(high) << 32) | low; };
    return {info.dwVolumeSerialNumber, join(info.nFileIndexHigh, info.nFileIndexLow),
            join(info.nFileSizeHigh, info.nFileSizeLow),
            join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime)};
}

std::unique_ptr<Picture> decodePictureFile(TextView path, Fit fit) {
    const std::wstring name = wide(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        throw decodeFailure(HRESULT_FROM_WIN32(GetLastError()));
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) throw RuntimeError::pathFileAccess();
    // Read, never mapped, and held open without sharing writes until the codec is done, so
    // the file it decodes is the one whose header was checked.
    const HANDLE opened = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (opened == INVALID_HANDLE_VALUE) throw decodeFailure(HRESULT_FROM_WIN32(GetLastError()));
    const FileHandle file(opened);
    const ReadAt read = fileReader(file.get());
    // The codecs decode at full size whatever the scaler asks for (Wine's always do), so that
    // is the size priced.
    const PictureFormat format = checkPictureFile(read, DecoderScaling::AfterDecoding);
    Com<IWICBitmapDecoder> decoder;
    check(factory()->CreateDecoderFromFilename(name.c_str(), nullptr, GENERIC_READ,
                                               WICDecodeMetadataCacheOnDemand, decoder.out()));
    return decodeFrame(decoder.get(), fit, format, read);
}

std::unique_ptr<Picture> decodePictureBytes(const void* bytes, size_t size, Fit fit) {
    const ReadAt read = memoryReader(bytes, size);
    const PictureFormat format = checkPictureFile(read, DecoderScaling::AfterDecoding);
    Com<IWICStream> stream;
    check(factory()->CreateStream(stream.out()));
    check(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(bytes)),
                                       static_cast<DWORD>(size)));
    Com<IWICBitmapDecoder> decoder;
    check(factory()->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnLoad,
                                             decoder.out()));
    return decodeFrame(decoder.get(), fit, format, read);
}

}  // namespace pelandra::win32
