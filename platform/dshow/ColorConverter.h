// The colour space converter that the graph puts between two pins that agree on no type: it
// takes uncompressed RGB32 or RGB24 video on its input pin "Input" and offers the same
// pictures on its output pin "Output" in RGB32 or RGB24, converting each sample (times kept).
// Pictures keep their size and bottom-up row order.
//
// Threads: samples arrive and leave on the streaming thread; connections are made while
// stopped.
#pragma once

#include "platform/dshow/FilterBase.h"
#include "platform/dshow/PinBase.h"

class ColorConverter;

class ColorConverterInputPin final : public InputPinBase {
public:
    explicit ColorConverterInputPin(ColorConverter& owner);
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& type) override;

protected:
    HRESULT OnReceive(IMediaSample* sample) override;
    HRESULT OnEndOfStream() override;

private:
    ColorConverter& owner_;
};

class ColorConverterOutputPin final : public OutputPinBase {
public:
    explicit ColorConverterOutputPin(ColorConverter& owner);
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& type) override;
    HRESULT GetMediaType(int index, AM_MEDIA_TYPE& type) override;

private:
    ColorConverter& owner_;
};

class ColorConverter final : public FilterBase {
public:
    // Throws std::bad_alloc without memory.
    static ComPtr<ColorConverter> Create();

    // Bits per pixel (24 or 32) of an uncompressed RGB video type we convert, else 0.
    static int RgbBits(const AM_MEDIA_TYPE& type);

protected:
    int PinCount() override { return 2; }
    PinBase* PinAt(int index) override;

private:
    friend class ColorConverterInputPin;
    friend class ColorConverterOutputPin;

    ColorConverter();

    ColorConverterInputPin input_;
    ColorConverterOutputPin output_;
};
