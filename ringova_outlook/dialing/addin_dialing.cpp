#include "ringova_outlook/dialing/addin_dialing.h"

#include "ringova_outlook/dialing/kestrix_library.h"
#include "ringova_outlook/dialing/rules_file.h"
#include "ringova_outlook/support/log_file.h"

namespace ringova {
namespace {

struct AddinDialing {
  RuleTable table;
  KestrixLibrary kestrix;
  NumberConverter converter{table, kestrix, AddinLogSink()};
};

AddinDialing& Instance() {
  static AddinDialing dialing;
  return dialing;
}

}  // namespace

RuleTable& AddinRuleTable() {
  return Instance().table;
}
NumberConverter& AddinNumberConverter() {
  return Instance().converter;
}

std::string PrepareDialNumber(std::string_view text) {
  return AddinNumberConverter().PrepareDialNumber(text);
}

std::string ConvertPhoneByRule(std::string_view number) {
  return AddinNumberConverter().ConvertPhoneByRule(number);
}

DialingEditor::Context AddinDialingEditorContext(
    platform::ui::Toolkit& toolkit, platform::shell::Shell& shell,
    std::function<void(platform::ui::Form&)> applyFont) {
  return {toolkit,
          shell,
          AddinRuleTable(),
          AddinLogSink(),
          [] { return LogFolder(); },
          std::move(applyFont)};
}

bool RestoreDialRules() {
  return RestoreDialRules(LogFolder(), AddinRuleTable(), AddinLogSink());
}

}  // namespace ringova
