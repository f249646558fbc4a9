#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/outlook/application.h"

namespace platform::outlook {
namespace {

class CommandBarsTest : public ::testing::Test {
 protected:
  CommandBarsTest() {
    Folder* store = app_.GetNamespace("MAPI")->AddStore("Store");
    first_ = app_.Explorers().Add(store);
    second_ = app_.Explorers().Add(store);
    first_->Display();
    second_->Display();
  }
  static CommandBarControl* Button(CommandBar* bar, const std::string& tag) {
    CommandBarControl* button = bar->Controls().Add(msoControlButton, 0, true);
    if (button) {
      button->SetTag(tag);
      button->SetCaption(tag);
      button->SetOnAction("!<Ringova_Outlook.Connect>");
    }
    return button;
  }

  Application app_;
  Explorer* first_;
  Explorer* second_;
};

TEST_F(CommandBarsTest, DefaultBarsCarryTheBuiltInDialCommands) {
  CommandBars& bars = first_->CommandBars();
  ASSERT_EQ(bars.Count(), 3);
  EXPECT_EQ(bars.Item(1)->Name(), "Menu Bar");
  EXPECT_EQ(bars.Item("standard"), bars.Item(2));
  EXPECT_EQ(bars.Item("Context Menu")->Protection(), msoBarNoCustomize);
  EXPECT_EQ(bars.Item("Nope"), nullptr);

  CommandBarControl* dial = bars.Item("Standard")->FindControl(0, 2616);
  ASSERT_NE(dial, nullptr);
  EXPECT_TRUE(dial->BuiltIn());
  CommandBarControl* actions = bars.Item("Menu Bar")->FindControl(msoControlPopup, 30141);
  ASSERT_NE(actions, nullptr);
  CommandBarControl* call = actions->Controls()->Find(0, 30173, {}, false, false);
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(bars.FindControl(0, 30173), call);  // the collection searches popups too
  EXPECT_EQ(dial->Controls(), nullptr);
}

TEST_F(CommandBarsTest, PopupIsAddedBeforeAPositionFoundByTagAndRebuilt) {
  CommandBar* menu = first_->CommandBars().Item("Menu Bar");
  const int count = menu->Controls().Count();
  CommandBarControl* popup = menu->Controls().Add(msoControlPopup, count, true);
  ASSERT_NE(popup, nullptr);
  popup->SetCaption("R&ingova");
  popup->SetTag("RingovaTag");
  EXPECT_EQ(popup->Index(), count);  // in front of the last entry
  EXPECT_EQ(menu->Controls().Item(count + 1)->Caption(), "&Help");
  EXPECT_TRUE(popup->Temporary());
  EXPECT_EQ(popup->Id(), kCustomControlId);

  CommandBarControl* make = popup->Controls()->Add(msoControlButton, 0, true);
  make->SetCaption("Ma&ke...");
  make->SetFaceId(3737);
  make->SetStyle(msoButtonIconAndCaption);
  CommandBarControl* settings = popup->Controls()->Add(msoControlButton, 0, true);
  settings->SetCaption("Se&ttings...");
  settings->SetBeginGroup(true);
  EXPECT_EQ(popup->Controls()->Item("Ma&ke..."), make);
  EXPECT_EQ(popup->Controls()->Item("make..."), make);  // accelerators and case ignored
  EXPECT_EQ(popup->Controls()->Item("About"), nullptr);

  EXPECT_EQ(menu->FindControl(msoControlPopup, 0, "RingovaTag"), popup);
  EXPECT_EQ(menu->FindControl(msoControlButton, 0, "RingovaTag"), nullptr);
  EXPECT_TRUE(popup->Delete());
  EXPECT_EQ(menu->FindControl(msoControlPopup, 0, "RingovaTag"), nullptr);
  EXPECT_EQ(menu->Controls().Count(), count);
  EXPECT_TRUE(make->Deleted());            // the popup's contents go with it
  EXPECT_EQ(make->Caption(), "Ma&ke...");  // but stay readable
  EXPECT_FALSE(make->Click());
  EXPECT_FALSE(popup->Delete());

  EXPECT_EQ(menu->Controls().Add(2), nullptr);                            // only 1 and 10
  EXPECT_EQ(menu->Controls().Add(msoControlButton, count + 2), nullptr);  // beyond the end
  EXPECT_NE(menu->Controls().Add(msoControlButton, count + 1), nullptr);
}

TEST_F(CommandBarsTest, ProtectedBarRefusesChangesUntilProtectionIsLifted) {
  CommandBar* context = first_->CommandBars().Item("Context Menu");
  EXPECT_EQ(Button(context, "Make"), nullptr);
  EXPECT_FALSE(context->Controls().Item(1)->Delete());
  const int saved = context->Protection();
  context->SetProtection(msoBarNoProtection);
  EXPECT_NE(Button(context, "Make"), nullptr);
  context->SetProtection(saved);
  EXPECT_EQ(context->FindControl(0, 0, "Make")->Caption(), "Make");
}

TEST_F(CommandBarsTest, ClickIsRaisedOnEveryControlWithTheSameTag) {
  CommandBarControl* make = Button(first_->CommandBars().Item("Standard"), "Make");
  CommandBarControl* close = Button(first_->CommandBars().Item("Standard"), "Close");
  CommandBar* context = first_->CommandBars().Item("Context Menu");
  context->SetProtection(0);
  CommandBarControl* context_make = Button(context, "Make");
  CommandBarControl* other_window_make = Button(second_->CommandBars().Item("Standard"), "Make");

  std::vector<std::string> log;
  std::vector<Connection> hooks;
  const auto hook = [&](CommandBarControl* control, const std::string& name) {
    hooks.push_back(control->OnClick().Connect([&log, name](CommandBarControl& clicked, bool&) {
      log.push_back(name + " <- " + clicked.Caption() + " #" + std::to_string(clicked.Index()));
    }));
  };
  hook(make, "make");
  hook(close, "close");

  EXPECT_TRUE(context_make->Click());
  EXPECT_TRUE(other_window_make->Click());
  EXPECT_TRUE(close->Click());
  EXPECT_EQ(log,
            (std::vector<std::string>{"make <- Make #3", "make <- Make #5", "close <- Close #6"}));

  // A second hooked control with the tag: one click reaches both handlers.
  log.clear();
  hook(other_window_make, "other");
  make->Click();
  EXPECT_EQ(log, (std::vector<std::string>{"make <- Make #5", "other <- Make #5"}));

  log.clear();
  context_make->SetEnabled(false);
  EXPECT_FALSE(context_make->Click());
  context_make->SetEnabled(true);
  context_make->SetVisible(false);
  EXPECT_FALSE(context_make->Click());
  EXPECT_TRUE(log.empty());

  // A deleted control's handler is gone; an untagged control reaches only its own.
  EXPECT_TRUE(make->Delete());
  other_window_make->Click();
  EXPECT_EQ(log, (std::vector<std::string>{"other <- Make #5"}));
  log.clear();
  CommandBarControl* plain = second_->CommandBars().Item("Standard")->Controls().Add(1);
  hook(plain, "plain");
  CommandBarControl* plain_too = second_->CommandBars().Item("Standard")->Controls().Add(1);
  plain_too->Click();
  plain->Click();
  EXPECT_EQ(log, (std::vector<std::string>{"plain <-  #6"}));

  // Unhooking (the add-in releasing its buttons) stops the routing to it.
  log.clear();
  hooks.clear();
  other_window_make->Click();
  EXPECT_TRUE(log.empty());
}

TEST_F(CommandBarsTest, UpdateEventAndCancelDefault) {
  int updates = 0;
  Connection c = first_->CommandBars().OnUpdate().Connect([&] { ++updates; });
  first_->CommandBars().RaiseUpdate();
  EXPECT_EQ(updates, 1);

  CommandBarControl* dial = first_->CommandBars().FindControl(0, 2616);
  bool seen_cancel = true;
  Connection first =
      dial->OnClick().Connect([](CommandBarControl&, bool& cancel) { cancel = true; });
  Connection second =
      dial->OnClick().Connect([&](CommandBarControl&, bool& cancel) { seen_cancel = cancel; });
  dial->Click();
  EXPECT_TRUE(seen_cancel);
}

}  // namespace
}  // namespace platform::outlook
