// Connect: the add-in's menu, buttons and context-menu entries, and their button mode.
#include <exception>
#include <tuple>
#include <utility>

#include "platform/outlook/application.h"
#include "platform/outlook/command_bars.h"
#include "platform/outlook/folder.h"
#include "platform/ui/form.h"
#include "ringova_outlook/dialing/addin_dialing.h"
#include "ringova_outlook/dialing/dialing_editor.h"
#include "ringova_outlook/outlook/addin_parts.h"
#include "ringova_outlook/outlook/button_modes.h"
#include "ringova_outlook/outlook/connect.h"
#include "ringova_outlook/outlook/menu_texts.h"
#include "ringova_outlook/resources/string_table.h"
#include "ringova_outlook/support/apply_ui_font.h"
#include "ringova_outlook/support/log_file.h"

namespace ringova {

namespace ol = platform::outlook;

namespace {

std::string Res(int id) {
  return std::string(LoadResString(id));
}

struct MenuItem {
  int button;  // nButton number
  int caption;
  const char* caption_suffix;
  int tag;  // 0: tag_text
  std::string_view tag_text;
  int face;
  bool begin_group;
};

// The popup's items, in order.
constexpr MenuItem kMenuItems[] = {
    {1, kTextMakeItem, "...", kTextMakeTag, {}, kMakeFace, false},
    {2, kTextCloseItem, "...", kTextCloseTag, {}, kCloseFace, false},
    {3, kTextSettingsItem, "...", kTextSettingsTag, {}, kSettingsFace, true},
    {9, kTextDialing, "", 0, kDialingTag, 0, false},
    {8, kTextAbout, "", 0, kAboutTag, 0, true},
};

bool ItemEnabled(int button, const ModeEnables& enables) {
  switch (button) {
    case 1:
      return enables.make;
    case 2:
      return enables.close;
    default:
      return enables.settings;
  }
}

}  // namespace

void Connect::Keep(int index, ol::CommandBarControl* button) {
  buttons_[index] = button;
  button_clicks_[index].Disconnect();
  if (!button) return;
  auto handler = [this, index](ol::CommandBarControl&, bool&) {
    switch (index) {
      case 1:
        MakeClicked(true);
        break;
      case 4:
        MakeClicked(false);
        break;
      case 2:
      case 5:
        CloseClicked();
        break;
      case 3:
        SettingsClicked();
        break;
      case 8:
        AboutClicked();
        break;
      case 9:
        DialingClicked();
        break;
      default:
        break;  // the context-menu buttons act through the toolbar buttons' tags
    }
  };
  if (index != 6 && index != 7) button_clicks_[index] = button->OnClick().Connect(handler);
}

void Connect::AddNewMenu() {
  try {
    if (!shared_app_) return;
    ol::Explorer* explorer = shared_app_->ActiveExplorer();
    if (!explorer) return;
    const ModeEnables enables = EnablesOfMode(button_mode_).value_or(ModeEnables{});
    ol::CommandBar* menu_bar = explorer->CommandBars().Item(kMenuBar);
    ol::CommandBar* standard = explorer->CommandBars().Item(kStandardBar);
    if (!menu_bar || !standard) return;
    // Rebuilt every time, never doubled.
    while (ol::CommandBarControl* old = menu_bar->FindControl(ol::msoControlPopup, 0, kPopupTag)) {
      if (!old->Delete()) break;
    }
    ol::CommandBarControl* popup =
        menu_bar->Controls().Add(ol::msoControlPopup, menu_bar->Controls().Count(), true);
    if (!popup) return;
    popup->SetCaption(std::string(kPopupCaption));
    popup->SetTag(std::string(kPopupTag));
    popup->SetVisible(true);
    for (const MenuItem& item : kMenuItems) {
      ol::CommandBarControl* button = popup->Controls()->Add(ol::msoControlButton, 0, true);
      if (!button) continue;
      button->SetCaption(Res(item.caption) + item.caption_suffix);
      button->SetTag(item.tag ? Res(item.tag) + "..." : std::string(item.tag_text));
      if (item.face) button->SetFaceId(item.face);
      button->SetBeginGroup(item.begin_group);
      button->SetStyle(ol::msoButtonIconAndCaption);
      // "Dialing options..." is enabled unless the mode shuts the whole menu.
      button->SetEnabled(ItemEnabled(item.button, enables));
      button->SetOnAction(std::string(kOnAction));
      Keep(item.button, button);
    }
    for (auto [index, tag] : {std::pair{4, kMakeTag}, std::pair{5, kCloseTag}}) {
      ol::CommandBarControl* button = standard->FindControl(0, 0, tag);
      if (!button) button = standard->Controls().Add(ol::msoControlButton, 0, true);
      if (!button) continue;
      ConfigureCallButton(*button, tag);
      Keep(index, button);
    }
  } catch (const std::exception& e) {
    Log(std::string("AddNewMenu: Error - ") + e.what());
  }
}

void Connect::ConfigureCallButton(ol::CommandBarControl& button, std::string_view name) {
  const ModeEnables enables = EnablesOfMode(button_mode_).value_or(ModeEnables{});
  if (name == kMakeTag) {
    button.SetEnabled(enables.make);
    button.SetCaption(Res(kTextMakeItem));
    button.SetTooltipText(Res(kTextMakeTooltip));
    button.SetFaceId(kMakeFace);
  } else {
    button.SetEnabled(enables.close);
    button.SetCaption(Res(kTextCloseItem));
    button.SetTooltipText(Res(kTextCloseTooltip));
    button.SetFaceId(kCloseFace);
  }
  button.SetStyle(ol::msoButtonIconAndCaption);
  button.SetTag(std::string(name));
  button.SetOnAction(std::string(kOnAction));
  button.SetVisible(true);
}

void Connect::ChangeButtonsState(int16_t mode) {
  try {
    Log("ChangeButtonsState: " + std::string(ModeName(mode)));
    const std::optional<ModeEnables> enables = EnablesOfMode(mode);
    if (!enables) return;
    button_mode_ = mode;
    if (!shared_app_ || !shared_app_->ActiveExplorer()) return;
    const MenuCaptions captions = LoadMenuCaptions();
    for (int slot = 0; slot < kTrackedExplorers; ++slot) {
      ol::Explorer* explorer = slots_.At(slot);
      if (!slots_.InUse(slot) || !explorer) continue;
      ApplyModeToMenu(explorer->CommandBars(), *enables, captions);
      ApplyModeToButtons(explorer->CommandBars(), *enables);
    }
    if (ol::Inspector* inspector = shared_app_->ActiveInspector()) {
      ApplyModeToButtons(inspector->CommandBars(), *enables);
    }
  } catch (const std::exception& e) {
    Log(std::string("ChangeButtonsState: Error - ") + e.what());
  }
}

void Connect::SetPhoneControls(ol::Explorer& explorer, bool enabled) {
  if (ol::CommandBar* standard = explorer.CommandBars().Item(kStandardBar)) {
    if (ol::CommandBarControl* dial = standard->FindControl(0, kDialButtonId)) {
      dial->SetEnabled(enabled);
    }
  }
  if (ol::CommandBar* menu_bar = explorer.CommandBars().Item(kMenuBar)) {
    ol::CommandBarControl* actions = menu_bar->FindControl(0, kActionsPopupId);
    if (actions && actions->Controls()) {
      if (ol::CommandBarControl* dial =
              actions->Controls()->Find(0, kDialCommandId, {}, false, true)) {
        dial->SetEnabled(enabled);
      }
    }
  }
}

// The context menu: Make and Close while a contact is selected, mirroring the toolbar.
void Connect::OnCommandBarsUpdate() {
  try {
    if (!outlook_command_bars_) return;
    for (int i = 1; i <= outlook_command_bars_->Count(); ++i) {
      ol::CommandBar* bar = outlook_command_bars_->Item(i);
      if (!bar || bar->Name() != kContextMenuBar || !ContactIsSelected()) continue;
      const int protection = bar->Protection();
      bar->SetProtection(ol::msoBarNoProtection);
      for (auto [index, tag, source] : {std::tuple{6, kMakeTag, 4}, std::tuple{7, kCloseTag, 5}}) {
        ol::CommandBarControl* button = bar->FindControl(0, 0, tag);
        if (!button) button = bar->Controls().Add(ol::msoControlButton, 0, true);
        if (!button) continue;
        ConfigureCallButton(*button, tag);
        if (buttons_[source]) button->SetEnabled(buttons_[source]->Enabled());
        Keep(index, button);
      }
      bar->SetProtection(protection);
    }
  } catch (const std::exception&) {
    // Ends silently, as Outlook's update must never fail.
  }
}

bool Connect::ContactIsSelected() {
  try {
    ol::Explorer* explorer = shared_app_ ? shared_app_->ActiveExplorer() : nullptr;
    ol::Folder* folder = explorer ? explorer->CurrentFolder() : nullptr;
    if (folder && folder->DefaultItemType() == ol::olContactItem &&
        !explorer->Selection().empty()) {
      std::shared_ptr<ol::Item> first = explorer->Selection().Item(1);
      if (first && first->TypeName() == "ContactItem") {
        contact_item_ = first;
        return true;
      }
    }
  } catch (const std::exception& e) {
    Log(std::string("ContactIsSelected: Error - ") + e.what());
  }
  contact_item_.reset();
  return false;
}

void Connect::nButtonsRelease() {
  for (int index : {1, 2, 3, 4, 5, 8, 9}) Keep(index, nullptr);
}

void Connect::RemoveAllMenu() {
  Log("RemoveAllMenu");
  if (!shared_app_ || !shared_app_->ActiveExplorer()) return;
  if (parts_) {
    parts_->Main().Telvane().Disconnect();
    parts_->Main().DisconnectComplete();
  }
  auto remove_buttons = [](ol::CommandBars& bars) {
    if (ol::CommandBar* standard = bars.Item(kStandardBar)) {
      for (std::string_view tag : {kMakeTag, kCloseTag}) {
        while (ol::CommandBarControl* c = standard->FindControl(0, 0, tag)) {
          if (!c->Delete()) break;
        }
      }
    }
  };
  for (int slot = 0; slot < kTrackedExplorers; ++slot) {
    ol::Explorer* explorer = slots_.At(slot);
    if (!slots_.InUse(slot) || !explorer) continue;
    if (ol::CommandBar* menu_bar = explorer->CommandBars().Item(kMenuBar)) {
      while (ol::CommandBarControl* popup =
                 menu_bar->FindControl(ol::msoControlPopup, 0, kPopupTag)) {
        if (!popup->Delete()) break;
      }
    }
    remove_buttons(explorer->CommandBars());
  }
  if (ol::Inspector* inspector = shared_app_->ActiveInspector()) {
    remove_buttons(inspector->CommandBars());
  }
  nButtonsRelease();
  Log("Menu Removed");
}

void Connect::MakeClicked(bool afterwardsDisableMake) {
  try {
    if (!parts_) return;
    fMain& main = parts_->Main();
    main.Calls().MakeCall();
    if (afterwardsDisableMake && main.Legs().Leg1.State != kLegIdle) ChangeButtonsState(2);
  } catch (const std::exception& e) {
    Log(std::string("MakeCall: Error - ") + e.what());
  }
}

void Connect::CloseClicked() {
  try {
    if (parts_) parts_->Main().Calls().CloseCurrentCall();
  } catch (const std::exception& e) {
    Log(std::string("CloseCurrentCall: Error - ") + e.what());
  }
}

void Connect::SettingsClicked() {
  try {
    if (!parts_) return;
    fMain& main = parts_->Main();
    const AddinSettings& s = main.Settings();
    main.load();
    main.chArrived.setValue(s.Incoming);
    main.chReconnect.setValue(s.Reconnect);
    main.chTapi.setValue(s.TapiPhone);
    main.optLoadAll.setValue(s.FillContacts);
    main.optLoadSel.setValue(s.LoadSelectedFolders);
    main.chUpdate.setValue(s.CheckUpdate);
    main.chNotify.setValue(s.DesktopNotifications);
    main.btnApply.setEnabled(false);
    main.show(platform::ui::ShowMode::Modal);
  } catch (const std::exception&) {
  }
}

void Connect::DialingClicked() {
  try {
    if (!parts_) return;
    const auto& host = parts_->Host();
    DialingEditor editor(AddinDialingEditorContext(host.toolkit, host.shell,
                                                   [](platform::ui::Form& f) { ApplyUIFont(f); }));
    editor.Open(nullptr);
  } catch (const std::exception&) {
  }
}

void Connect::AboutClicked() {
  try {
    if (parts_) parts_->About().Open(&parts_->Main());
  } catch (const std::exception&) {
  }
}

}  // namespace ringova
