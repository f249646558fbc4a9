// Connect: the explorer windows it follows, the active one's folder and selection.
#include <exception>

#include "platform/outlook/application.h"
#include "platform/outlook/command_bars.h"
#include "platform/outlook/folder.h"
#include "ringova_outlook/outlook/addin_parts.h"
#include "ringova_outlook/outlook/connect.h"
#include "ringova_outlook/outlook/menu_texts.h"
#include "ringova_outlook/support/log_file.h"

namespace ringova {

namespace ol = platform::outlook;

void Connect::NewExplorer(ol::Explorer* explorer) {
  try {
    if (!explorer) return;
    if (!shared_app_) {
      // Outlook had no window at start-up (or the add-in wound down): this one brings it.
      shared_app_ = &explorer->Parent();
      if (parts_) parts_->SetOutlook(shared_app_);
      slots_.ClearFlags();
    }
    if (!slots_.InUse(0)) {
      Track(0, explorer);
      if (!parts_ || !parts_->Main().SettingsLoaded) {
        // The first window of an Outlook started without one: the start-up's work begins now.
        // The menu follows when the window is shown (its first activation).
        pending_startup_ = true;
        return;
      }
      AddNewMenu();
      return;
    }
    const std::optional<int> slot = slots_.FreeFurtherSlot();
    if (!slot) return;  // ten windows tracked: this one stays without the add-in
    Track(*slot, explorer);
    new_explorer_pending_ = true;
    AddNewMenu();
  } catch (const std::exception& e) {
    Log(std::string("OutlookExplorers_NewExplorer: Error - ") + e.what());
  }
}

void Connect::Track(int slot, ol::Explorer* explorer) {
  slots_.Set(slot, explorer);
  auto& events = slot_events_[slot];
  events[0] = explorer->OnActivate().Connect([this, slot] { ExplorerActivate(slot); });
  events[1] = explorer->OnDeactivate().Connect([this, slot] { ExplorerDeactivate(slot); });
  events[2] = explorer->OnViewSwitch().Connect([this, slot] { ExplorerViewSwitch(slot); });
  events[3] = explorer->OnClose().Connect([this, slot] { ExplorerClose(slot); });
}

bool Connect::TapiPhone() const {
  return parts_ && parts_->Main().Settings().TapiPhone;
}

void Connect::ExplorerActivate(int slot) {
  try {
    ol::Explorer* explorer = slots_.At(slot);
    if (!explorer) return;
    if (pending_startup_ && slot == 0) {
      pending_startup_ = false;
      RunStartupComplete();
    }
    WatchCommandBars(&explorer->CommandBars());
    WatchActiveExplorer(explorer);
    inspector_flag_ = false;
    SetPhoneControls(*explorer, !TapiPhone());
  } catch (const std::exception&) {
  }
}

void Connect::ExplorerDeactivate(int slot) {
  try {
    if (ol::Explorer* explorer = slots_.At(slot)) SetPhoneControls(*explorer, true);
  } catch (const std::exception&) {
  }
}

bool Connect::HasRingovaPopup(ol::Explorer* explorer) const {
  if (!explorer) return false;
  ol::CommandBar* menu_bar = explorer->CommandBars().Item(kMenuBar);
  return menu_bar && menu_bar->FindControl(ol::msoControlPopup, 0, kPopupTag) != nullptr;
}

void Connect::ExplorerViewSwitch(int slot) {
  try {
    ol::Explorer* explorer = slots_.At(slot);
    if (!explorer) return;
    if (slot == 0) {
      WatchCommandBars(&explorer->CommandBars());
      WatchActiveExplorer(explorer);
      SetPhoneControls(*explorer, !TapiPhone());
      return;
    }
    if (new_explorer_pending_) {
      if (!HasRingovaPopup(explorer)) AddNewMenu();
      if (shared_app_ && !HasRingovaPopup(shared_app_->ActiveExplorer())) AddNewMenu();
      new_explorer_pending_ = false;
    }
    SetPhoneControls(*explorer, !TapiPhone());
  } catch (const std::exception&) {
  }
}

void Connect::ExplorerClose(int slot) {
  try {
    ol::Explorer* explorer = slots_.At(slot);
    for (auto& c : slot_events_[slot]) c.Disconnect();
    slots_.Clear(slot);
    WatchCommandBars(nullptr);
    if (slot == 0 || explorer == act_explorer_) WatchActiveExplorer(nullptr);
    if (slot == 0 && !AnyExplorerOpen()) WindDown();
  } catch (const std::exception& e) {
    if (slot == 0) Log(std::string("OutlookExplorer_Close: Error - ") + e.what());
  }
}

bool Connect::AnyExplorerOpen() const {
  for (int slot = 0; slot < kTrackedExplorers; ++slot) {
    if (slots_.InUse(slot) && slots_.At(slot)) return true;
  }
  return false;
}

void Connect::WatchActiveExplorer(ol::Explorer* explorer) {
  act_explorer_ = explorer;
  if (!explorer) {
    before_folder_switch_.Disconnect();
    selection_change_.Disconnect();
    return;
  }
  before_folder_switch_ =
      explorer->OnBeforeFolderSwitch().Connect([this](ol::Folder* folder, bool&) {
        try {
          if (folder && folder->DefaultItemType() == ol::olContactItem) {
            WatchContactItems(&folder->Items());
          }
        } catch (const std::exception&) {
        }
      });
  selection_change_ = explorer->OnSelectionChange().Connect([this] {
    try {
      if (shared_app_ && !HasRingovaPopup(shared_app_->ActiveExplorer())) AddNewMenu();
      ContactIsSelected();
    } catch (const std::exception&) {
    }
  });
}

void Connect::WatchCommandBars(ol::CommandBars* bars) {
  outlook_command_bars_ = bars;
  bars_update_ = bars ? bars->OnUpdate().Connect([this] { OnCommandBarsUpdate(); }) : Connection();
}

}  // namespace ringova
