// The IUnknown rules, checked once for every kind of object this layer hands out: each
// supported interface is reachable from every other, IUnknown is the same pointer whichever
// interface it is asked from, a refused interface leaves null, and no call leaks a reference.
#include "platform/com/ClassFactory.h"
#include "platform/com/HGlobalStream.h"
#include "platform/com/OleFont.h"
#include "TestObjects.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

struct ObjectKind {
    std::string name;
    std::function<ComPtr<IUnknown>()> create;
    std::vector<IID> supported;
};

ComPtr<IUnknown> Query(IUnknown* object, REFIID iid)
{
    void* out = nullptr;
    if (FAILED(object->QueryInterface(iid, &out)))
        return nullptr;
    return ComPtr<IUnknown>::TakeOver(static_cast<IUnknown*>(out));
}

std::vector<ObjectKind> Kinds()
{
    auto font = [] {
        void* out = nullptr;
        EXPECT_EQ(OleCreateFontIndirect(nullptr, IID_IUnknown, &out), S_OK);
        return ComPtr<IUnknown>::TakeOver(static_cast<IUnknown*>(out));
    };
    return {
        {"memory stream",
         [] {
             IStream* stream = nullptr;
             EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
             return ComPtr<IUnknown>::TakeOver(stream);
         },
         {IID_IStream, IID_ISequentialStream}},
        {"font", font, {IID_IFont, IID_IFontDisp, IID_IDispatch, IID_IConnectionPointContainer}},
        {"class factory", [] { return ComPtr<IUnknown>(MakeClassFactory<RecordingDispatch>()); }, {IID_IClassFactory}},
        {"connection point enumerator",
         [font] {
             ComPtr<IConnectionPointContainer> container;
             EXPECT_EQ(ComQuery(font().Get(), container), S_OK);
             IEnumConnectionPoints* points = nullptr;
             EXPECT_EQ(container->EnumConnectionPoints(&points), S_OK);
             return ComPtr<IUnknown>::TakeOver(points);
         },
         {IID_IEnumConnectionPoints}},
        {"connection point",
         [font] {
             ComPtr<IConnectionPointContainer> container;
             EXPECT_EQ(ComQuery(font().Get(), container), S_OK);
             IConnectionPoint* point = nullptr;
             EXPECT_EQ(container->FindConnectionPoint(IID_IPropertyNotifySink, &point), S_OK);
             return ComPtr<IUnknown>::TakeOver(point);
         },
         {IID_IConnectionPoint}},
    };
}

TEST(UnknownConformance, EveryObjectKeepsTheRules)
{
    const IID refused[] = {IID_IOleObject, IID_IPersist, GUID_NULL};
    for (const ObjectKind& kind : Kinds()) {
        SCOPED_TRACE(kind.name);
        ComPtr<IUnknown> object = kind.create();
        ASSERT_TRUE(object);
        ULONG baseline = RefCount(object.Get());
        ComPtr<IUnknown> identity = Query(object.Get(), IID_IUnknown);
        ASSERT_TRUE(identity);

        for (const IID& from : kind.supported) {
            ComPtr<IUnknown> a = Query(object.Get(), from);
            ASSERT_TRUE(a) << GuidToString(from);
            EXPECT_EQ(Query(a.Get(), IID_IUnknown), identity) << "identity through " << GuidToString(from);
            for (const IID& to : kind.supported)
                EXPECT_TRUE(Query(a.Get(), to)) << GuidToString(from) << " -> " << GuidToString(to);
        }
        for (const IID& iid : refused) {
            void* out = Sentinel();
            EXPECT_EQ(object->QueryInterface(iid, &out), E_NOINTERFACE) << GuidToString(iid);
            EXPECT_EQ(out, nullptr);
        }
        EXPECT_EQ(object->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
        identity.Reset();
        EXPECT_EQ(RefCount(object.Get()), baseline) << "no reference left behind";
    }
}

} // namespace
