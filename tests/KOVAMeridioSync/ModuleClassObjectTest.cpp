// The plug-in's class-object entry point and lock count, reached through dlopen as the host does.
#include "KOVAMeridioSync/KOVAMeridioFieldInfo.h"
#include "KOVAMeridioSync/KOVAMeridioFieldSetInfo.h"
#include "KOVASyncBasicsLib/FieldInfo.h"
#include "Platform/Unknwn.h"
#include "Platform/WinError.h"
#include "tests/KOVAMeridioSync/LoadedPlugin.h"

#include <gtest/gtest.h>

namespace {

using TestSupport::LoadedPlugin;

constexpr CLSID kUnknownClsid = Platform::GuidFromText("6E1D7A40-1C55-4F37-9A0B-5D2C9B8E0F11");

IClassFactory* FactoryOf(REFCLSID clsid) {
    IClassFactory* factory = nullptr;
    EXPECT_EQ(S_OK, LoadedPlugin::Get().DllGetClassObject(clsid, IID_IClassFactory,
                                                          reinterpret_cast<void**>(&factory)));
    return factory;
}

TEST(ModuleClassObjectTest, ClsidOutsideTheObjectMapIsNotAvailable) {
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
              LoadedPlugin::Get().DllGetClassObject(kUnknownClsid, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
}

TEST(ModuleClassObjectTest, NullOutPointerIsRefused) {
    EXPECT_EQ(E_POINTER,
              LoadedPlugin::Get().DllGetClassObject(CLSID_KOVAMeridioFieldInfo, IID_IClassFactory, nullptr));
}

TEST(ModuleClassObjectTest, InterfaceTheFactoryDoesNotOfferIsRefused) {
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, LoadedPlugin::Get().DllGetClassObject(CLSID_KOVAMeridioFieldInfo,
                                                                   __uuidof(ILSKOVAFieldInfo), &out));
    EXPECT_EQ(nullptr, out);
}

TEST(ModuleClassObjectTest, FactoryIsKeptForTheProcess) {
    IClassFactory* first = FactoryOf(CLSID_KOVAMeridioFieldSetInfo);
    IClassFactory* second = FactoryOf(CLSID_KOVAMeridioFieldSetInfo);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, second);
    second->Release();
    first->Release();
}

TEST(ModuleClassObjectTest, FieldObjectsAreCreatedAndHoldTheModuleWhileTheyLive) {
    IClassFactory* fieldFactory = FactoryOf(CLSID_KOVAMeridioFieldInfo);
    IClassFactory* setFactory = FactoryOf(CLSID_KOVAMeridioFieldSetInfo);
    ASSERT_NE(nullptr, fieldFactory);
    ASSERT_NE(nullptr, setFactory);
    EXPECT_EQ(S_OK, LoadedPlugin::Get().DllCanUnloadNow()); // kept factories do not hold it

    ILSKOVAFieldInfo* field = nullptr;
    ASSERT_EQ(S_OK, fieldFactory->CreateInstance(nullptr, __uuidof(ILSKOVAFieldInfo),
                                                 reinterpret_cast<void**>(&field)));
    ILSKOVAFieldSetInfo* fieldSet = nullptr;
    ASSERT_EQ(S_OK, setFactory->CreateInstance(nullptr, __uuidof(ILSKOVAFieldSetInfo),
                                               reinterpret_cast<void**>(&fieldSet)));
    EXPECT_EQ(S_FALSE, LoadedPlugin::Get().DllCanUnloadNow());

    IKOVAMeridioFieldInfo* dual = nullptr;
    EXPECT_EQ(S_OK, field->QueryInterface(__uuidof(IKOVAMeridioFieldInfo), reinterpret_cast<void**>(&dual)));
    BSTR name = nullptr;
    EXPECT_EQ(E_INVALIDARG, field->raw_get_DisplayName(&name)); // a new field has no name yet
    LONG count = 7;
    EXPECT_EQ(S_OK, fieldSet->raw_getAllFieldCount(&count)); // nor a new field set any field
    EXPECT_EQ(0, count);

    dual->Release();
    field->Release();
    EXPECT_EQ(S_FALSE, LoadedPlugin::Get().DllCanUnloadNow());
    fieldSet->Release();
    EXPECT_EQ(S_OK, LoadedPlugin::Get().DllCanUnloadNow());
    fieldFactory->Release();
    setFactory->Release();
}

} // namespace
