#include "ringova_outlook/support/update_check.h"

#include <filesystem>
#include <new>
#include <system_error>

#include "ringova_outlook/dialing/registry_value.h"
#include "ringova_outlook/resources/string_table.h"
#include "ringova_outlook/support/url_cache.h"

namespace ringova {
namespace {

using platform::ui::MousePointer;

constexpr std::string_view kFailureTitle = "Ringova - Update...";
constexpr InternetError kPathNotFound = 3;

// Raises a flag for the life of the object.
class FlagUp {
 public:
  explicit FlagUp(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagUp() { flag_ = false; }
  FlagUp(const FlagUp&) = delete;
  FlagUp& operator=(const FlagUp&) = delete;

 private:
  bool& flag_;
};

std::string Text(int id) {
  return std::string(LoadResString(id));
}

// The server folder named by the update path: what follows the server's name
// and its "/".
std::string UpdateFolderOf(const std::string& update_path, const std::string& server_name) {
  std::string folder = update_path;
  if (std::size_t at = update_path.find(server_name); at != std::string::npos) {
    folder = update_path.substr(std::min(update_path.size(), at + server_name.size() + 1));
  }
  return folder.empty() ? "/" : folder;
}

}  // namespace

void UpdateCheck::CheckAppVersion() {
  if (context_.outlook == nullptr) return;
  if (running_ || asking_) {
    Log("Already checking for update");
    return;
  }
  try {
    if (!AskToCheck()) return;
    FlagUp running(running_);
    note_text_.clear();
    InternetError failed = 0;
    try {
      failed = Run();
    } catch (const std::bad_alloc&) {
      LogRunTimeError(7, "Out of memory");
    } catch (const std::system_error& e) {
      LogRunTimeError(e.code().value(), e.what());
    } catch (const std::exception& e) {
      LogRunTimeError(5, e.what());
    }
    ReportFailure(failed);
  } catch (...) {
    // Nothing reaches the caller; the flags come down with their guards.
  }
}

bool UpdateCheck::AskToCheck() {
  FlagUp asking(asking_);
  return context_.windows.ShowNote(Text(178) + "...", Text(170), Text(181), Text(146));
}

InternetError UpdateCheck::Run() {
  Log("CheckAppVersion");
  UpdateServer server =
      context_.server ? *context_.server : ConfiguredUpdateServer(context_.machine);
  std::string server_name = server.Name();
  update_path_ = server_name + "/" + std::string(kUpdateFolderName);
  std::string local_folder = context_.shell.specialFolder(platform::shell::SpecialFolder::Desktop);
  new_version_.clear();

  // Every early return closes whatever the client has open.
  FtpClient ftp(context_.timeouts);
  Log("InternetOpen");
  if (InternetError error = ftp.Open(kInternetAgent)) return error;
  Log("InternetConnect");
  if (InternetError error = ftp.Connect(server.host, server.port)) return error;
  std::string update_folder = UpdateFolderOf(update_path_, server_name);
  Log("FtpSetCurrentDirectory");
  if (InternetError error = ftp.SetCurrentDirectory(update_folder)) return error;
  Log("FtpGetConfFile");
  // Without a desktop folder the file would land in the file system's root.
  if (local_folder.empty()) return kPathNotFound;
  std::string local_path = (std::filesystem::path(local_folder) / kUpdateConfFile).string();
  if (InternetError error = ftp.GetFile(kUpdateConfFile, local_path)) return error;
  ftp.Close();

  ReadNewVersion(local_path);
  if (!IsNewVersion(new_version_)) {
    Log("Same version - " + new_version_);
  } else {
    OfferUpdate();
  }

  context_.windows.Note().setMousePointer(MousePointer::Default);
  platform::ui::Form* settings = context_.windows.SettingsWindow();
  if (settings != nullptr && settings->visible()) settings->setMousePointer(MousePointer::Default);
  return 0;
}

void UpdateCheck::ReadNewVersion(const std::string& local_path) {
  std::optional<std::string> version = ReadOfferedVersion(local_path);
  if (version) {
    new_version_ = std::move(*version);
  } else {
    LogRunTimeError(53, "File not found");
  }
  std::error_code ignored;
  std::filesystem::remove(local_path, ignored);
}

void UpdateCheck::OfferUpdate() {
  Log("need Update- " + new_version_);
  platform::ui::Form* settings = context_.windows.SettingsWindow();
  if (settings != nullptr && settings->visible()) settings->hide();
  offered_ = true;
  note_text_ = Text(173) + "\r" + "   (  " + Text(180) + "  " + new_version_ + "  )";
  if (!context_.windows.ShowNote(note_text_, Text(170), Text(170), Text(171))) return;
  std::string address = "ftp://" + update_path_ + "/" + std::string(kUpdateInstaller);
  Log("DeleteUrlCacheEntry");
  DeleteUrlCacheEntry(address);
  Log("ShellExecute");
  context_.shell.openAddress(address);
}

void UpdateCheck::ReportFailure(InternetError code) {
  if (code < 1 || offered_) return;
  std::string text(InternetErrorText(code));
  context_.shell.messageBox(text, std::string(kFailureTitle), platform::shell::MsgBoxButtons::Ok);
  Log("CheckAppVersion: " + text);
}

bool UpdateCheck::IsNewVersion(std::string_view new_version) {
  try {
    std::string installed =
        RegValueText(QueryRegValue(context_.machine, kUninstallKey, kDisplayVersion));
    Log(" Current version - " + installed + ";  New version - " + std::string(new_version));
    return IsNewerVersion(new_version, installed, context_.own_version);
  } catch (const std::exception& e) {
    Log("IsNewVersion: " + std::string(e.what()));
    return false;
  }
}

void UpdateCheck::LogRunTimeError(int number, std::string_view description) {
  Log("CheckAppVersion: " + note_text_ + " - " + std::to_string(number) + " - " +
      std::string(description));
}

}  // namespace ringova
