#include "platform/com/class_registry.h"

#include <filesystem>

#include "platform/registry/registry.h"

namespace platform {

namespace {

std::string classKey(std::string_view sub) {
  std::string key(kClassesRoot);
  key += '\\';
  key += sub;
  return key;
}

std::string join(std::string_view a, std::string_view b) {
  std::string s(a);
  s += '\\';
  s += b;
  return s;
}

// Removes `key` and reports whether it is gone.
bool removeKey(Registry& reg, const std::string& key) {
  reg.deleteKey(key);
  return !reg.keyExists(key);
}

std::optional<std::string> readMerged(const std::string& key, std::string_view name) {
  for (RegistryHive hive : {RegistryHive::CurrentUser, RegistryHive::LocalMachine}) {
    Registry reg(hive);
    if (auto s = reg.getString(key, name)) return s;
  }
  return std::nullopt;
}

}  // namespace

bool registerTypeLib(const TypeLibRegistration& lib) {
  Registry reg(RegistryHive::CurrentUser);
  const std::string libKey = classKey(join(join("TypeLib", lib.libid), lib.version));
  std::string helpDir = std::filesystem::path(lib.modulePath).parent_path().string();
  bool ok = reg.setString(libKey, "", lib.helpString) &&
            reg.setString(join(libKey, "0\\linux"), "", lib.modulePath) &&
            reg.setString(join(libKey, "FLAGS"), "", "0") &&
            reg.setString(join(libKey, "HELPDIR"), "", helpDir);
  for (const InterfaceRegistration& itf : lib.interfaces) {
    const std::string key = classKey(join("Interface", itf.iid));
    ok = ok && reg.setString(key, "", itf.name) &&
         reg.setString(join(key, "TypeLib"), "", lib.libid) &&
         reg.setString(join(key, "TypeLib"), "Version", lib.version);
  }
  return ok;
}

bool unregisterTypeLib(const TypeLibRegistration& lib) {
  Registry reg(RegistryHive::CurrentUser);
  const std::string idKey = classKey(join("TypeLib", lib.libid));
  bool ok = removeKey(reg, join(idKey, lib.version));
  // Other versions of the library keep their registration.
  if (reg.keyExists(idKey) && reg.subKeys(idKey).empty()) ok = removeKey(reg, idKey) && ok;
  for (const InterfaceRegistration& itf : lib.interfaces) {
    ok = removeKey(reg, classKey(join("Interface", itf.iid))) && ok;
  }
  return ok;
}

bool registerClass(const ClassRegistration& cls) {
  Registry reg(RegistryHive::CurrentUser);
  const std::string key = classKey(join("CLSID", cls.clsid));
  const std::string progKey = classKey(cls.progId);
  bool ok = reg.setString(key, "", cls.typeName) &&
            reg.setString(join(key, "InprocServer32"), "", cls.modulePath) &&
            reg.setString(join(key, "InprocServer32"), "ThreadingModel", cls.threadingModel) &&
            reg.setString(join(key, "ProgID"), "", cls.progId) &&
            reg.setString(join(key, "MiscStatus"), "", "0") &&
            reg.setString(join(key, "MiscStatus\\1"), "", std::to_string(cls.miscStatus)) &&
            reg.setString(join(key, "TypeLib"), "", cls.libid) &&
            reg.setString(join(key, "Version"), "", cls.version) &&
            reg.setString(progKey, "", cls.typeName) &&
            reg.setString(join(progKey, "CLSID"), "", cls.clsid);
  if (cls.toolboxBitmap != 0) {
    ok = ok && reg.setString(join(key, "ToolboxBitmap32"), "",
                             cls.modulePath + ", " + std::to_string(cls.toolboxBitmap));
  }
  if (cls.control) ok = ok && reg.createKey(join(key, "Control"));
  if (cls.insertable) {
    ok = ok && reg.createKey(join(key, "Insertable")) && reg.createKey(join(progKey, "Insertable"));
  }
  return ok;
}

bool unregisterClass(const ClassRegistration& cls) {
  Registry reg(RegistryHive::CurrentUser);
  bool ok = removeKey(reg, classKey(join("CLSID", cls.clsid)));
  // A ProgID now taken by another class is that class's entry, not ours.
  const std::string progKey = classKey(cls.progId);
  auto owner = reg.getString(join(progKey, "CLSID"), "");
  if (reg.keyExists(progKey) && (!owner || *owner == cls.clsid)) {
    ok = removeKey(reg, progKey) && ok;
  }
  return ok;
}

std::optional<std::string> clsidFromProgId(std::string_view progId) {
  if (progId.empty()) return std::nullopt;
  return readMerged(classKey(join(progId, "CLSID")), "");
}

std::optional<std::string> inprocServer(std::string_view clsid) {
  return readMerged(classKey(join(join("CLSID", clsid), "InprocServer32")), "");
}

}  // namespace platform
