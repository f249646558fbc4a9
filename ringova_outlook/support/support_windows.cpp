#include "ringova_outlook/support/support_windows.h"

#include "ringova_outlook/resources/string_table.h"

namespace ringova {
namespace {

SupportWindows* g_installed = nullptr;

}  // namespace

SupportWindows::SupportWindows(platform::ui::Toolkit& toolkit, platform::shell::Shell& shell,
                               LogFile& log)
    : shell_(shell),
      log_(log),
      note_(std::make_unique<NoteWindow>(toolkit)),
      log_options_(std::make_unique<LogOptionsWindow>(toolkit, shell, log)) {
  log_.SetFailureHandler([this](const std::string& text) { LogWriteFailed(text); });
  SetUserLanguage(LanguageForLangId(shell_.userLocale().languageId));
}

SupportWindows::~SupportWindows() {
  log_.SetFailureHandler(nullptr);
  if (g_installed == this) g_installed = nullptr;
}

void SupportWindows::SetSettingsWindow(platform::ui::Form* settings) {
  settings_ = settings;
  log_options_->SetSettingsWindow(settings);
}

void SupportWindows::SetOutlook(platform::outlook::Application* outlook) {
  log_options_->SetOutlook(outlook);
}

bool SupportWindows::ShowNote(std::string_view text, std::string_view title,
                              std::string_view ok_caption, std::string_view cancel_caption) {
  return note_->ShowNote(text, title, ok_caption, cancel_caption, settings_);
}

void SupportWindows::ShowLogOptions(platform::ui::Form* owner) {
  if (log_options_->visible()) return;
  log_options_->show(platform::ui::ShowMode::Modal, owner);
}

void SupportWindows::LogWriteFailed(const std::string& text) {
  shell_.messageBox(text, "Ringova");
  if (settings_ != nullptr && settings_->visible()) settings_->hide();
  ShowLogOptions(nullptr);
}

void InstallSupportWindows(SupportWindows* windows) {
  g_installed = windows;
}

bool ShowNote(std::string_view text, std::string_view title, std::string_view ok_caption,
              std::string_view cancel_caption) {
  if (g_installed == nullptr) return false;
  return g_installed->ShowNote(text, title, ok_caption, cancel_caption);
}

bool NoteResult() {
  return g_installed != nullptr && g_installed->Note().NoteResult();
}

}  // namespace ringova
