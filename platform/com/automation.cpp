#include "platform/com/automation.h"

namespace platform {

namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

char lowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  }
  return true;
}

struct TypeWord {
  std::string_view word;
  VarType type;
};
constexpr TypeWord kTypeWords[] = {
    {"text out", VarType::TextRef},
    {"text", VarType::Text},
    {"BOOL", VarType::Bool},
    {"I2", VarType::I2},
    {"I4", VarType::I4},
};

bool parseParam(std::string_view item, ParamInfo& out) {
  for (const TypeWord& t : kTypeWords) {
    if (item.size() > t.word.size() && item.substr(0, t.word.size()) == t.word &&
        item[t.word.size()] == ' ') {
      std::string_view name = trim(item.substr(t.word.size()));
      if (name.empty() || name.find(' ') != std::string_view::npos) return false;
      out = {std::string(name), t.type};
      return true;
    }
  }
  return false;
}

}  // namespace

bool parseParamList(std::string_view list, std::vector<ParamInfo>& out) {
  out.clear();
  list = trim(list);
  if (list.empty()) return true;
  while (true) {
    size_t comma = list.find(',');
    ParamInfo p;
    if (!parseParam(trim(list.substr(0, comma)), p)) return false;
    out.push_back(std::move(p));
    if (comma == std::string_view::npos) return true;
    list.remove_prefix(comma + 1);
  }
}

const char* paramTypeWord(VarType type) {
  for (const TypeWord& t : kTypeWords) {
    if (t.type == type) return t.word.data();
  }
  return "";
}

const MemberInfo* findMember(const std::vector<MemberInfo>& members, std::string_view name) {
  for (const MemberInfo& m : members) {
    if (equalsIgnoringCase(m.name, name)) return &m;
  }
  return nullptr;
}

const MemberInfo* findMember(const std::vector<MemberInfo>& members, DispId id) {
  for (const MemberInfo& m : members) {
    if (m.id == id) return &m;
  }
  return nullptr;
}

HResult coerceArguments(const MemberInfo& member, std::vector<Variant>& args) {
  if (args.size() != member.params.size()) return DISP_E_BADPARAMCOUNT;
  for (size_t i = 0; i < args.size(); ++i) {
    Variant& arg = args[i];
    switch (member.params[i].type) {
      case VarType::Bool: {
        bool b = false;
        if (!arg.toBool(b)) return DISP_E_TYPEMISMATCH;
        arg = Variant(b);
        break;
      }
      case VarType::I2: {
        int32_t wide = 0;
        if (!arg.toI4(wide)) return DISP_E_TYPEMISMATCH;
        int16_t n = 0;
        if (!arg.toI2(n)) return DISP_E_OVERFLOW;
        arg = Variant(n);
        break;
      }
      case VarType::I4: {
        int32_t n = 0;
        if (!arg.toI4(n)) return DISP_E_TYPEMISMATCH;
        arg = Variant(n);
        break;
      }
      case VarType::Text: {
        std::string s;
        if (!arg.toText(s)) return DISP_E_TYPEMISMATCH;
        arg = Variant(std::move(s));
        break;
      }
      case VarType::TextRef:
        if (arg.type() != VarType::TextRef) return DISP_E_TYPEMISMATCH;
        break;
      case VarType::Empty:
        break;
    }
  }
  return S_OK;
}

DispId AutomationObject::getIDsOfNames(std::string_view name) const {
  const MemberInfo* m = findMember(methods(), name);
  return m ? m->id : DISPID_UNKNOWN;
}

DispId AutomationObject::getEventIDsOfNames(std::string_view name) const {
  const MemberInfo* m = findMember(events(), name);
  return m ? m->id : DISPID_UNKNOWN;
}

}  // namespace platform
