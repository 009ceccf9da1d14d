#include "Platform/AtlCom.h"

#include "Platform/LibLoaderApi.h"
#include "tests/Platform/RegistryReading.h"
#include "tests/Support/TempRegistryDir.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct IFirst : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE First(int* value) = 0;
};
struct ISecond : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Second(int* value) = 0;
};
struct IThird : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Third(int* value) = 0;
};
struct INotOffered : IUnknown {};

} // namespace

KOVA_DECLARE_UUID(IFirst, "8A3D7C10-0000-4000-8000-000000000001");
KOVA_DECLARE_UUID(ISecond, "8A3D7C10-0000-4000-8000-000000000002");
KOVA_DECLARE_UUID(IThird, "8A3D7C10-0000-4000-8000-000000000003");
KOVA_DECLARE_UUID(INotOffered, "8A3D7C10-0000-4000-8000-000000000004");

namespace {

constexpr CLSID kWidgetClsid = Platform::GuidFromText("8A3D7C10-0000-4000-8000-0000000000A1");
constexpr CLSID kUnregisteredClsid = Platform::GuidFromText("8A3D7C10-0000-4000-8000-0000000000A2");
constexpr GUID kLibid = Platform::GuidFromText("8A3D7C10-0000-4000-8000-0000000000B1");
constexpr IID kAliasIid = Platform::GuidFromText("8A3D7C10-0000-4000-8000-0000000000C1");

int liveWidgets = 0;

class CWidget : public CComObjectRootEx<CComSingleThreadModel>,
                public CComCoClass<CWidget, &kWidgetClsid>,
                public IFirst,
                public IDispatchImpl<ISecond>,
                public IDispatchImpl<IThird> {
public:
    CWidget() { ++liveWidgets; }
    ~CWidget() { --liveWidgets; }

    DECLARE_REGISTRY_RESOURCEID(200)

    BEGIN_COM_MAP(CWidget)
    COM_INTERFACE_ENTRY(IFirst)
    COM_INTERFACE_ENTRY2(IDispatch, ISecond)
    COM_INTERFACE_ENTRY(ISecond)
    COM_INTERFACE_ENTRY(IThird)
    COM_INTERFACE_ENTRY_IID(kAliasIid, IThird)
    END_COM_MAP()

    HRESULT STDMETHODCALLTYPE First(int* value) override { return Answer(value, 1); }
    HRESULT STDMETHODCALLTYPE Second(int* value) override { return Answer(value, 2); }
    HRESULT STDMETHODCALLTYPE Third(int* value) override { return Answer(value, 3); }

private:
    static HRESULT Answer(int* value, int answer) {
        *value = answer;
        return S_OK;
    }
};

const _ATL_REGSCRIPT_ENTRY kScripts[] = {
    {100, L"HKCR { NoRemove AppID { %APPID% = s 'Widgets' } }"},
    {200, L"HKCR { NoRemove CLSID { ForceRemove {8A3D7C10-0000-4000-8000-0000000000A1} = s 'Widget Class' "
          L"{ InprocServer32 = s '%MODULE%' { val ThreadingModel = s 'Apartment' } } } }"},
    {0, nullptr}};

const Platform::TypeLibInterface kInterfaces[] = {{&__uuidof(ISecond), L"ISecond"}};

BEGIN_OBJECT_MAP(kObjectMap)
OBJECT_ENTRY(kWidgetClsid, CWidget)
END_OBJECT_MAP()

class CTestModule : public CAtlDllModuleT<CTestModule> {
public:
    CTestModule() { SetRegistryScripts(kScripts); }
    static _ATL_OBJMAP_ENTRY* GetObjectMap() { return kObjectMap; }
    static const Platform::TypeLibDescription& GetTypeLib() {
        static const Platform::TypeLibDescription library{&kLibid, L"WidgetLib", 1, 0, kInterfaces, 1};
        return library;
    }
    HRESULT UpdateRegistryAppId(BOOL bRegister) {
        const _ATL_REGMAP_ENTRY appId[] = {{L"APPID", L"{8A3D7C10-0000-4000-8000-0000000000D1}"},
                                           {nullptr, nullptr}};
        return UpdateRegistryFromResource(100, bRegister, appId);
    }
};

CTestModule testModule;

template <class I> I* Query(IUnknown* object) {
    I* result = nullptr;
    EXPECT_EQ(S_OK, object->QueryInterface(__uuidof(I), reinterpret_cast<void**>(&result)));
    return result;
}

TEST(AtlComTest, EveryMappedInterfaceReachesTheSameObjectAndUnknownIsTheFirstEntry) {
    CComObject<CWidget>* widget = nullptr;
    ASSERT_EQ(S_OK, CComObject<CWidget>::CreateInstance(&widget));
    widget->AddRef();

    IUnknown* unknown = Query<IUnknown>(widget->GetUnknown());
    IFirst* first = Query<IFirst>(unknown);
    EXPECT_EQ(static_cast<IUnknown*>(first), unknown);
    IDispatch* dispatch = Query<IDispatch>(first);
    ISecond* second = Query<ISecond>(dispatch);
    EXPECT_EQ(static_cast<IDispatch*>(second), dispatch);
    IThird* alias = nullptr;
    ASSERT_EQ(S_OK, second->QueryInterface(kAliasIid, reinterpret_cast<void**>(&alias)));
    int value = 0;
    alias->Third(&value);
    EXPECT_EQ(3, value);
    IUnknown* identity = Query<IUnknown>(alias);
    EXPECT_EQ(unknown, identity);
    identity->Release();
    unknown->Release();

    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, first->QueryInterface(__uuidof(INotOffered), &none));
    EXPECT_EQ(nullptr, none);
    EXPECT_EQ(E_POINTER, first->QueryInterface(__uuidof(IFirst), nullptr));

    UINT count = 7;
    EXPECT_EQ(E_NOTIMPL, dispatch->GetTypeInfoCount(&count));
    EXPECT_EQ(0u, count);

    for (IUnknown* held : {static_cast<IUnknown*>(first), static_cast<IUnknown*>(dispatch),
                           static_cast<IUnknown*>(second), static_cast<IUnknown*>(alias)}) {
        held->Release();
    }
    EXPECT_EQ(1, liveWidgets);
    widget->Release();
    EXPECT_EQ(0, liveWidgets);
}

TEST(AtlComTest, ClassObjectsComeFromTheObjectMapOnly) {
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
              testModule.DllGetClassObject(kUnregisteredClsid, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(E_POINTER, testModule.DllGetClassObject(kWidgetClsid, IID_IClassFactory, nullptr));
    EXPECT_EQ(E_NOINTERFACE, testModule.DllGetClassObject(kWidgetClsid, __uuidof(IFirst), &out));
}

TEST(AtlComTest, ClassFactoryIsKeptAndObjectsLockTheModuleWhileTheyLive) {
    IClassFactory* factory = nullptr;
    ASSERT_EQ(S_OK, testModule.DllGetClassObject(kWidgetClsid, IID_IClassFactory,
                                                 reinterpret_cast<void**>(&factory)));
    IClassFactory* again = nullptr;
    ASSERT_EQ(S_OK, testModule.DllGetClassObject(kWidgetClsid, IID_IClassFactory,
                                                 reinterpret_cast<void**>(&again)));
    EXPECT_EQ(factory, again);
    again->Release();
    EXPECT_EQ(S_OK, testModule.DllCanUnloadNow()); // a kept factory does not hold the module

    IFirst* first = nullptr;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, __uuidof(IFirst), reinterpret_cast<void**>(&first)));
    EXPECT_EQ(S_FALSE, testModule.DllCanUnloadNow());
    IUnknown* outer = first;
    void* aggregated = nullptr;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer, IID_IUnknown, &aggregated));
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, __uuidof(INotOffered), &aggregated));
    EXPECT_EQ(1, liveWidgets); // the object refused for the interface is gone again
    first->Release();
    EXPECT_EQ(S_OK, testModule.DllCanUnloadNow());

    factory->LockServer(TRUE);
    EXPECT_EQ(S_FALSE, testModule.DllCanUnloadNow());
    factory->LockServer(FALSE);
    factory->Release();
}

TEST(AtlComTest, RegistrationWritesScriptsAndTypeLibraryAndUnregistrationRemovesThem) {
    TestSupport::TempRegistryDir registry;
    using TestSupport::KeyExists;
    using TestSupport::ReadString;
    const std::wstring classKey = L"CLSID\\{8A3D7C10-0000-4000-8000-0000000000A1}";
    const std::wstring libKey = L"TypeLib\\{8A3D7C10-0000-4000-8000-0000000000B1}\\1.0";
    const std::wstring interfaceKey = L"Interface\\{8A3D7C10-0000-4000-8000-000000000002}";

    ASSERT_EQ(S_OK, testModule.DllRegisterServer());
    EXPECT_EQ(L"Widgets", ReadString(HKEY_CLASSES_ROOT, L"AppID\\{8A3D7C10-0000-4000-8000-0000000000D1}"));
    EXPECT_EQ(CAtlModule::ModulePath(), ReadString(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32"));
    EXPECT_EQ(L"WidgetLib", ReadString(HKEY_CLASSES_ROOT, libKey));
    EXPECT_EQ(CAtlModule::ModulePath(), ReadString(HKEY_CLASSES_ROOT, libKey + L"\\0\\win64"));
    EXPECT_EQ(L"ISecond", ReadString(HKEY_CLASSES_ROOT, interfaceKey));
    EXPECT_EQ(L"{8A3D7C10-0000-4000-8000-0000000000B1}",
              ReadString(HKEY_CLASSES_ROOT, interfaceKey + L"\\TypeLib"));
    EXPECT_EQ(L"1.0", ReadString(HKEY_CLASSES_ROOT, interfaceKey + L"\\TypeLib", L"Version"));

    ASSERT_EQ(S_OK, testModule.DllUnregisterServer());
    for (const std::wstring& key :
         std::vector<std::wstring>{L"AppID\\{8A3D7C10-0000-4000-8000-0000000000D1}", classKey,
                                   L"TypeLib\\{8A3D7C10-0000-4000-8000-0000000000B1}", interfaceKey}) {
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key)) << key.c_str();
    }
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
}

} // namespace
