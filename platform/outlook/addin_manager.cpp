#include "platform/outlook/addin_manager.h"

#include <algorithm>
#include <exception>

#include "platform/outlook/application.h"
#include "platform/outlook/text_util.h"
#include "platform/registry/registry.h"
#include "platform/ui/message_loop.h"
#include "platform/ui/toolkit.h"

namespace platform::outlook {

namespace {

std::string addInKey(std::string_view progId) {
  std::string key(kAddInsKey);
  key += '\\';
  key += progId;
  return key;
}

std::string hex(HResult hr) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out = "0x";
  for (int shift = 28; shift >= 0; shift -= 4) {
    out += digits[(static_cast<std::uint32_t>(hr) >> shift) & 0xF];
  }
  return out;
}

}  // namespace

bool registerAddIn(Registry& user, const AddInRegistration& addIn) {
  if (addIn.progId.empty()) return false;
  const std::string key = addInKey(addIn.progId);
  return user.setValues({{key, "FriendlyName", RegistryValue::ofString(addIn.friendlyName)},
                         {key, "Description", RegistryValue::ofString(addIn.description)},
                         {key, "LoadBehavior", RegistryValue::ofDWord(addIn.loadBehavior)}});
}

bool unregisterAddIn(Registry& user, std::string_view progId) {
  if (progId.empty()) return false;
  const std::string key = addInKey(progId);
  user.deleteKey(key);
  return !user.keyExists(key);
}

std::optional<AddInRegistration> findAddIn(const Registry& user, std::string_view progId) {
  const std::string key = addInKey(progId);
  if (progId.empty() || !user.keyExists(key)) return std::nullopt;
  AddInRegistration reg;
  reg.progId = std::string(progId);
  reg.friendlyName = user.getString(key, "FriendlyName").value_or("");
  reg.description = user.getString(key, "Description").value_or("");
  reg.loadBehavior = user.getDWord(key, "LoadBehavior").value_or(0);
  return reg;
}

std::vector<AddInRegistration> registeredAddIns(const Registry& user) {
  std::vector<AddInRegistration> out;
  for (const std::string& name : user.subKeys(kAddInsKey)) {
    if (auto reg = findAddIn(user, name)) out.push_back(std::move(*reg));
  }
  return out;
}

struct AddInManager::Loaded {
  AddInRegistration reg;
  ComObject object;
  IDTExtensibility2* addIn = nullptr;
};

AddInManager::AddInManager(Application& application, HostServices host)
    : app_(application), host_(host) {}

AddInManager::~AddInManager() {
  quit_.Disconnect();
  shutdownAddIns();
  releaseAll();
}

AddInManager::Loaded* AddInManager::find(std::string_view progId) const {
  for (const auto& loaded : loaded_) {
    if (EqualsIgnoreCase(loaded->reg.progId, progId)) return loaded.get();
  }
  return nullptr;
}

template <class Call>
bool AddInManager::guarded(const Loaded& addIn, std::string_view what, Call call) {
  std::string failure;
  try {
    const HResult hr = call(*addIn.addIn);
    if (succeeded(hr)) return true;
    failure = "failed with " + hex(hr);
  } catch (const std::exception& e) {
    failure = std::string("threw: ") + e.what();
  } catch (...) {
    failure = "threw";
  }
  failures_.push_back(addIn.reg.progId + " " + std::string(what) + " " + failure);
  return false;
}

bool AddInManager::connectOne(const AddInRegistration& reg, int mode) {
  auto loaded = std::make_unique<Loaded>();
  loaded->reg = reg;
  const HResult hr = createObject(reg.progId, loaded->object);
  if (!succeeded(hr)) {
    failures_.push_back(reg.progId + " cannot be created: " + hex(hr));
    return false;
  }
  loaded->addIn = QueryExtensibility(loaded->object.get());
  if (!loaded->addIn) {
    failures_.push_back(reg.progId + " is no add-in");
    return false;
  }
  Loaded& added = *loaded_.emplace_back(std::move(loaded));
  const AddInInstance instance{reg.progId, reg.description};
  if (!guarded(added, "OnConnection",
               [&](IDTExtensibility2& a) { return a.OnConnection(app_, mode, instance, host_); })) {
    // Outlook drops an add-in whose connection failed.
    release(reg.progId);
    return false;
  }
  // Connected again after each add-in, so that the add-ins' own Quit handlers run first.
  watchQuit();
  return true;
}

void AddInManager::release(std::string_view progId) {
  auto it = std::find_if(loaded_.begin(), loaded_.end(),
                         [&](const auto& l) { return EqualsIgnoreCase(l->reg.progId, progId); });
  if (it == loaded_.end()) return;
  std::unique_ptr<Loaded> gone = std::move(*it);
  loaded_.erase(it);
  gone.reset();  // the object goes before its module may
}

void AddInManager::notifyUpdate() {
  for (const auto& loaded : loaded_) {
    guarded(*loaded, "OnAddInsUpdate", [](IDTExtensibility2& a) { return a.OnAddInsUpdate(); });
  }
}

int AddInManager::Startup() {
  for (const AddInRegistration& reg : registeredAddIns(host_.user)) {
    if (reg.loadBehavior != kLoadAtStartup || find(reg.progId)) continue;
    connectOne(reg, ext_cm_Startup);
  }
  std::vector<std::string> started = Connected();
  for (const std::string& progId : started) {
    if (Loaded* loaded = find(progId)) {
      guarded(*loaded, "OnStartupComplete",
              [](IDTExtensibility2& a) { return a.OnStartupComplete(); });
    }
  }
  return static_cast<int>(loaded_.size());
}

bool AddInManager::Connect(std::string_view progId) {
  if (find(progId)) return true;
  if (app_.HasQuit()) return false;
  auto reg = findAddIn(host_.user, progId);
  if (!reg) {
    failures_.push_back(std::string(progId) + " is not registered");
    return false;
  }
  shutDown_ = false;
  if (!connectOne(*reg, ext_cm_AfterStartup)) return false;
  // Switching on in the dialog also makes it load at the next start.
  if (reg->loadBehavior != kLoadAtStartup) {
    reg->loadBehavior = kLoadAtStartup;
    registerAddIn(host_.user, *reg);
  }
  notifyUpdate();
  return true;
}

bool AddInManager::Disconnect(std::string_view progId) {
  Loaded* loaded = find(progId);
  if (!loaded) return false;
  guarded(*loaded, "OnDisconnection",
          [](IDTExtensibility2& a) { return a.OnDisconnection(ext_dm_UserClosed); });
  release(progId);
  notifyUpdate();
  return true;
}

void AddInManager::Shutdown() {
  if (!app_.HasQuit()) app_.Quit();  // raises Quit; our handler ends the add-ins
  shutdownAddIns();
  releaseAll();
}

// Inside Quit the application still holds copies of the add-ins' handlers, so the objects (and
// their modules) are released only once it has returned: here, or from the loop.
void AddInManager::watchQuit() {
  quit_ = app_.OnQuit().Connect([this] {
    shutdownAddIns();
    host_.toolkit.loop().post([this, alive = std::weak_ptr<int>(alive_)] {
      if (alive.lock()) releaseAll();
    });
  });
}

void AddInManager::releaseAll() {
  while (!loaded_.empty()) release(loaded_.back()->reg.progId);  // newest first
}

void AddInManager::shutdownAddIns() {
  if (shutDown_) return;
  shutDown_ = true;
  for (const auto& loaded : loaded_) {
    guarded(*loaded, "OnBeginShutdown", [](IDTExtensibility2& a) { return a.OnBeginShutdown(); });
  }
  for (const auto& loaded : loaded_) {
    guarded(*loaded, "OnDisconnection",
            [](IDTExtensibility2& a) { return a.OnDisconnection(ext_dm_HostShutdown); });
  }
}

bool AddInManager::IsConnected(std::string_view progId) const {
  return find(progId) != nullptr;
}

std::vector<std::string> AddInManager::Connected() const {
  std::vector<std::string> out;
  for (const auto& loaded : loaded_) out.push_back(loaded->reg.progId);
  return out;
}

}  // namespace platform::outlook
