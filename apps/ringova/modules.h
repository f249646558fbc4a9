#pragma once
// The two modules the host registers: the control (libtelvane.so) and the add-in
// (libringova_outlook.so). Each is looked for beside the program, in the library folder of the
// installation the program sits in (../lib), in the installed library folder, and last where
// the build tree made it.
#include <filesystem>
#include <string>
#include <vector>

namespace ringova::host {

struct ModuleFile {
  std::string fileName;           // "libtelvane.so"
  std::filesystem::path builtAt;  // where this build put it
};

const std::vector<ModuleFile>& HostModules();

// The first existing candidate; empty when there is none (`tried` lists what was looked at).
std::filesystem::path FindModule(const ModuleFile& module, std::vector<std::string>* tried);

// Runs DllRegisterServer (or DllUnregisterServer) of each module. False with the reason.
bool RegisterModules(bool unregister, std::string& error);

// True when both ProgIDs and the add-in's entry for Outlook are registered.
bool ModulesRegistered();

}  // namespace ringova::host
