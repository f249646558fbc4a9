#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com/automation.h"
#include "platform/com/class_registry.h"
#include "platform/com/create_object.h"
#include "platform/com/variant.h"
#include "platform/registry/registry.h"
#include "tests/platform/com/registry_env.h"

namespace platform {
namespace {

TEST(VariantTest, CoercionsFollowAutomationRules) {
  int16_t i2 = 0;
  int32_t i4 = 0;
  bool b = false;
  std::string s;
  EXPECT_TRUE(Variant(int32_t{-32768}).toI2(i2));
  EXPECT_EQ(i2, -32768);
  EXPECT_FALSE(Variant(int32_t{40000}).toI2(i2));  // does not fit
  EXPECT_TRUE(Variant(true).toI4(i4));
  EXPECT_EQ(i4, -1);
  EXPECT_TRUE(Variant(int16_t{2}).toBool(b));
  EXPECT_TRUE(b);
  EXPECT_FALSE(Variant("1").toI4(i4));  // texts are not numbers
  EXPECT_FALSE(Variant().toBool(b));
  std::string target = "by ref";
  EXPECT_TRUE(Variant::ref(target).toText(s));
  EXPECT_EQ(s, "by ref");
  EXPECT_FALSE(Variant(int32_t{1}).toText(s));
}

TEST(AutomationTest, ParameterListsReadAsTheTablesWriteThem) {
  std::vector<ParamInfo> params;
  ASSERT_TRUE(
      parseParamList("text callID, I2 callState, BOOL onoff, I4 t, text out listWAV", params));
  ASSERT_EQ(params.size(), 5u);
  EXPECT_EQ(params[0].name, "callID");
  EXPECT_EQ(params[0].type, VarType::Text);
  EXPECT_EQ(params[1].type, VarType::I2);
  EXPECT_EQ(params[2].type, VarType::Bool);
  EXPECT_EQ(params[3].type, VarType::I4);
  EXPECT_EQ(params[4].name, "listWAV");
  EXPECT_EQ(params[4].type, VarType::TextRef);
  EXPECT_TRUE(parseParamList("", params));
  EXPECT_TRUE(params.empty());
  EXPECT_FALSE(parseParamList("string callID", params));
  EXPECT_FALSE(parseParamList("text", params));
  EXPECT_FALSE(parseParamList("text a,", params));
}

TEST(AutomationTest, NamesIgnoreCaseAndArgumentsAreCoerced) {
  MemberInfo play{8, "PlayMessage", {}, VarType::Bool};
  ASSERT_TRUE(parseParamList("text callID, text fileName, I2 playCount", play.params));
  std::vector<MemberInfo> members{play};
  EXPECT_EQ(findMember(members, "playmessage"), &members[0]);
  EXPECT_EQ(findMember(members, "PLAYMESSAGE"), &members[0]);
  EXPECT_EQ(findMember(members, "PlayMessag"), nullptr);
  EXPECT_EQ(findMember(members, 8), &members[0]);

  std::vector<Variant> args{"1", "a.wav", int32_t{3}};
  EXPECT_EQ(coerceArguments(play, args), S_OK);
  EXPECT_EQ(args[2].type(), VarType::I2);
  args = {"1", "a.wav"};
  EXPECT_EQ(coerceArguments(play, args), DISP_E_BADPARAMCOUNT);
  args = {"1", int32_t{2}, int32_t{3}};
  EXPECT_EQ(coerceArguments(play, args), DISP_E_TYPEMISMATCH);
  args = {"1", "a.wav", int32_t{70000}};
  EXPECT_EQ(coerceArguments(play, args), DISP_E_OVERFLOW);
}

ClassRegistration sampleClass(const std::string& module) {
  ClassRegistration c;
  c.clsid = "{11111111-2222-3333-4444-555555555555}";
  c.progId = "SAMPLE.Thing.1";
  c.typeName = "Sample Thing";
  c.modulePath = module;
  c.threadingModel = "Apartment";
  c.libid = "{AAAAAAAA-2222-3333-4444-555555555555}";
  c.version = "1.0";
  c.miscStatus = 0x20193;
  c.toolboxBitmap = 201;
  c.insertable = true;
  c.control = true;
  return c;
}

TEST(ClassRegistryTest, ClassesRegisterIntoTheUserStoreAndComeOutAgain) {
  TemporaryRegistry temp;
  ClassRegistration c = sampleClass("/opt/sample/libsample.so");
  ASSERT_TRUE(registerClass(c));
  ASSERT_TRUE(registerClass(c));  // twice is fine
  EXPECT_EQ(clsidFromProgId("SAMPLE.Thing.1"), c.clsid);
  EXPECT_EQ(clsidFromProgId("sample.thing.1"), c.clsid);  // keys ignore case
  EXPECT_EQ(inprocServer(c.clsid), "/opt/sample/libsample.so");
  Registry user(temp.userFile());
  const std::string key = "Software\\Classes\\CLSID\\" + c.clsid;
  EXPECT_EQ(user.getString(key + "\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(user.getString(key + "\\MiscStatus\\1", ""), "131475");
  EXPECT_EQ(user.getString(key + "\\ToolboxBitmap32", ""), "/opt/sample/libsample.so, 201");
  EXPECT_TRUE(user.keyExists(key + "\\Control"));
  EXPECT_TRUE(user.keyExists("Software\\Classes\\SAMPLE.Thing.1\\Insertable"));

  ASSERT_TRUE(unregisterClass(c));
  EXPECT_FALSE(user.keyExists(key));
  EXPECT_FALSE(user.keyExists("Software\\Classes\\SAMPLE.Thing.1"));
  EXPECT_FALSE(clsidFromProgId("SAMPLE.Thing.1"));
  EXPECT_TRUE(unregisterClass(c));  // nothing left to remove
}

TEST(ClassRegistryTest, TypeLibrariesKeepOtherVersions) {
  TemporaryRegistry temp;
  TypeLibRegistration lib{"{AAAAAAAA-2222-3333-4444-555555555555}",
                          "1.0",
                          "Sample library",
                          "/opt/sample/libsample.so",
                          {{"{BBBBBBBB-2222-3333-4444-555555555555}", "_DSample"}}};
  TypeLibRegistration older = lib;
  older.version = "0.9";
  ASSERT_TRUE(registerTypeLib(older));
  ASSERT_TRUE(registerTypeLib(lib));
  Registry user(temp.userFile());
  const std::string key = "Software\\Classes\\TypeLib\\" + lib.libid;
  EXPECT_EQ(user.getString(key + "\\1.0", ""), "Sample library");
  EXPECT_EQ(user.getString(key + "\\1.0\\0\\linux", ""), "/opt/sample/libsample.so");
  EXPECT_EQ(user.getString(key + "\\1.0\\HELPDIR", ""), "/opt/sample");
  EXPECT_EQ(user.getString("Software\\Classes\\Interface\\" + lib.interfaces[0].iid, ""),
            "_DSample");
  ASSERT_TRUE(unregisterTypeLib(lib));
  EXPECT_FALSE(user.keyExists(key + "\\1.0"));
  EXPECT_TRUE(user.keyExists(key + "\\0.9"));
  ASSERT_TRUE(unregisterTypeLib(older));
  EXPECT_FALSE(user.keyExists(key));
}

TEST(ClassRegistryTest, MachineRegistrationsAreFoundToo) {
  TemporaryRegistry temp;
  Registry machine(temp.machineFile());
  ASSERT_TRUE(machine.setString("Software\\Classes\\M.Thing\\CLSID", "", "{M}"));
  ASSERT_TRUE(machine.setString("Software\\Classes\\CLSID\\{M}\\InprocServer32", "", "/m.so"));
  EXPECT_EQ(clsidFromProgId("M.Thing"), "{M}");
  EXPECT_EQ(inprocServer("{M}"), "/m.so");
}

TEST(CreateObjectTest, SaysWhyNoObjectWasMade) {
  TemporaryRegistry temp;
  ComObject object;
  EXPECT_EQ(createObject("NOT.Registered.1", object), CO_E_CLASSSTRING);
  EXPECT_EQ(createObject("", object), CO_E_CLASSSTRING);
  Registry user(temp.userFile());
  ASSERT_TRUE(user.setString("Software\\Classes\\Half.Thing\\CLSID", "", "{H}"));
  EXPECT_EQ(createObject("Half.Thing", object), REGDB_E_CLASSNOTREG);
  ASSERT_TRUE(registerClass(sampleClass((temp.folder() / "missing.so").string())));
  EXPECT_EQ(createObject("SAMPLE.Thing.1", object), CO_E_DLLNOTFOUND);
  EXPECT_FALSE(object);
}

}  // namespace
}  // namespace platform
