#pragma once
// Where automation classes and type libraries are registered: under "Software\Classes" of the
// current user's registry store (platform/registry), laid out as the classes root is:
//
//   <ProgID>                      default: type name; "CLSID" default: the CLSID; "Insertable"
//   CLSID\<clsid>                 default: type name; "InprocServer32" default: module path,
//                                 ThreadingModel; "ProgID", "Control", "Insertable",
//                                 "MiscStatus\1", "ToolboxBitmap32", "TypeLib", "Version"
//   TypeLib\<libid>\<version>     default: help string; "0\linux" default: module path;
//                                 "FLAGS", "HELPDIR"
//   Interface\<iid>               default: interface name; "TypeLib" default: libid, Version
//
// Lookups read the current user's store first, then the machine's, as the merged classes root.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

inline constexpr std::string_view kClassesRoot = "Software\\Classes";

struct InterfaceRegistration {
  std::string iid;
  std::string name;
};

struct TypeLibRegistration {
  std::string libid;
  std::string version;  // "major.minor"
  std::string helpString;
  std::string modulePath;
  std::vector<InterfaceRegistration> interfaces;
};

struct ClassRegistration {
  std::string clsid;
  std::string progId;
  std::string typeName;
  std::string modulePath;
  std::string threadingModel;  // "Apartment"
  std::string libid;
  std::string version;
  uint32_t miscStatus = 0;
  int toolboxBitmap = 0;  // resource id; 0 for none
  bool insertable = false;
  bool control = false;
};

// Each returns true when every entry was written (or, unregistering, is gone afterwards;
// entries that were never there count as removed).
bool registerTypeLib(const TypeLibRegistration& lib);
bool unregisterTypeLib(const TypeLibRegistration& lib);
bool registerClass(const ClassRegistration& cls);
bool unregisterClass(const ClassRegistration& cls);

// Lookups through the merged view.
std::optional<std::string> clsidFromProgId(std::string_view progId);
std::optional<std::string> inprocServer(std::string_view clsid);

}  // namespace platform
