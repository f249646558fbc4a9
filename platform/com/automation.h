#pragma once
// The dispatch interface of an automation object, as hosts that cannot link its C++ class use it:
// members are found by name, called by dispatch identifier with Variant arguments, and events are
// connected by the event's dispatch identifier.
//
// Arguments are passed in declaration order (first parameter first). An out-parameter is passed
// as a text by reference (Variant::ref). All calls are made on the thread that created the object;
// event handlers run on that thread too, when the host pumps the dispatcher it gave the object.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/hresult.h"
#include "platform/com/owner_dispatcher.h"
#include "platform/com/variant.h"

namespace platform {

using DispId = int32_t;
inline constexpr DispId DISPID_UNKNOWN = -1;

struct ParamInfo {
  std::string name;
  VarType type = VarType::Empty;  // TextRef for an out text
};

// One method or event of an interface.
struct MemberInfo {
  DispId id = DISPID_UNKNOWN;
  std::string name;
  std::vector<ParamInfo> params;
  VarType result = VarType::Empty;  // Empty for events
};

// Reads a parameter list written the way the interface tables write it:
// "text callID, I2 callState, BOOL onoff, I4 timeout, text out listWAV" ("" for none). Types are
// text, BOOL, I2, I4, and "text out". False on anything else.
bool parseParamList(std::string_view list, std::vector<ParamInfo>& out);
// The word such a list uses for a parameter type ("text out" for TextRef); "" for Empty.
const char* paramTypeWord(VarType type);

// The first member with that name, compared ignoring ASCII letter case; null when none.
const MemberInfo* findMember(const std::vector<MemberInfo>& members, std::string_view name);
const MemberInfo* findMember(const std::vector<MemberInfo>& members, DispId id);

// Converts `args` to the member's parameter types in place (texts by reference stay as they
// are). S_OK, DISP_E_BADPARAMCOUNT, DISP_E_TYPEMISMATCH or DISP_E_OVERFLOW.
HResult coerceArguments(const MemberInfo& member, std::vector<Variant>& args);

using EventHandler = std::function<void(const std::vector<Variant>& args)>;

class AutomationObject {
 public:
  virtual ~AutomationObject() = default;

  virtual const std::vector<MemberInfo>& methods() const = 0;
  virtual const std::vector<MemberInfo>& events() const = 0;

  // DISPID_UNKNOWN when no method has the name (ignoring letter case).
  DispId getIDsOfNames(std::string_view name) const;
  DispId getEventIDsOfNames(std::string_view name) const;

  // Calls a method. `result` receives its result (Empty for none). DISP_E_MEMBERNOTFOUND for an
  // unknown identifier; the coercion codes above for bad arguments; otherwise S_OK.
  virtual HResult invoke(DispId member, std::vector<Variant>& args, Variant& result) = 0;

  // The object's "window": where its events are raised (owner_dispatcher.h). Null takes it
  // back; an object without one raises no events, and its methods still work.
  virtual void setDispatcher(OwnerDispatcher* dispatcher) = 0;

  // Connects a handler to one event by its identifier; returns a cookie (never 0), or 0 for an
  // unknown event. Handlers run in the order they were connected.
  virtual uint32_t advise(DispId event, EventHandler handler) = 0;
  virtual bool unadvise(uint32_t cookie) = 0;
};

// What a module hands out for one of its classes.
class ClassFactory {
 public:
  virtual ~ClassFactory() = default;
  // A new object, or null when it cannot be made.
  virtual std::unique_ptr<AutomationObject> createInstance() = 0;
};

}  // namespace platform
