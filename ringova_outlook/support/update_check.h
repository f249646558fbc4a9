#pragma once
// The add-in's update check: asks the user, fetches the configuration file of
// the update server's "RingovaUpdate" folder by anonymous FTP, compares the
// version offered there with the installed one and, when the user agrees,
// hands the installer's address to the shell, which downloads and starts it.
//
// Runs on the UI thread and blocks it during its Internet calls (each bounded
// by the time-outs); only its questions run the message loop, and a check
// started meanwhile only logs "Already checking for update". The caller
// decides whether to check at all (the CheckUpdate setting). A failure shows
// the text of the call that failed, unless an update has been offered since
// the add-in was loaded. Nothing is raised to the caller.

#include <optional>
#include <string>
#include <string_view>

#include "platform/registry/registry.h"
#include "platform/shell/shell.h"
#include "ringova_outlook/support/ftp_client.h"
#include "ringova_outlook/support/internet_errors.h"
#include "ringova_outlook/support/log_file.h"
#include "ringova_outlook/support/support_windows.h"
#include "ringova_outlook/support/update_server.h"
#include "ringova_outlook/support/update_version.h"

namespace platform::outlook {
class Application;
}

namespace ringova {

inline constexpr std::string_view kUpdateFolderName = "RingovaUpdate";
inline constexpr std::string_view kUpdateConfFile = "ringova.conf";
inline constexpr std::string_view kUpdateInstaller = "ringova_setup.exe";
inline constexpr std::string_view kInternetAgent = "vb wininet";
// Where the installation writes its version ("DisplayVersion").
inline constexpr std::string_view kUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ringova AddIn_is1";
inline constexpr std::string_view kDisplayVersion = "DisplayVersion";

// What a check works with; everything must outlive the UpdateCheck.
struct UpdateCheckContext {
  LogFile& log;
  // Message boxes, the desktop folder (where the configuration file is stored
  // while it is read) and opening the installer's address.
  platform::shell::Shell& shell;
  // The question window; its settings window is hidden before an update is
  // offered.
  SupportWindows& windows;
  // The installed version, and the server the machine names.
  const platform::Registry& machine;
  // No check runs without Outlook.
  const platform::outlook::Application* outlook = nullptr;
  // Nothing: ConfiguredUpdateServer(machine), read at each check.
  std::optional<UpdateServer> server;
  FtpTimeouts timeouts;
  AddinVersion own_version = OwnAddinVersion();
};

// One per add-in, created when it loads (which clears both flags).
class UpdateCheck {
 public:
  explicit UpdateCheck(UpdateCheckContext context) : context_(std::move(context)) {}
  UpdateCheck(const UpdateCheck&) = delete;
  UpdateCheck& operator=(const UpdateCheck&) = delete;

  // Runs one check.
  void CheckAppVersion();

  // True when new_version is newer than the installed version ("DisplayVersion"
  // under kUninstallKey in the machine store; the add-in's own version when it
  // is missing). Logs both.
  bool IsNewVersion(std::string_view new_version);

  bool UpdateCheckRunning() const { return running_; }
  // Set once an update has been offered; stays set.
  bool UpdateOffered() const { return offered_; }
  // The version offered by the last configuration file read; "" when none.
  const std::string& NewVersion() const { return new_version_; }
  // The server's name + "/RingovaUpdate", from the last check.
  const std::string& UpdatePath() const { return update_path_; }

 private:
  bool AskToCheck();
  // Steps from the first log line to the restored pointers: 0, or the code of
  // the call that failed.
  InternetError Run();
  void ReadNewVersion(const std::string& local_path);
  void OfferUpdate();
  void ReportFailure(InternetError code);
  void LogRunTimeError(int number, std::string_view description);
  void Log(std::string_view message) { context_.log.WriteToLogFile(message); }

  UpdateCheckContext context_;
  bool running_ = false;
  bool asking_ = false;  // the first question is up
  bool offered_ = false;
  std::string new_version_;
  std::string update_path_;
  std::string note_text_;
};

}  // namespace ringova
