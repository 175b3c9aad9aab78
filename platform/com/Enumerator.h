// A ready-made IEnumXxx implementation over a fixed snapshot of items, for any enumerator
// interface with the standard Next/Skip/Reset/Clone shape (connection points, pins, media
// types, filters, ...):
//
//   struct PinTraits {                      // how an item is handed out through Next
//       using OutItem = IPin*;
//       static IPin* HandOut(const ComPtr<IPin>& pin) { pin->AddRef(); return pin.Get(); }
//   };
//   using PinEnumerator = ComEnumerator<IEnumPins, ComPtr<IPin>, PinTraits>;
//   *out = MakeComObject<PinEnumerator>(MakeSnapshot(pins)).Detach();
//
// Next follows the Windows contract: E_POINTER for a null array, E_INVALIDARG when more than
// one item is asked for without a fetched count, S_FALSE when fewer items than asked remain.
// Clones share the snapshot and copy the position. HandOut must not throw.
#pragma once

#include "platform/com/ComObject.h"

#include <algorithm>
#include <memory>
#include <vector>

template <class Enum, class Item, class Traits>
class ComEnumerator final : public ComObject<Enum> {
public:
    using Snapshot = std::shared_ptr<const std::vector<Item>>;

    explicit ComEnumerator(Snapshot items, std::size_t position = 0) : items_(std::move(items)), position_(position) {}

    HRESULT Next(ULONG count, typename Traits::OutItem* out, ULONG* fetched) override
    {
        if (fetched != nullptr)
            *fetched = 0;
        if (out == nullptr)
            return E_POINTER;
        if (count > 1 && fetched == nullptr)
            return E_INVALIDARG;
        ULONG n = 0;
        while (n < count && position_ < items_->size()) {
            out[n] = Traits::HandOut((*items_)[position_]);
            ++n;
            ++position_;
        }
        if (fetched != nullptr)
            *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }

    HRESULT Skip(ULONG count) override
    {
        std::size_t left = items_->size() - position_;
        position_ += std::min<std::size_t>(count, left);
        return count <= left ? S_OK : S_FALSE;
    }

    HRESULT Reset() override
    {
        position_ = 0;
        return S_OK;
    }

    HRESULT Clone(Enum** copy) override
    {
        if (copy == nullptr)
            return E_POINTER;
        *copy = nullptr;
        return ComBoundary([&] {
            *copy = MakeComObject<ComEnumerator>(items_, position_).Detach();
            return S_OK;
        });
    }

private:
    Snapshot items_;
    std::size_t position_;
};

// Hands out counted interface pointers held as ComPtr<I>.
template <class I>
struct InterfaceItemTraits {
    using OutItem = I*;
    static I* HandOut(const ComPtr<I>& item)
    {
        if (item)
            item->AddRef();
        return item.Get();
    }
};

template <class Item>
std::shared_ptr<const std::vector<Item>> MakeSnapshot(std::vector<Item> items)
{
    return std::make_shared<const std::vector<Item>>(std::move(items));
}
