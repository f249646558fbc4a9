// libtelvane.so as a host meets it: registered through its exports, created by ProgID, driven
// through the dispatch interface only.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/com/create_object.h"
#include "platform/com/module_exports.h"
#include "platform/com/owner_dispatcher.h"
#include "platform/registry/registry.h"
#include "tests/platform/com/registry_env.h"
#include "tools/pbxsim/pbx_simulator.h"

namespace {

using namespace std::chrono_literals;
using platform::HResult;
using platform::Variant;

constexpr const char* kProgId = "TELVANE.TelvaneCtrl.1";
constexpr const char* kClsid = "{206220A9-EEC7-40A1-BC5F-783553A1D41B}";

// The module loaded the way a registration tool loads it.
class ModuleHandle {
 public:
  ModuleHandle() : handle_(dlopen(TELVANE_MODULE_PATH, RTLD_NOW | RTLD_LOCAL)) {}
  ~ModuleHandle() {
    if (handle_) dlclose(handle_);
  }
  bool loaded() const { return handle_ != nullptr; }
  template <class Fn>
  Fn entry(const char* name) const {
    return reinterpret_cast<Fn>(dlsym(handle_, name));
  }

 private:
  void* handle_;
};

class ModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(module_.loaded()) << dlerror();
    registerServer_ = module_.entry<platform::DllRegisterServerFn>("DllRegisterServer");
    unregisterServer_ = module_.entry<platform::DllUnregisterServerFn>("DllUnregisterServer");
    canUnload_ = module_.entry<platform::DllCanUnloadNowFn>("DllCanUnloadNow");
    getClassObject_ = module_.entry<platform::DllGetClassObjectFn>("DllGetClassObject");
    ASSERT_TRUE(registerServer_ && unregisterServer_ && canUnload_ && getClassObject_);
  }

  TemporaryRegistry registry_;
  ModuleHandle module_;
  platform::DllRegisterServerFn registerServer_ = nullptr;
  platform::DllUnregisterServerFn unregisterServer_ = nullptr;
  platform::DllCanUnloadNowFn canUnload_ = nullptr;
  platform::DllGetClassObjectFn getClassObject_ = nullptr;
};

TEST_F(ModuleTest, ExportsOnlyItsFourEntryPoints) {
  EXPECT_EQ(module_.entry<void*>("_ZN7telvane12CTelvaneCtrlD0Ev"), nullptr);
  void* factory = nullptr;
  EXPECT_EQ(getClassObject_("{00000000-0000-0000-0000-000000000000}", platform::kIID_IClassFactory,
                            &factory),
            platform::CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(getClassObject_(kClsid, "{00000000-0000-0000-C000-000000000046}", &factory),
            platform::E_NOINTERFACE);
  EXPECT_EQ(factory, nullptr);
  EXPECT_EQ(getClassObject_(kClsid, platform::kIID_IClassFactory, &factory), platform::S_OK);
  EXPECT_NE(factory, nullptr);
}

TEST_F(ModuleTest, RegisterTwiceCreateByProgIdUnregister) {
  ASSERT_EQ(registerServer_(), platform::S_OK);
  ASSERT_EQ(registerServer_(), platform::S_OK);
  platform::Registry user(registry_.userFile());
  const std::string cls = std::string("Software\\Classes\\CLSID\\") + kClsid;
  EXPECT_EQ(user.getString(std::string("Software\\Classes\\") + kProgId, ""), "Telvane Control");
  EXPECT_EQ(user.getString(cls + "\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(user.getString(cls + "\\Version", ""), "5.1");
  EXPECT_EQ(user.getString(cls + "\\MiscStatus\\1", ""), std::to_string(0x20193));
  const std::string lib = "Software\\Classes\\TypeLib\\{1AE58ED9-73A8-4929-995F-89896D961BCD}";
  EXPECT_EQ(user.getString(lib + "\\5.1", ""), "Telvane ActiveX Control module");
  EXPECT_EQ(
      user.getString("Software\\Classes\\Interface\\{D274BF51-1FDC-4641-8C34-A8D76FEFD6B3}", ""),
      "_DTelvane");

  {
    platform::ComObject object;
    ASSERT_EQ(platform::createObject(kProgId, object), platform::S_OK);
    EXPECT_EQ(canUnload_(), platform::S_FALSE);
    EXPECT_EQ(object->getIDsOfNames("createcall"), 3);
    EXPECT_EQ(object->getEventIDsOfNames("ERROROCCURED"), 16);
    std::vector<Variant> args{"system", "pbx:101", "Ringova"};
    Variant result;
    ASSERT_EQ(object->invoke(3, args, result), platform::S_OK);
    EXPECT_EQ(result, Variant("0"));  // not connected
  }
  EXPECT_EQ(canUnload_(), platform::S_OK);

  ASSERT_EQ(unregisterServer_(), platform::S_OK);
  EXPECT_FALSE(user.keyExists(cls));
  EXPECT_FALSE(user.keyExists(std::string("Software\\Classes\\") + kProgId));
  EXPECT_FALSE(user.keyExists(lib));
  platform::ComObject object;
  EXPECT_EQ(platform::createObject(kProgId, object), platform::CO_E_CLASSSTRING);
  EXPECT_EQ(unregisterServer_(), platform::S_OK);
}

TEST_F(ModuleTest, RegistrationFailuresAreReportedByTheirCodes) {
  // A store that cannot be parsed is never overwritten, so every write to it fails.
  {
    std::FILE* f = std::fopen(registry_.userFile().c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("\x01 not a registry store [[[\n", f);
    std::fclose(f);
  }
  EXPECT_EQ(registerServer_(), platform::SELFREG_E_TYPELIB);
}

// The add-in's way: create by ProgID, give the object its "window", drive it by dispatch
// identifiers and receive events by identifier on this thread.
TEST_F(ModuleTest, AHostDrivesThePbxThroughTheDispatchInterface) {
  ASSERT_EQ(registerServer_(), platform::S_OK);
  telvane::tools::PbxSimulator::Options options;
  options.answerDelay = 50ms;
  telvane::tools::PbxSimulator sim(options);
  ASSERT_TRUE(sim.start());

  platform::PollableDispatcher dispatcher;
  platform::ComObject object;
  ASSERT_EQ(platform::createObject(kProgId, object), platform::S_OK);
  object->setDispatcher(&dispatcher);
  std::vector<std::string> states;
  const auto owner = std::this_thread::get_id();
  bool offThread = false;
  ASSERT_NE(object->advise(object->getEventIDsOfNames("CallStateChanged"),
                           [&](const std::vector<Variant>& a) {
                             states.push_back(a.at(0).text() + " " + std::to_string(a.at(1).i2()));
                             offThread |= std::this_thread::get_id() != owner;
                           }),
            0u);
  EXPECT_EQ(object->advise(99, [](const std::vector<Variant>&) {}), 0u);

  Variant result;
  std::vector<Variant> login{"127.0.0.1", static_cast<int16_t>(sim.port()), int32_t{2}, "101",
                             "secret"};
  ASSERT_EQ(object->invoke(object->getIDsOfNames("Connect"), login, result), platform::S_OK);
  ASSERT_EQ(result, Variant(true));

  std::vector<Variant> call{"system", "pbx:101", "Ringova"};
  ASSERT_EQ(object->invoke(object->getIDsOfNames("CreateCall"), call, result), platform::S_OK);
  const std::string id = result.text();
  ASSERT_NE(id, "0");
  auto deadline = std::chrono::steady_clock::now() + 3s;
  while (std::find(states.begin(), states.end(), id + " 2") == states.end() &&
         std::chrono::steady_clock::now() < deadline) {
    dispatcher.pumpFor(10ms);
  }
  EXPECT_NE(std::find(states.begin(), states.end(), id + " 2"), states.end());
  EXPECT_FALSE(offThread);

  std::string uniqueId, version;
  std::vector<Variant> info{Variant::ref(uniqueId), Variant::ref(version)};
  ASSERT_EQ(object->invoke(28, info, result), platform::S_OK);
  EXPECT_EQ(result, Variant(true));
  EXPECT_EQ(uniqueId, "PBXSIM-0001");

  std::vector<Variant> wrong{"1", "2"};
  EXPECT_EQ(object->invoke(4, wrong, result), platform::DISP_E_BADPARAMCOUNT);
  std::vector<Variant> notText{int32_t{1}};
  EXPECT_EQ(object->invoke(4, notText, result), platform::DISP_E_TYPEMISMATCH);
  std::vector<Variant> none;
  EXPECT_EQ(object->invoke(32, none, result), platform::DISP_E_MEMBERNOTFOUND);
  std::vector<Variant> noRef{"x", "y"};
  EXPECT_EQ(object->invoke(28, noRef, result), platform::DISP_E_TYPEMISMATCH);

  object.reset();  // disconnects
  EXPECT_TRUE(sim.waitUntil([](const auto& c) { return c.openConnections == 0; }));
}

// A task the control left in the host's dispatcher runs module code: the module must stay.
TEST_F(ModuleTest, TasksLeftInTheHostsDispatcherKeepTheModuleLoaded) {
  ASSERT_EQ(registerServer_(), platform::S_OK);
  telvane::tools::PbxSimulator sim({});
  ASSERT_TRUE(sim.start());
  platform::PollableDispatcher dispatcher;
  platform::ComObject object;
  ASSERT_EQ(platform::createObject(kProgId, object), platform::S_OK);
  object->setDispatcher(&dispatcher);
  std::vector<Variant> login{"127.0.0.1", static_cast<int16_t>(sim.port()), int32_t{2}, "101",
                             "secret"};
  Variant result;
  ASSERT_EQ(object->invoke(1, login, result), platform::S_OK);
  ASSERT_EQ(result, Variant(true));
  ASSERT_TRUE(sim.sendState(5, 2));
  pollfd p{dispatcher.fd(), POLLIN, 0};
  ASSERT_EQ(poll(&p, 1, 3000), 1);  // a delivery waits in the dispatcher
  object.reset();
  EXPECT_EQ(canUnload_(), platform::S_FALSE);
  dispatcher.pump();  // finds its control gone
  EXPECT_EQ(canUnload_(), platform::S_OK);
}

}  // namespace
