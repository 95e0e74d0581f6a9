#include "views/VornickControlExtensions.h"
#include "views/VornickEventExtensions.h"
#include "views/VornickMenuExtensions.h"

#include "platform/views/EventSynthesizer.h"
#include "platform/views/SegmentedControl.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

using namespace brevanton;

TEST(VornickMenuExtensions, OneSelectedItem)
{
    auto menu = Menu::create(u"Sizes");
    for (auto title : { u"Small", u"Medium", u"Large" })
        menu->addItem(title, "pick:", {});
    vornick_setSelectedItemIndex(*menu, 1);
    EXPECT_EQ(menu->itemAtIndex(0)->state(), OffState);
    EXPECT_EQ(menu->itemAtIndex(1)->state(), OnState);
    vornick_setSelectedItem(*menu, menu->itemAtIndex(2).get());
    EXPECT_EQ(menu->itemAtIndex(1)->state(), OffState);
    EXPECT_EQ(menu->itemAtIndex(2)->state(), OnState);
    // An index outside the menu leaves everything off.
    vornick_setSelectedItemIndex(*menu, 7);
    for (auto& item : menu->items())
        EXPECT_EQ(item->state(), OffState);
}

TEST(VornickMenuExtensions, SplatDescribesTheTree)
{
    auto menu = Menu::create(u"Edit");
    auto copy = menu->addItem(u"Copy", "copy:", u"c");
    auto target = std::make_shared<Responder>();
    copy->setTarget(target);
    menu->addItem(MenuItem::separatorItem());
    auto more = menu->addItem(u"More", {}, {});
    auto submenu = Menu::create(u"More");
    more->setSubmenu(submenu);
    auto inner = submenu->addItem(u"Inner", "inner:", {});

    auto p = [](const void* address) { return fmt::format("{}", fmt::ptr(address)); };
    std::string expected = "Menu(" + p(menu.get()) + ") title=\"Edit\" {\n"
        "\tMenuItem(" + p(copy.get()) + ") title=\"Copy\" action=copy: target=Responder(" + p(target.get()) + ")\n"
        "\tMenuItem(" + p(menu->itemAtIndex(1).get()) + ") ----\n"
        "\tMenuItem(" + p(more.get()) + ") title=\"More\" action=(null) target=(null)(0x0) submenu=Menu(" + p(submenu.get()) + ") title=\"More\" {\n"
        "\t\tMenuItem(" + p(inner.get()) + ") title=\"Inner\" action=inner: target=(null)(0x0)\n"
        "\t}\n"
        "}";
    EXPECT_EQ(vornick_splat(*menu), expected);
    EXPECT_EQ(vornick_splatWithDepth(*inner, 2), "\t\tMenuItem(" + p(inner.get()) + ") title=\"Inner\" action=inner: target=(null)(0x0)");
}

TEST(VornickEventExtensions, SplatOfKeysAndModifiers)
{
    EventSynthesizer events;
    auto key = events.keyDown(nullptr, u"a", 0, ModifierFlag::Command | ModifierFlag::Shift | ModifierFlag::CapsLock
                                                     | ModifierFlag::Option | ModifierFlag::Control | ModifierFlag::Function);
    EXPECT_EQ(vornick_splat(key), "NSEventTypeKeyDown: [CapsLock]+[Shift]+[Fn]+[Ctrl]+[Opt]+[Cmd]+a (keyCode=0x0, isARepeat=NO)");
    auto repeat = events.keyDown(nullptr, u"\r", KeyCode::Return, 0, std::nullopt, true);
    EXPECT_EQ(vornick_splat(repeat), "NSEventTypeKeyDown: +\r (keyCode=0x24, isARepeat=YES)");
    EXPECT_EQ(vornick_splat(events.keyUp(nullptr, u"x", 7)), "NSEventTypeKeyUp: +x (keyCode=0x7, isARepeat=NO)");
    EXPECT_EQ(vornick_splat(events.flagsChanged(nullptr, ModifierFlag::Option)), "NSEventTypeFlagsChanged: [Opt]");
    auto click = events.mouseDown(nullptr, { 1, 2 });
    EXPECT_EQ(vornick_splat(click), click.description());
}

TEST(VornickControlExtensions, TagOfSelectedSegment)
{
    SegmentedControl segmented(Rect(0, 0, 90, 20));
    segmented.setSegmentCount(3);
    segmented.setTag(40, 0);
    segmented.setTag(41, 1);
    EXPECT_EQ(vornick_tagOfSelectedSegment(segmented), VornickNoSegmentTag);
    segmented.setSelectedSegment(1);
    EXPECT_EQ(vornick_tagOfSelectedSegment(segmented), 41);
    // Another kind of control has no segments.
    Control plain;
    EXPECT_EQ(vornick_tagOfSelectedSegment(plain), -9999);
    // Dropping the selected segment leaves none selected.
    segmented.setSegmentCount(1);
    EXPECT_EQ(vornick_tagOfSelectedSegment(segmented), VornickNoSegmentTag);
}
