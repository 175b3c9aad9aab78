// Device contexts: the screen, memory contexts with a selected bitmap, and contexts
// that draw through a caller's QPainter.
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/GdiQt.h"

#include <QGuiApplication>
#include <QScreen>
#include <QThread>

#include <new>

using namespace gdi;

namespace gdi {
void RewrapSectionIfShared(Bitmap& bitmap); // Bitmaps.cpp
}

namespace {

constexpr int kScreenBitsPerPixel = 32;
constexpr int kScreenDotsPerInch = 96;

QSize ScreenSize()
{
    // QScreen may only be asked on the application's thread.
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (app && QThread::currentThread() == app->thread()) {
        if (QScreen* screen = QGuiApplication::primaryScreen())
            return screen->geometry().size();
    }
    return QSize(1920, 1080);
}

} // namespace

HDC GetDC(HWND window)
try {
    if (window)
        return nullptr;
    return AddDeviceContext(std::make_unique<DeviceContext>(GdiObject::Kind::ScreenDC));
} catch (const std::bad_alloc&) {
    return nullptr;
}

int ReleaseDC(HWND window, HDC dc)
{
    DeviceContext* context = FindDeviceContext(dc);
    if (!context || context->kind != GdiObject::Kind::ScreenDC)
        return 0;
    return RemoveObject(dc) ? 1 : 0;
}

HDC CreateCompatibleDC(HDC dc)
try {
    if (dc && !FindDeviceContext(dc))
        return nullptr;
    auto context = std::make_unique<DeviceContext>(GdiObject::Kind::MemoryDC);
    context->selected = StockBitmap();
    context->bitmap = FindBitmap(context->selected);
    return AddDeviceContext(std::move(context));
} catch (const std::bad_alloc&) {
    return nullptr;
}

BOOL DeleteDC(HDC dc)
{
    DeviceContext* context = FindDeviceContext(dc);
    if (!context || context->kind != GdiObject::Kind::MemoryDC)
        return FALSE;
    context->EndOwnPainter();
    if (context->bitmap && context->bitmap->selectedInto == context)
        context->bitmap->selectedInto = nullptr;
    return RemoveObject(dc) ? TRUE : FALSE;
}

HBITMAP SelectObject(HDC dc, HBITMAP handle)
{
    DeviceContext* context = FindDeviceContext(dc);
    Bitmap* bitmap = FindBitmap(handle);
    if (!context || !bitmap || context->kind != GdiObject::Kind::MemoryDC)
        return nullptr;
    if (bitmap->selectedInto && bitmap->selectedInto != context)
        return nullptr;
    HBITMAP previous = context->selected;
    if (handle == previous)
        return previous;
    context->EndOwnPainter();
    if (context->bitmap && context->bitmap->selectedInto == context)
        context->bitmap->selectedInto = nullptr;
    context->selected = handle;
    context->bitmap = bitmap;
    if (!bitmap->stock)
        bitmap->selectedInto = context;
    return previous;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    return ToGdiObject(SelectObject(dc, ToBitmap(object)));
}

DWORD GetObjectType(HGDIOBJ object)
{
    GdiObject* o = FindObject(object);
    if (!o)
        return 0;
    switch (o->kind) {
    case GdiObject::Kind::Bitmap:
        return OBJ_BITMAP;
    case GdiObject::Kind::MemoryDC:
        return OBJ_MEMDC;
    case GdiObject::Kind::ScreenDC:
    case GdiObject::Kind::PainterDC:
        return OBJ_DC;
    }
    return 0;
}

int GetDeviceCaps(HDC dc, int index)
{
    if (!FindDeviceContext(dc))
        return 0;
    switch (index) {
    case BITSPIXEL:
        return kScreenBitsPerPixel;
    case PLANES:
        return 1;
    case LOGPIXELSX:
    case LOGPIXELSY:
        return kScreenDotsPerInch;
    case HORZRES:
        return ScreenSize().width();
    case VERTRES:
        return ScreenSize().height();
    default:
        return 0;
    }
}

int SetStretchBltMode(HDC dc, int mode)
{
    DeviceContext* context = FindDeviceContext(dc);
    if (!context || mode < BLACKONWHITE || mode > HALFTONE)
        return 0;
    int previous = context->stretchMode;
    context->stretchMode = mode;
    return previous;
}

int GetStretchBltMode(HDC dc)
{
    DeviceContext* context = FindDeviceContext(dc);
    return context ? context->stretchMode : 0;
}

HDC CreatePainterDC(QPainter* painter, int width, int height)
try {
    if (!painter || !painter->isActive() || width < 0 || height < 0)
        return nullptr;
    auto context = std::make_unique<DeviceContext>(GdiObject::Kind::PainterDC);
    context->painter = painter;
    context->width = width;
    context->height = height;
    return AddDeviceContext(std::move(context));
} catch (const std::bad_alloc&) {
    return nullptr;
}

void DeletePainterDC(HDC dc)
{
    DeviceContext* context = FindDeviceContext(dc);
    if (context && context->kind == GdiObject::Kind::PainterDC)
        RemoveObject(dc);
}

QPainter* DCPainter(HDC dc)
{
    DeviceContext* context = FindDeviceContext(dc);
    if (!context)
        return nullptr;
    if (context->kind == GdiObject::Kind::PainterDC)
        return context->painter->isActive() ? context->painter : nullptr;
    if (context->kind != GdiObject::Kind::MemoryDC)
        return nullptr;
    Bitmap* bitmap = context->bitmap;
    if (!bitmap || bitmap->stock || bitmap->image.isNull())
        return nullptr;
    if (!context->ownPainter)
        context->ownPainter = std::make_unique<QPainter>();
    QPainter& painter = *context->ownPainter;
    if (!painter.isActive()) {
        RewrapSectionIfShared(*bitmap);
        if (!painter.begin(&bitmap->image))
            return nullptr;
        // Bottom-up sections hold the bottom row first; flipping here lets every
        // caller draw with y growing downwards.
        if (bitmap->bottomUp)
            painter.setTransform(QTransform(1, 0, 0, -1, 0, bitmap->height));
    }
    return &painter;
}
