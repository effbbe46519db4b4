// ctest-labels: plugin-shell
// The scriptable object through its own class operations, the browser's language and user
// agent read through the scripting calls, opening an address, and the version text.
#include <string>

#include "platform/core/resource_files.h"
#include "plugin/browser_calls.h"
#include "plugin/instance.h"
#include "plugin/scripting.h"
#include "plugin/shell_standins.h"
#include "plugin/startup.h"
#include "support/plugin_support.h"

namespace {

::testing::Environment *const gPlugIn = ::testing::AddGlobalTestEnvironment(new plugintest::PlugInEnvironment(NpHostOptions()));

struct Property {
    bool has;
    bool got;
    std::string text;
};

Property Read(NPObject *object, const char *name) {
    NPIdentifier id = browser->getstringidentifier(name);
    Property p{object->_class->hasProperty(object, id), false, ""};
    NPVariant value;
    value.type = NPVariantType_Void;
    p.got = object->_class->getProperty(object, id, &value);
    if (p.got && value.type == NPVariantType_String) {
        p.text.assign(value.value.stringValue.UTF8Characters, value.value.stringValue.UTF8Length);
        browser->releasevariantvalue(&value);
    }
    return p;
}

class Scripting : public ::testing::Test {
protected:
    void SetUp() override {
        index = plugintest::NewInstance({});
        object = NpHostPluginObject(index);
        ASSERT_NE(object, nullptr);
    }
    void TearDown() override {
        NpHostDestroy(index);
        NpHostSetNavigator("en-US", "nphost");
    }
    PlugInInstance *Instance() { return PlugInFromNPP(NpHostInstance(index)); }
    int index = 0;
    NPObject *object = nullptr;
};

TEST_F(Scripting, TheObjectHasItsFourPropertiesOnly) {
    long blocks = NpHostBlocksAlive();
    struct Case {
        const char *name;
        bool has;
        const char *text;
    } cases[] = {{"loaded", true, "yes"},         {"LOADED", true, "yes"},       {"totalduration", true, "0"},
                 {"PlayedPosition", true, "-1"}, {"id", false, nullptr},        {"style", false, nullptr},
                 {"version2", false, nullptr}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Property p = Read(object, c.name);
        EXPECT_EQ(p.has, c.has);
        EXPECT_EQ(p.got, c.text != nullptr);
        if (c.text) {
            EXPECT_EQ(p.text, c.text);
        }
    }
    // The names the browser lends are given back, and so is every text handed over.
    EXPECT_EQ(NpHostBlocksAlive(), blocks);
    NPVariant none;
    none.type = NPVariantType_Int32;
    none.value.intValue = 7;
    NPIdentifier loaded = browser->getstringidentifier("loaded");
    EXPECT_TRUE(object->_class->setProperty(object, loaded, &none));
    EXPECT_EQ(Read(object, "loaded").text, "yes");
    EXPECT_FALSE(object->_class->hasMethod(object, loaded));
    EXPECT_FALSE(object->_class->invoke(object, loaded, nullptr, 0, &none));
    EXPECT_EQ(NpHostBlocksAlive(), blocks);
}

TEST_F(Scripting, VersionIsTheShortStringOfVers1) {
    SInt16 saved = resFilePlugIn;
    resFilePlugIn = -1;
    EXPECT_EQ(Read(object, "version").text, "");  // no resource file: no version
    // 'vers': version 5.6, stage, build, region, then the short and the long version strings.
    restest::Bytes vers = {0x05, 0x62, 0x60, 0x00, 0x00, 0x00};
    for (const std::string &text : {std::string("5.6.2n"), std::string("5.6.2n, Ondrak")}) {
        vers.push_back(UInt8(text.size()));
        vers.insert(vers.end(), text.begin(), text.end());
    }
    restest::WriteAll("version.rsr", restest::BuildFile({{"vers", 1, false, "", vers}}));
    resFilePlugIn = OpenResFile("version.rsr");
    ASSERT_GE(resFilePlugIn, 0);
    EXPECT_EQ(Read(object, "version").text, "5.6.2n");
    char text[kVersionTextSize];
    GetVersionPlugIn(text);
    EXPECT_STREQ(text, "5.6.2n");
    CloseResFile(resFilePlugIn);
    resFilePlugIn = saved;
}

TEST_F(Scripting, BrowserLanguageFromTheFirstTwoLetters) {
    struct Case {
        const char *language;
        SInt16 expected;
    } cases[] = {{"en-US", 1}, {"de-CH", 3}, {"zh", 1}, {"fr-FR", 0}, {"it", 2}, {"es-ES", 4},
                 {"ja", 5},    {"pt-BR", 6}, {"nl", 7}, {"", 1},      {"d", 1}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.language);
        NpHostSetNavigator(c.language, "agent");
        EXPECT_EQ(GetBrowserLanguage(Instance()), c.expected);
    }
    EXPECT_EQ(NpHostObjectsAlive(), 1);  // every window and navigator object was released
}

// The browser's texts are not terminated: exactly their length is taken.
TEST_F(Scripting, UserAgentIsCopiedToItsLength) {
    NpHostSetNavigator("en", "Browser/5.0 (test)");
    char agent[256];
    ASSERT_TRUE(GetNavigatorNameByJS(Instance(), agent, sizeof agent));
    EXPECT_STREQ(agent, "Browser/5.0 (test)");
    char small[8];
    ASSERT_TRUE(GetNavigatorNameByJS(Instance(), small, sizeof small));
    EXPECT_STREQ(small, "Browser");
}

TEST_F(Scripting, OpeningAnAddressCallsWindowOpen) {
    size_t from = NpHostLog().size();
    EXPECT_TRUE(OpenURLByJS(Instance(), "http://example.org/a b"));
    EXPECT_EQ(plugintest::LogLinesWith(from, {"\"method\":\"open\"", "[\"http://example.org/a b\",\"_blank\",\"\"]"}).size(),
              1u);
    EXPECT_EQ(NpHostObjectsAlive(), 1);
}

TEST_F(Scripting, GetValueWouldHandOverARetainedObject) {
    NPObject *given = nullptr;
    uint32_t before = object->referenceCount;
    EXPECT_EQ(NPP_GetValue(NpHostInstance(index), NPPVpluginScriptableNPObject, &given), NPERR_NO_ERROR);
    EXPECT_EQ(given, object);
    EXPECT_EQ(object->referenceCount, before + 1);
    browser->releaseobject(given);
    EXPECT_EQ(NPP_GetValue(NpHostInstance(index), NPPVpluginNameString, &given), NPERR_GENERIC_ERROR);
}

}  // namespace
