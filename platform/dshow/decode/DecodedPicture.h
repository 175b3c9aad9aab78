// A decoded picture held on its way to conversion: a reference to the decoder's own picture,
// which stays valid and unchanged while the decoder goes on (no copy is made). Turned into
// DIB pixels by a PictureConverter, on any thread, without the decoder. Move-only; empty
// when default-constructed or moved from.
#pragma once

#include <memory>

namespace quellon::decode {

class DecodedPicture {
public:
    DecodedPicture();
    ~DecodedPicture();
    DecodedPicture(DecodedPicture&&) noexcept;
    DecodedPicture& operator=(DecodedPicture&&) noexcept;

    bool Empty() const { return !data_; }
    void Reset();

    // Defined in DecodedPictureData.h, inside the decoding library.
    struct Data;
    explicit DecodedPicture(std::unique_ptr<Data> data);
    const Data* Get() const { return data_.get(); }

private:
    std::unique_ptr<Data> data_;
};

}  // namespace quellon::decode
