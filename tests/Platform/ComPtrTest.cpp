#include "Platform/ComUtil.h"

#include "TestComObject.h"

#include <gtest/gtest.h>

#include <utility>

_COM_SMARTPTR_TYPEDEF(ITestWidget, __uuidof(ITestWidget));
_COM_SMARTPTR_TYPEDEF(ITestGadget, __uuidof(ITestGadget));

namespace {

HRESULT ErrorOf(void (*action)(TestComObject&), TestComObject& object) {
    try {
        action(object);
    } catch (const _com_error& e) {
        return e.Error();
    }
    return S_OK;
}

TEST(ComPtr, HoldsOneReferenceForItsLifetime) {
    TestComObject object;
    {
        ITestWidgetPtr widget(&object);
        EXPECT_EQ(object.references(), 2u);
        ITestWidgetPtr copy = widget;
        EXPECT_EQ(object.references(), 3u);
        ITestWidgetPtr moved = std::move(copy);
        EXPECT_EQ(object.references(), 3u);
        EXPECT_FALSE(copy);
        EXPECT_EQ(moved->Value(), 7);
        moved = nullptr;
        EXPECT_EQ(object.references(), 2u);
    }
    EXPECT_EQ(object.references(), 1u);
}

TEST(ComPtr, MoveAssignmentTakesTheReferenceAndSelfMoveKeepsIt) {
    TestComObject object;
    {
        ITestWidgetPtr widget(&object);
        ITestWidgetPtr target;
        target = std::move(widget);
        EXPECT_EQ(object.references(), 2u);
        EXPECT_FALSE(widget);
        ITestWidgetPtr& alias = target;
        target = std::move(alias);
        EXPECT_EQ(object.references(), 2u);
        EXPECT_TRUE(target);
    }
    EXPECT_EQ(object.references(), 1u);
}

TEST(ComPtr, ConstructionFromAnotherInterfaceQueries) {
    TestComObject object;
    ITestWidgetPtr widget(&object);
    {
        ITestGadgetPtr gadget(widget);
        EXPECT_TRUE(gadget);
        EXPECT_EQ(object.references(), 3u);
        IUnknownPtr unknown = gadget;
        EXPECT_EQ(unknown.GetInterfacePtr(), static_cast<IUnknown*>(static_cast<ITestWidget*>(&object)));
        EXPECT_EQ(object.references(), 4u);
    }
    EXPECT_EQ(object.references(), 2u);
}

TEST(ComPtr, RefusedInterfaceGivesNullWithoutError) {
    TestComObject object;
    object.gadgetAnswer = E_NOINTERFACE;
    ITestWidgetPtr widget(&object);
    ITestGadgetPtr gadget(widget);
    EXPECT_FALSE(gadget);
    EXPECT_TRUE(!gadget);
    EXPECT_EQ(object.references(), 2u);
    ITestGadgetPtr fromNull(ITestWidgetPtr{});
    EXPECT_FALSE(fromNull);
}

TEST(ComPtr, OtherQueryFailuresRaiseComError) {
    TestComObject object;
    object.gadgetAnswer = E_UNEXPECTED;
    EXPECT_EQ(ErrorOf([](TestComObject& o) { ITestGadgetPtr gadget(static_cast<ITestWidget*>(&o)); }, object),
              E_UNEXPECTED);
    EXPECT_EQ(ErrorOf(
                  [](TestComObject& o) {
                      ITestGadgetPtr gadget;
                      gadget = ITestWidgetPtr(&o);
                  },
                  object),
              E_UNEXPECTED);
    EXPECT_EQ(object.references(), 1u);
}

TEST(ComPtr, AttachDetachAndAddressOfTransferReferences) {
    TestComObject object;
    ITestWidgetPtr widget;
    object.AddRef();
    widget.Attach(&object); // takes over the reference just added
    EXPECT_EQ(object.references(), 2u);
    ITestWidget* raw = widget.Detach();
    EXPECT_FALSE(widget);
    EXPECT_EQ(object.references(), 2u);
    raw->Release();

    widget.Attach(&object, true);
    EXPECT_EQ(object.references(), 2u);
    ITestWidget** out = &widget; // an out parameter: the held pointer is released first
    EXPECT_EQ(object.references(), 1u);
    EXPECT_EQ(*out, nullptr);
    EXPECT_EQ(object.QueryInterface(__uuidof(ITestWidget), reinterpret_cast<void**>(out)), S_OK);
    EXPECT_EQ(widget->Value(), 7);
    widget.Release();
    EXPECT_FALSE(widget);
    EXPECT_EQ(object.references(), 1u);
}

TEST(ComPtr, DereferencingNullRaisesPointerError) {
    ITestWidgetPtr widget;
    try {
        widget->Value();
        FAIL() << "no error raised";
    } catch (const _com_error& e) {
        EXPECT_EQ(e.Error(), E_POINTER);
    }
}

TEST(ComPtr, QueryInterfaceMemberHandsOutANewReference) {
    TestComObject object;
    ITestWidgetPtr widget(&object);
    ITestGadget* gadget = nullptr;
    EXPECT_EQ(widget.QueryInterface(__uuidof(ITestGadget), gadget), S_OK);
    EXPECT_EQ(object.references(), 3u);
    gadget->Release();
    EXPECT_EQ(ITestWidgetPtr().QueryInterface(__uuidof(ITestGadget), gadget), E_POINTER);
}

} // namespace
