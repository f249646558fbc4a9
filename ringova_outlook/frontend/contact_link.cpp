#include "ringova_outlook/frontend/contact_link.h"

#include "ringova_outlook/contacts/contact_picker.h"
#include "ringova_outlook/contacts/folder_selection.h"

namespace ringova {

void DirectoryContactLoading::ShowFolderSelection(platform::ui::Form& owner) {
  FolderSelectionWindow window(directory_);
  window.LoadFolders();
  if (window.ParseSelFolders() != 0) window.CheckSelectedFolders();
  window.show(platform::ui::ShowMode::Modal, &owner);
}

void DirectoryContactLoading::DismissContactPicker() {
  ContactPicker* picker = directory_.PickerIfCreated();
  if (!picker || !picker->visible()) return;
  picker->SetPickedNumber("0");
  picker->hide();
}

}  // namespace ringova
