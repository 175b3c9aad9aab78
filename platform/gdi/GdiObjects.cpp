#include "platform/gdi/GdiObjects.h"

#include <mutex>
#include <unordered_map>

namespace gdi {
namespace {

// 96 dots per inch, so that text drawn on bitmaps has the screen's size.
constexpr int kDotsPerMeter = 3780;

struct HandleTable {
    std::mutex mutex;
    std::unordered_map<std::uintptr_t, std::unique_ptr<GdiObject>> objects;
    // Even numbers from well above the null handle; never reused.
    std::uintptr_t next = 0x10000;
};

HandleTable& Table()
{
    // Never destroyed: objects may still be released from static destructors.
    static HandleTable* table = new HandleTable;
    return *table;
}

void* Add(std::unique_ptr<GdiObject> object)
{
    HandleTable& t = Table();
    std::lock_guard lock(t.mutex);
    std::uintptr_t id = t.next;
    t.next += 2;
    t.objects.emplace(id, std::move(object));
    return reinterpret_cast<void*>(id);
}

} // namespace

Bitmap::~Bitmap() = default;

const BYTE* Bitmap::ConstRow(int y) const
{
    int memoryRow = bottomUp ? height - 1 - y : y;
    if (isSection)
        return sectionMemory.get() + strideBytes * static_cast<size_t>(memoryRow);
    return image.constScanLine(memoryRow);
}

BYTE* Bitmap::Row(int y)
{
    int memoryRow = bottomUp ? height - 1 - y : y;
    if (isSection)
        return sectionMemory.get() + strideBytes * static_cast<size_t>(memoryRow);
    return image.scanLine(memoryRow);
}

void Bitmap::PrepareWrite()
{
    if (isSection || image.isDetached())
        return;
    if (selectedInto)
        selectedInto->EndOwnPainter();
    image.detach();
}

DeviceContext::~DeviceContext()
{
    EndOwnPainter();
}

void DeviceContext::EndOwnPainter()
{
    if (ownPainter && ownPainter->isActive())
        ownPainter->end();
}

HBITMAP AddBitmap(std::unique_ptr<Bitmap> bitmap)
{
    return static_cast<HBITMAP>(Add(std::move(bitmap)));
}

HDC AddDeviceContext(std::unique_ptr<DeviceContext> dc)
{
    return static_cast<HDC>(Add(std::move(dc)));
}

GdiObject* FindObject(const void* handle)
{
    if (!handle)
        return nullptr;
    HandleTable& t = Table();
    std::lock_guard lock(t.mutex);
    auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == t.objects.end() ? nullptr : it->second.get();
}

Bitmap* FindBitmap(const void* handle)
{
    GdiObject* object = FindObject(handle);
    return object && object->kind == GdiObject::Kind::Bitmap ? static_cast<Bitmap*>(object) : nullptr;
}

DeviceContext* FindDeviceContext(const void* handle)
{
    GdiObject* object = FindObject(handle);
    return object && object->kind != GdiObject::Kind::Bitmap ? static_cast<DeviceContext*>(object) : nullptr;
}

std::unique_ptr<GdiObject> RemoveObject(const void* handle)
{
    if (!handle)
        return nullptr;
    HandleTable& t = Table();
    std::lock_guard lock(t.mutex);
    auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == t.objects.end())
        return nullptr;
    std::unique_ptr<GdiObject> object = std::move(it->second);
    t.objects.erase(it);
    return object;
}

HBITMAP StockBitmap()
{
    static HBITMAP stock = [] {
        std::unique_ptr<Bitmap> bitmap = NewDeviceBitmap(1, 1);
        bitmap->stock = true;
        return AddBitmap(std::move(bitmap));
    }();
    return stock;
}

std::unique_ptr<Bitmap> NewDeviceBitmap(int width, int height, bool black)
{
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide ||
        static_cast<long long>(width) * height > kMaxPixels)
        return nullptr;
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->image = QImage(width, height, QImage::Format_RGB32);
    if (bitmap->image.isNull())
        return nullptr;
    if (black)
        bitmap->image.fill(0xFF000000u);
    bitmap->image.setDotsPerMeterX(kDotsPerMeter);
    bitmap->image.setDotsPerMeterY(kDotsPerMeter);
    bitmap->width = width;
    bitmap->height = height;
    bitmap->layout = DeviceLayout();
    bitmap->strideBytes = static_cast<size_t>(bitmap->image.bytesPerLine());
    return bitmap;
}

} // namespace gdi
