#include "platform/dshow/ColorConverter.h"

#include "platform/dshow/MediaSample.h"

#include <cstdlib>
#include <vector>

namespace {

DEFINE_GUID(CLSID_Colour, 0x1643E180, 0x90F5, 0x11CE, 0x97, 0xD5, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A);

}  // namespace

int ColorConverter::RgbBits(const AM_MEDIA_TYPE& type)
{
    if (type.majortype != MEDIATYPE_Video)
        return 0;
    const int bits = type.subtype == MEDIASUBTYPE_RGB32 ? 32 : type.subtype == MEDIASUBTYPE_RGB24 ? 24 : 0;
    const BITMAPINFOHEADER* header = VideoBitmapHeader(type);
    if (bits == 0 || header == nullptr || header->biBitCount != bits || header->biCompression != BI_RGB ||
        header->biWidth <= 0 || header->biHeight == 0 || header->biWidth > 16384 || std::abs(header->biHeight) > 16384)
        return 0;
    return bits;
}

ColorConverterInputPin::ColorConverterInputPin(ColorConverter& owner) : InputPinBase(owner, u"Input"), owner_(owner) {}

HRESULT ColorConverterInputPin::CheckMediaType(const AM_MEDIA_TYPE& type)
{
    return ColorConverter::RgbBits(type) != 0 ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT ColorConverterInputPin::OnReceive(IMediaSample* sample)
{
    MediaTypeHolder in;
    MediaTypeHolder out;
    if (CopyConnectionType(in) != S_OK || owner_.output_.CopyConnectionType(out) != S_OK)
        return S_OK;  // nothing downstream to convert for
    const BITMAPINFOHEADER& header = *VideoBitmapHeader(in.Get());
    const int inBytes = ColorConverter::RgbBits(in.Get()) / 8;
    const int outBytes = ColorConverter::RgbBits(out.Get()) / 8;
    const LONG width = header.biWidth;
    const LONG rows = std::abs(header.biHeight);
    const std::size_t inStride = static_cast<std::size_t>(DibRowBytes(width, inBytes * 8));
    const std::size_t outStride = static_cast<std::size_t>(DibRowBytes(width, outBytes * 8));
    BYTE* data = nullptr;
    if (sample->GetPointer(&data) != S_OK || data == nullptr ||
        static_cast<std::size_t>(sample->GetActualDataLength()) < inStride * static_cast<std::size_t>(rows))
        return E_INVALIDARG;
    std::vector<std::uint8_t> converted(outStride * static_cast<std::size_t>(rows), 0);
    for (LONG y = 0; y < rows; ++y) {
        const BYTE* from = data + inStride * static_cast<std::size_t>(y);
        std::uint8_t* to = converted.data() + outStride * static_cast<std::size_t>(y);
        for (LONG x = 0; x < width; ++x) {
            to[x * outBytes + 0] = from[x * inBytes + 0];
            to[x * outBytes + 1] = from[x * inBytes + 1];
            to[x * outBytes + 2] = from[x * inBytes + 2];
        }
    }
    ComPtr<MediaSample> result = MakeComObject<MediaSample>(std::move(converted));
    REFERENCE_TIME start;
    REFERENCE_TIME end;
    if (sample->GetTime(&start, &end) == S_OK)
        result->SetTime(&start, &end);
    LONGLONG mediaStart;
    LONGLONG mediaEnd;
    if (sample->GetMediaTime(&mediaStart, &mediaEnd) == S_OK)
        result->SetMediaTime(&mediaStart, &mediaEnd);
    return owner_.output_.Deliver(result.Get());
}

HRESULT ColorConverterInputPin::OnEndOfStream()
{
    const HRESULT hr = owner_.output_.DeliverEndOfStream();
    return hr == VFW_E_NOT_CONNECTED ? S_OK : hr;
}

ColorConverterOutputPin::ColorConverterOutputPin(ColorConverter& owner) : OutputPinBase(owner, u"Output"), owner_(owner)
{
}

HRESULT ColorConverterOutputPin::CheckMediaType(const AM_MEDIA_TYPE& type)
{
    MediaTypeHolder in;
    if (owner_.input_.CopyConnectionType(in) != S_OK)
        return VFW_E_NOT_CONNECTED;
    const BITMAPINFOHEADER* source = VideoBitmapHeader(in.Get());
    const BITMAPINFOHEADER* offered = VideoBitmapHeader(type);
    if (ColorConverter::RgbBits(type) == 0 || type.formattype != FORMAT_VideoInfo || offered->biWidth != source->biWidth ||
        offered->biHeight != source->biHeight)
        return VFW_E_TYPE_NOT_ACCEPTED;
    return S_OK;
}

HRESULT ColorConverterOutputPin::GetMediaType(int index, AM_MEDIA_TYPE& type)
{
    MediaTypeHolder in;
    if (index < 0 || index > 1 || owner_.input_.CopyConnectionType(in) != S_OK)
        return VFW_S_NO_MORE_ITEMS;
    const BITMAPINFOHEADER* source = VideoBitmapHeader(in.Get());
    const REFERENCE_TIME frameTime = reinterpret_cast<const VIDEOINFOHEADER*>(in.Get().pbFormat)->AvgTimePerFrame;
    type = MakeRgbVideoType(source->biWidth, source->biHeight, index == 0 ? 32 : 24, frameTime);
    return S_OK;
}

ComPtr<ColorConverter> ColorConverter::Create()
{
    return ComPtr<ColorConverter>::TakeOver(new ColorConverter());
}

ColorConverter::ColorConverter() : FilterBase(CLSID_Colour), input_(*this), output_(*this) {}

PinBase* ColorConverter::PinAt(int index)
{
    if (index == 0)
        return &input_;
    return index == 1 ? &output_ : nullptr;
}
