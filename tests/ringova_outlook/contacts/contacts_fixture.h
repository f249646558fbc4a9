#pragma once
// A directory on a toolkit with the test driver and the recording shell, over an in-memory Outlook
// whose folder trees the tests build, with its log lines collected.
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/outlook/application.h"
#include "ringova_outlook/contacts/contact_directory.h"
#include "ringova_outlook/resources/string_table.h"
#include "tests/ringova_outlook/support/desktop_fixture.h"

namespace ringova::testing_support {

using Properties = std::vector<std::pair<std::string, std::string>>;

// The Outlook integration's side of the toolbar, as far as a load sees it.
struct RecordingToolbar final : ToolbarState {
  int16_t mode = 1;
  std::vector<int16_t> changes;
  int16_t ButtonMode() const override { return mode; }
  void ChangeButtonsState(int16_t m) override {
    mode = m;
    changes.push_back(m);
  }
};

class ContactsTest : public ::testing::Test {
 protected:
  ContactsTest() {
    SetUserLanguage(Language::English);
    directory.SetOutlook(&app);
  }

  platform::outlook::Folder* Store(std::string name) { return ns.AddStore(std::move(name)); }
  static platform::outlook::Folder* Sub(platform::outlook::Folder* parent, std::string name,
                                        int type = platform::outlook::olContactItem) {
    return parent->Folders().Add(std::move(name), type);
  }
  // A saved contact with a full name and the given properties.
  static std::shared_ptr<platform::outlook::Item> Contact(platform::outlook::Folder* folder,
                                                          std::string full_name,
                                                          const Properties& properties = {}) {
    auto item = folder->Items().Add(platform::outlook::olContactItem);
    item->SetProperty("FullName", std::move(full_name));
    for (const auto& [name, value] : properties) item->SetProperty(name, value);
    item->Save();
    return item;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> out;
    for (const auto& e : directory.Names().entries()) out.push_back(e.text);
    return out;
  }
  bool Logged(std::string_view line) const {
    for (const auto& l : log)
      if (l == line) return true;
    return false;
  }

  Desktop desktop;
  platform::outlook::Application app;
  platform::outlook::NameSpace& ns = *app.GetNamespace("MAPI");
  ContactSettingsValues settings;
  std::vector<std::string> log;
  DialPrefixes prefixes;
  ContactDirectory directory{{desktop.toolkit, desktop.shell, settings,
                              [this](std::string_view line) { log.emplace_back(line); },
                              [this] { return prefixes; }, nullptr}};
};

}  // namespace ringova::testing_support
