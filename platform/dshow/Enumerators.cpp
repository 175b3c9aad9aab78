#include "platform/dshow/Enumerators.h"

#include "platform/com/Enumerator.h"
#include "platform/dshow/MediaTypes.h"

#include <memory>

namespace {

template <class IEnum, class Item>
using InterfaceEnumerator = ComEnumerator<IEnum, ComPtr<Item>, InterfaceItemTraits<Item>>;

class MediaTypeEnumerator final : public ComObject<IEnumMediaTypes> {
public:
    using Types = std::vector<std::shared_ptr<MediaTypeHolder>>;

    MediaTypeEnumerator(Types types, std::size_t position) : types_(std::move(types)), position_(position) {}

    HRESULT Next(ULONG count, AM_MEDIA_TYPE** out, ULONG* fetched) override
    {
        if (out == nullptr)
            return E_POINTER;
        if (count > 1 && fetched == nullptr)
            return E_INVALIDARG;
        ULONG given = 0;
        while (given < count && position_ < types_.size()) {
            AM_MEDIA_TYPE* copy = CreateMediaType(&types_[position_]->Get());
            if (copy == nullptr) {
                for (ULONG i = 0; i < given; ++i) {
                    DeleteMediaType(out[i]);
                    out[i] = nullptr;
                }
                position_ -= given;
                if (fetched != nullptr)
                    *fetched = 0;
                return E_OUTOFMEMORY;
            }
            out[given++] = copy;
            ++position_;
        }
        if (fetched != nullptr)
            *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG count) override
    {
        const std::size_t left = types_.size() - position_;
        if (count > left) {
            position_ = types_.size();
            return S_FALSE;
        }
        position_ += count;
        return S_OK;
    }
    HRESULT Reset() override
    {
        position_ = 0;
        return S_OK;
    }
    HRESULT Clone(IEnumMediaTypes** copy) override
    {
        if (copy == nullptr)
            return E_POINTER;
        *copy = nullptr;
        return ComBoundary([&] {
            *copy = MakeComObject<MediaTypeEnumerator>(types_, position_).Detach();
            return S_OK;
        });
    }

private:
    Types types_;  // shared between clones: the records are never changed
    std::size_t position_;
};

}  // namespace

HRESULT CreatePinEnumerator(const std::vector<ComPtr<IPin>>& pins, IEnumPins** enumerator)
{
    if (enumerator == nullptr)
        return E_POINTER;
    *enumerator = nullptr;
    return ComBoundary([&] {
        *enumerator = MakeComObject<InterfaceEnumerator<IEnumPins, IPin>>(MakeSnapshot(pins)).Detach();
        return S_OK;
    });
}

HRESULT CreateFilterEnumerator(const std::vector<ComPtr<IBaseFilter>>& filters, IEnumFilters** enumerator)
{
    if (enumerator == nullptr)
        return E_POINTER;
    *enumerator = nullptr;
    return ComBoundary([&] {
        *enumerator = MakeComObject<InterfaceEnumerator<IEnumFilters, IBaseFilter>>(MakeSnapshot(filters)).Detach();
        return S_OK;
    });
}

HRESULT CreateMediaTypeEnumerator(const std::vector<const AM_MEDIA_TYPE*>& types, IEnumMediaTypes** enumerator)
{
    if (enumerator == nullptr)
        return E_POINTER;
    *enumerator = nullptr;
    return ComBoundary([&] {
        MediaTypeEnumerator::Types copies;
        for (const AM_MEDIA_TYPE* type : types) {
            auto holder = std::make_shared<MediaTypeHolder>();
            if (holder->Assign(type) != S_OK)
                return E_OUTOFMEMORY;
            copies.push_back(std::move(holder));
        }
        *enumerator = MakeComObject<MediaTypeEnumerator>(std::move(copies), 0).Detach();
        return S_OK;
    });
}
