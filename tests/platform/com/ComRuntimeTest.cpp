#include "platform/com/ClassFactory.h"
#include "platform/com/ComRuntime.h"
#include "platform/com/Ole.h"
#include "TestObjects.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

namespace {

constexpr CLSID TestClass = {0x5A0E0001, 0x1111, 0x2222, {0x33, 0x33, 0x44, 0x44, 0x44, 0x44, 0x44, 0x44}};

class Thing final : public ComObject<IPersist> {
public:
    HRESULT GetClassID(CLSID* clsid) override
    {
        *clsid = TestClass;
        return S_OK;
    }
};

// Balances whatever a test leaves initialised on this thread.
class ComRuntime : public ::testing::Test {
protected:
    void TearDown() override
    {
        UnregisterClassFactory(TestClass);
        for (int i = 0; i < 8; ++i) {
            OleUninitialize();
            CoUninitialize();
        }
    }
};

TEST_F(ComRuntime, InitialisationIsCountedPerThread)
{
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
    EXPECT_EQ(OleInitialize(nullptr), S_OK) << "first OLE initialisation of the thread";
    EXPECT_EQ(OleInitialize(nullptr), S_FALSE);

    // Another thread starts from nothing and its calls do not touch ours.
    HRESULT otherFirst = E_FAIL, otherCreate = E_FAIL;
    std::thread other([&] {
        void* out = nullptr;
        otherCreate = CoCreateInstance(TestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &out);
        otherFirst = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        CoUninitialize();
    });
    other.join();
    EXPECT_EQ(otherCreate, CO_E_NOTINITIALIZED);
    EXPECT_EQ(otherFirst, S_OK);

    // 2 CoInitialize + 2 OleInitialize = 4 COM counts: still initialised after three undo.
    CoUninitialize();
    OleUninitialize();
    OleUninitialize();
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE) << "one count left";
    CoUninitialize();
    CoUninitialize();
    EXPECT_EQ(CoInitialize(nullptr), S_OK) << "fully uninitialised before";
    CoUninitialize();
    CoUninitialize(); // unbalanced: ignored
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK) << "mode may change once uninitialised";
}

TEST_F(ComRuntime, CreateInstanceFollowsTheRegistry)
{
    void* out = Sentinel();
    EXPECT_EQ(CoCreateInstance(TestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IPersist, nullptr), E_POINTER);
    EXPECT_EQ(CoCreateInstance(TestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IPersist, &out), CO_E_NOTINITIALIZED);
    EXPECT_EQ(out, nullptr);

    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    out = Sentinel();
    EXPECT_EQ(CoCreateInstance(TestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IPersist, &out), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(out, nullptr);

    ComPtr<IClassFactory> factory = MakeClassFactory<Thing>();
    EXPECT_EQ(RegisterClassFactory(TestClass, nullptr), E_POINTER);
    ASSERT_EQ(RegisterClassFactory(TestClass, factory.Get()), S_OK);
    EXPECT_EQ(RefCount(factory.Get()), 2u) << "the registry holds one reference";
    EXPECT_EQ(RegisterClassFactory(TestClass, factory.Get()), CO_E_OBJISREG);
    EXPECT_EQ(RefCount(factory.Get()), 2u);

    out = Sentinel();
    ASSERT_EQ(CoCreateInstance(TestClass, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IPersist, &out), S_OK);
    auto* persist = static_cast<IPersist*>(out);
    EXPECT_EQ(RefCount(persist), 1u);
    CLSID clsid{};
    EXPECT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, TestClass);
    persist->Release();

    out = Sentinel();
    EXPECT_EQ(CoCreateInstance(TestClass, nullptr, CLSCTX_LOCAL_SERVER, IID_IPersist, &out), REGDB_E_CLASSNOTREG)
        << "every class here is an in-process server";
    EXPECT_EQ(out, nullptr);
    out = Sentinel();
    EXPECT_EQ(CoCreateInstance(TestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    IUnknown* outer = factory.Get();
    EXPECT_EQ(CoCreateInstance(TestClass, outer, CLSCTX_INPROC_SERVER, IID_IUnknown, &out), CLASS_E_NOAGGREGATION);

    ComPtr<IPersist> typed;
    ASSERT_EQ(CoCreateInstance(TestClass, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(typed.ReleaseAndGetAddressOf())), S_OK);
    EXPECT_EQ(RefCount(typed.Get()), 1u);
    typed.Reset();

    ASSERT_EQ(CoGetClassObject(TestClass, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, &out), S_OK);
    EXPECT_EQ(out, static_cast<IClassFactory*>(factory.Get()));
    static_cast<IUnknown*>(out)->Release();

    EXPECT_EQ(UnregisterClassFactory(TestClass), S_OK);
    EXPECT_EQ(RefCount(factory.Get()), 1u);
    EXPECT_EQ(UnregisterClassFactory(TestClass), CO_E_OBJNOTREG);
    EXPECT_EQ(CoCreateInstance(TestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IPersist, &out), REGDB_E_CLASSNOTREG);
}

TEST(MulDiv, RoundsHalvesAwayFromZero)
{
    struct Case {
        int number, numerator, denominator, expected;
    } cases[] = {
        {1, 1, 2, 1},   {-1, 1, 2, -1},  {1, -1, 2, -1}, {1, 1, -2, -1}, {-1, -1, 2, 1}, {3, 1, 2, 2},
        {5, 1, 3, 2},   {4, 1, 3, 1},    {-5, 1, 3, -2}, {0, -5, 2, 0},  {7, 0, 3, 0},
        // pixels to HIMETRIC at 96 dpi and back
        {320, 2540, 96, 8467}, {8467, 96, 2540, 320}, {100, 2540, 96, 2646},
        {1, 1, 0, -1},  {0x7FFFFFFF, 2, 1, -1}, {0x40000000, 0x40000000, 0x40000000, 0x40000000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.expected)
            << c.number << " * " << c.numerator << " / " << c.denominator;
}

TEST(ComRuntimeHelpers, LocaleIdComesFromTheEnvironment)
{
    const char* saved = std::getenv("LC_ALL");
    std::string keep = saved ? saved : "";
    setenv("LC_ALL", "fr_FR.UTF-8", 1);
    EXPECT_EQ(GetUserDefaultLCID(), 0x040Cu);
    setenv("LC_ALL", "en_GB.UTF-8", 1);
    EXPECT_EQ(GetUserDefaultLCID(), 0x0809u);
    setenv("LC_ALL", "C", 1);
    EXPECT_EQ(GetUserDefaultLCID(), 0x0409u);
    if (saved)
        setenv("LC_ALL", keep.c_str(), 1);
    else
        unsetenv("LC_ALL");
}

class Drawable final : public ComObject<IViewObject> {
public:
    DWORD aspect = 0;
    LONG index = 0;
    HDC dc = nullptr;
    RECTL bounds{};
    HRESULT Draw(DWORD a, LONG i, void*, DVTARGETDEVICE*, HDC, HDC d, LPCRECTL b, LPCRECTL, BOOL (*)(ULONG_PTR),
                 ULONG_PTR) override
    {
        aspect = a, index = i, dc = d, bounds = *b;
        return S_OK;
    }
    HRESULT GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override { return E_NOTIMPL; }
    HRESULT Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    HRESULT Unfreeze(DWORD) override { return E_NOTIMPL; }
    HRESULT SetAdvise(DWORD, DWORD, IAdviseSink*) override { return E_NOTIMPL; }
    HRESULT GetAdvise(DWORD*, DWORD*, IAdviseSink**) override { return E_NOTIMPL; }
};

TEST(Ole, DrawGoesThroughTheViewObject)
{
    ComPtr<Drawable> view = MakeComObject<Drawable>();
    HDC dc = reinterpret_cast<HDC>(static_cast<std::uintptr_t>(0x1234));
    RECT r{1, 2, 30, 40};
    EXPECT_EQ(OleDraw(view.Get(), DVASPECT_CONTENT, dc, &r), S_OK);
    EXPECT_EQ(view->aspect, DVASPECT_CONTENT);
    EXPECT_EQ(view->index, -1);
    EXPECT_EQ(view->dc, dc);
    EXPECT_EQ(view->bounds.right, 30);
    EXPECT_EQ(view->bounds.bottom, 40);
    EXPECT_EQ(RefCount(view.Get()), 1u);
    EXPECT_EQ(OleDraw(nullptr, DVASPECT_CONTENT, dc, &r), E_INVALIDARG);

    ComPtr<Thing> notDrawable = MakeComObject<Thing>();
    EXPECT_EQ(OleDraw(notDrawable.Get(), DVASPECT_CONTENT, dc, &r), E_NOINTERFACE);
}

TEST(Ole, MenuDescriptorIsRecordedPerFrame)
{
    HWND frame = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x10));
    HWND object = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x20));
    HOLEMENU menu = reinterpret_cast<HOLEMENU>(static_cast<std::uintptr_t>(0x30));
    EXPECT_EQ(OleSetMenuDescriptor(menu, nullptr, object, nullptr, nullptr), E_INVALIDARG);
    EXPECT_EQ(OleSetMenuDescriptor(menu, frame, object, nullptr, nullptr), S_OK);
    OleMenuDescriptorRecord record;
    ASSERT_TRUE(OleGetMenuDescriptor(frame, &record));
    EXPECT_EQ(record.descriptor, menu);
    EXPECT_EQ(record.activeObjectWindow, object);
    EXPECT_EQ(OleSetMenuDescriptor(nullptr, frame, nullptr, nullptr, nullptr), S_OK);
    EXPECT_FALSE(OleGetMenuDescriptor(frame, &record));
}

TEST(ComRuntimeHelpers, TaskMemory)
{
    void* block = CoTaskMemAlloc(0);
    ASSERT_NE(block, nullptr);
    block = CoTaskMemRealloc(block, 64);
    ASSERT_NE(block, nullptr);
    CoTaskMemFree(block);
    CoTaskMemFree(nullptr);
}

} // namespace
