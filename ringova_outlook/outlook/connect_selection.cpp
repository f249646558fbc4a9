// Connect: whom the user wants to call.
#include <exception>

#include "platform/outlook/application.h"
#include "platform/outlook/text_util.h"
#include "ringova_outlook/contacts/contact_picker.h"
#include "ringova_outlook/outlook/addin_parts.h"
#include "ringova_outlook/outlook/connect.h"
#include "ringova_outlook/outlook/selected_party.h"

namespace ringova {

namespace ol = platform::outlook;

std::string Connect::GetSelectedItems() {
  if (!parts_) return {};
  ContactDirectory& directory = parts_->Directory();
  int16_t record = -1;
  try {
    ol::Explorer* explorer = shared_app_ ? shared_app_->ActiveExplorer() : nullptr;
    if (!explorer) return {};
    ol::Inspector* inspector = shared_app_->ActiveInspector();
    std::shared_ptr<ol::Item> item;
    if (inspector && inspector_flag_) item = inspector->CurrentItem();
    if (!item && !explorer->Selection().empty()) item = explorer->Selection().Item(1);
    if (item) {
      record = RecordForItem(*item, directory.Records(),
                             shared_app_->GetNamespace("MAPI")->CurrentUser());
    }
  } catch (const std::exception& e) {
    Log(std::string("GetSelectedItems: Error - ") + e.what());
    record = -1;
  }
  const std::string picked =
      ol::ToLowerAscii(ol::TrimBlanks(directory.Picker().Pick(record, &parts_->Main())));
  return picked == "0" ? std::string() : picked;
}

}  // namespace ringova
