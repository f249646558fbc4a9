#include "apps/ringova/modules.h"

#include <dlfcn.h>
#include <unistd.h>

#include <array>

#include "platform/com/class_registry.h"
#include "platform/com/module_exports.h"
#include "platform/outlook/addin_manager.h"
#include "platform/registry/registry.h"

namespace ringova::host {

namespace {

constexpr std::string_view kAddInProgId = "Ringova_Outlook.Connect";
constexpr std::string_view kControlProgId = "TELVANE.TelvaneCtrl.1";

std::filesystem::path programFolder() {
  std::array<char, 4096> buffer{};
  const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return {};
  return std::filesystem::path(std::string(buffer.data(), static_cast<std::size_t>(n)))
      .parent_path();
}

// Unloads a module when the scope ends.
struct ModuleHandle {
  void* handle = nullptr;
  ~ModuleHandle() {
    if (handle) ::dlclose(handle);
  }
};

}  // namespace

const std::vector<ModuleFile>& HostModules() {
  static const std::vector<ModuleFile> modules = {
      {"libtelvane.so", RINGOVA_TELVANE_MODULE},
      {"libringova_outlook.so", RINGOVA_ADDIN_MODULE},
  };
  return modules;
}

std::filesystem::path FindModule(const ModuleFile& module, std::vector<std::string>* tried) {
  const std::filesystem::path here = programFolder();
  std::vector<std::filesystem::path> candidates;
  if (!here.empty()) {
    candidates.push_back(here / module.fileName);
    candidates.push_back(here.parent_path() / "lib" / module.fileName);
  }
  candidates.push_back(std::filesystem::path(RINGOVA_INSTALL_LIBDIR) / module.fileName);
  candidates.push_back(module.builtAt);
  for (const auto& path : candidates) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) return std::filesystem::absolute(path, ec);
    if (tried) tried->push_back(path.string());
  }
  return {};
}

bool RegisterModules(bool unregister, std::string& error) {
  const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
  for (const ModuleFile& module : HostModules()) {
    std::vector<std::string> tried;
    const std::filesystem::path path = FindModule(module, &tried);
    if (path.empty()) {
      error = module.fileName + " not found (looked at";
      for (const std::string& t : tried) error += " " + t;
      error += ")";
      return false;
    }
    ModuleHandle loaded{::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)};
    if (!loaded.handle) {
      const char* why = ::dlerror();
      error = path.string() + ": " + (why ? why : "cannot be loaded");
      return false;
    }
    auto run = reinterpret_cast<platform::DllRegisterServerFn>(::dlsym(loaded.handle, entry));
    if (!run) {
      error = path.string() + ": no " + entry;
      return false;
    }
    const platform::HResult hr = run();
    if (hr != platform::S_OK) {
      error = path.string() + ": " + entry + " failed with code " + std::to_string(hr);
      return false;
    }
  }
  return true;
}

bool ModulesRegistered() {
  platform::Registry user(platform::RegistryHive::CurrentUser);
  return platform::clsidFromProgId(kControlProgId).has_value() &&
         platform::clsidFromProgId(kAddInProgId).has_value() &&
         platform::outlook::findAddIn(user, kAddInProgId).has_value();
}

}  // namespace ringova::host
