#pragma once
// The add-in's stored settings: one record in memory, kept as text values in the current user's
// registry under the application key "RingovaAddIn", section "Settings". Booleans are "True" /
// "False", numbers decimal text. A value that is missing or does not read takes its default.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/registry/registry.h"

namespace ringova {

inline constexpr std::string_view kAddinRegistryApp = "RingovaAddIn";
inline constexpr std::string_view kAddinSettingsSection = "Settings";

inline constexpr int kDefaultServPort = 4849;
inline constexpr int kMinTimeIncoming = 1;
inline constexpr int kMaxTimeIncoming = 60;
inline constexpr int kMinTimeReconnect = 30;
inline constexpr int kMaxTimeReconnect = 600;

struct AddinSettings {
  std::string ServAddr = "127.0.0.1";
  int ServPort = kDefaultServPort;  // 1 to 65535
  std::string UserName;
  std::string Password;  // plain text in the store
  int TimeIncoming = kMinTimeIncoming;
  int TimeReconnect = kMinTimeReconnect;
  bool Incoming = true;
  bool Secure = false;
  bool Reconnect = true;
  bool TapiPhone = false;
  bool FillContacts = true;
  bool LoadSelectedFolders = false;  // always the opposite of FillContacts after loading
  bool CheckUpdate = false;
  bool DontShowOnStartup = false;
  std::string SelectedContactFolders;
  bool Activated = false;
  std::string Country;
  std::string PathLogFile;
  bool DesktopNotifications = true;  // arriving calls also as desktop notifications
};

// "True" / "False".
const char* BoolText(bool value);

// Readers of stored texts; each gives `fallback` (or the default) for a text that does not read.
// A Boolean reads "True"/"False" in any letter case, or a whole number (non-zero is True).
bool ReadBool(std::string_view text, bool fallback);
// A whole decimal port from 1 to 65535; anything else (0, empty, a word) is the default port.
int ReadPort(std::string_view text);
// Whole seconds brought into 1..60; not a number gives 1.
int ReadTimeIncoming(std::string_view text);
// Whole seconds brought into 30..600; not a number gives 30.
int ReadTimeReconnect(std::string_view text);

// A port typed into the window: its numeric value when that is a port, otherwise 0.
int FieldPort(std::string_view text);
// The numeric value of a typed number field, as whole units (a fraction is cut off; out of range
// of int is saturated).
int FieldNumber(std::string_view text);

}  // namespace ringova
