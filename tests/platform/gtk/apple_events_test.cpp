// ctest-labels: periphery
// Open and print document events: posted through the event queue, handed to the installed
// handler with the document's name and folder, and freed whatever happens to them.
#include <gtest/gtest.h>
#include <string.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/core/folders.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"
#include "platform/gtk/apple_events.h"
#include "support/test_home.h"

namespace {

struct Received {
    std::string name;
    SInt16 vRefNum;
    SInt32 parID;
    SInt32 count;
};
std::vector<Received> gOpened, gPrinted;
std::vector<std::string> gErrors;

void Receive(const AppleEvent *event, std::vector<Received> *into) {
    AEDescList list{0, nullptr};
    ASSERT_EQ(AEGetParamDesc(event, FourCC("----"), FourCC("list"), &list), noErr);
    Received r{"", 0, 0, 0};
    AECountItems(&list, &r.count);
    OrvaDocumentSpec spec;
    Size size = 0;
    DescType type = 0;
    if (AEGetNthPtr(&list, 1, FourCC("fss "), nullptr, &type, &spec, sizeof spec, &size) == noErr) {
        r.name = spec.name;
        r.vRefNum = spec.vRefNum;
        r.parID = spec.parID;
        EXPECT_EQ(size, Size(sizeof spec));
        EXPECT_EQ(type, FourCC("fss "));
    }
    AEDisposeDesc(&list);
    EXPECT_EQ(list.dataHandle, nullptr);
    into->push_back(r);
}

OSErr OnOpen(const AppleEvent *event, AppleEvent *, long refCon) {
    EXPECT_EQ(refCon, 0);
    Receive(event, &gOpened);
    return noErr;
}

OSErr OnPrint(const AppleEvent *event, AppleEvent *, long) {
    Receive(event, &gPrinted);
    return noErr;
}

void CaptureError(const char *message) { gErrors.push_back(message); }

// The one high-level event waiting, with the handles it carries.
bool TakeEvent(EventRecord *event, Handle *data, Handle *document) {
    if (!GetNextEvent(highLevelEventMask, event) || event->what != kHighLevelEvent) return false;
    *data = reinterpret_cast<Handle>(event->message);
    *document = reinterpret_cast<OrvaAppleEventData *>(**data)->document;
    return true;
}

bool Freed(Handle data, Handle document) { return !OrvaIsValidHandle(data) && !OrvaIsValidHandle(document); }

// Installs OnOpen and processes every waiting high-level event, each answering noErr.
void OpenAll() {
    AEInstallEventHandler(FourCC("aevt"), kAEOpenDocumentsSlot, OnOpen, 0, kFalse);
    EventRecord event;
    while (GetNextEvent(highLevelEventMask, &event)) EXPECT_EQ(AEProcessAppleEvent(&event), noErr);
}

class AppleEvents : public ::testing::Test {
protected:
    std::string folder;
    void SetUp() override {
        folder = OrvaTestHome();
        OrvaSetMainThread();
        OrvaSetErrorHook(CaptureError);
        gOpened.clear();
        gPrinted.clear();
        gErrors.clear();
        EventRecord e;
        while (GetNextEvent(everyEvent, &e)) {
        }
    }
    void TearDown() override {
        AERemoveEventHandler(FourCC("aevt"), kAEOpenDocumentsSlot);
        AERemoveEventHandler(FourCC("aevt"), kAEPrintDocumentsSlot);
        OrvaSetErrorHook(nullptr);
    }
};

}  // namespace

TEST_F(AppleEvents, PostedDocumentReachesTheOpenHandlerOnceWithItsNameAndFolder) {
    ASSERT_EQ(AEInstallEventHandler(FourCC("aevt"), kAEOpenDocumentsSlot, NewAEEventHandlerProc(OnOpen), 0, kFalse),
              noErr);
    char before[kOrvaPathMax + 1];
    OrvaGetDir(before);
    ASSERT_TRUE(OrvaPostAppleEvent((folder + "/a.oms").c_str(), kOrvaAEOpenDocuments));
    char after[kOrvaPathMax + 1];
    OrvaGetDir(after);
    EXPECT_STREQ(before, after) << "the current folder is left alone";

    EventRecord event;
    Handle data, document;
    ASSERT_TRUE(TakeEvent(&event, &data, &document));
    EXPECT_EQ(AEProcessAppleEvent(&event), noErr);
    ASSERT_EQ(gOpened.size(), 1u);
    EXPECT_EQ(gOpened[0].name, "a.oms");
    EXPECT_EQ(gOpened[0].count, 1);
    SInt32 id = OrvaGetFolderId((folder + "/").c_str());
    EXPECT_EQ(gOpened[0].parID, id);
    EXPECT_EQ(gOpened[0].vRefNum, id);
    EXPECT_TRUE(Freed(data, document));
    EXPECT_FALSE(GetNextEvent(highLevelEventMask, &event)) << "one event per document";
}

TEST_F(AppleEvents, DroppedDocumentsOpenAndPrintGoesToItsOwnSlot) {
    AEInstallEventHandler(FourCC("aevt"), kAEPrintDocumentsSlot, OnPrint, 0, kFalse);
    ASSERT_TRUE(OrvaPostAppleEvent((folder + "/p.oms").c_str(), kOrvaAEPrintDocuments));
    ASSERT_TRUE(OrvaPostAppleEvent((folder + "/d.oms").c_str(), kOrvaAEOpenDroppedDocuments));
    OpenAll();
    ASSERT_EQ(gPrinted.size(), 1u);
    EXPECT_EQ(gPrinted[0].name, "p.oms");
    ASSERT_EQ(gOpened.size(), 1u);
    EXPECT_EQ(gOpened[0].name, "d.oms");
}

TEST_F(AppleEvents, UnhandledAndUnknownEventsAreReportedAndFreed) {
    ASSERT_TRUE(OrvaPostAppleEvent((folder + "/a.oms").c_str(), kOrvaAEOpenDocuments));
    EventRecord event;
    Handle data, document;
    ASSERT_TRUE(TakeEvent(&event, &data, &document));
    EXPECT_EQ(AEProcessAppleEvent(&event), errAEEventNotHandled);
    EXPECT_TRUE(Freed(data, document));

    AEInstallEventHandler(FourCC("aevt"), kAEOpenDocumentsSlot, OnOpen, 0, kFalse);
    ASSERT_TRUE(OrvaPostAppleEvent((folder + "/a.oms").c_str(), 0x15620009));
    ASSERT_TRUE(TakeEvent(&event, &data, &document));
    EXPECT_EQ(AEProcessAppleEvent(&event), errAENotAppleEvent);
    EXPECT_TRUE(gOpened.empty());
    ASSERT_EQ(gErrors.size(), 1u);
    EXPECT_EQ(gErrors[0], "AEProcessEvent: mauvais descripteur");
    EXPECT_TRUE(Freed(data, document));

    EventRecord empty{kHighLevelEvent, 0, 0, {0, 0}, 0};
    EXPECT_EQ(AEProcessAppleEvent(&empty), errAENotAppleEvent);
    EXPECT_EQ(AEProcessAppleEvent(nullptr), errAENotAppleEvent);
    long notAHandle = 0;
    EventRecord foreign{kHighLevelEvent, reinterpret_cast<uintptr_t>(&notAHandle), 0, {0, 0}, 0};
    EXPECT_EQ(AEProcessAppleEvent(&foreign), errAENotAppleEvent);
}

TEST_F(AppleEvents, GetNthPtrCopiesNoMoreThanAsked) {
    ASSERT_TRUE(OrvaPostAppleEvent((folder + "/a.oms").c_str(), kOrvaAEOpenDocuments));
    EventRecord event;
    Handle data, document;
    ASSERT_TRUE(TakeEvent(&event, &data, &document));
    AppleEvent appleEvent{FourCC("list"), data};
    AEDescList list{0, nullptr};
    ASSERT_EQ(AEGetParamDesc(&appleEvent, FourCC("----"), FourCC("list"), &list), noErr);
    UInt8 buffer[64];
    memset(buffer, 0xAB, sizeof buffer);
    Size size = 0;
    EXPECT_EQ(AEGetNthPtr(&list, 1, FourCC("fss "), nullptr, nullptr, buffer, 16, &size), noErr);
    EXPECT_EQ(size, 788);
    EXPECT_EQ(memcmp(buffer, *list.dataHandle, 16), 0);
    for (size_t i = 16; i < sizeof buffer; i++) ASSERT_EQ(buffer[i], 0xAB) << "byte " << i;
    EXPECT_EQ(AEGetNthPtr(&list, 1, FourCC("TEXT"), nullptr, nullptr, buffer, 16, &size), fnfErr);
    AEDesc none{FourCC("list"), nullptr};
    EXPECT_EQ(AEGetNthPtr(&none, 1, FourCC("fss "), nullptr, nullptr, buffer, 16, &size), fnfErr);
    SInt32 count = 5;
    AECountItems(&none, &count);
    EXPECT_EQ(count, 0);
    AEDisposeDesc(&list);
    EXPECT_EQ(AEProcessAppleEvent(&event), errAEEventNotHandled);
}

TEST_F(AppleEvents, RefusedPathsPostNothing) {
    std::string longPath = folder + "/" + std::string(900 - folder.size() - 1, 'n');
    ASSERT_EQ(longPath.size(), 900u);
    EXPECT_FALSE(OrvaPostAppleEvent(longPath.c_str(), kOrvaAEOpenDocuments));
    EXPECT_FALSE(OrvaPostAppleEvent((folder + "/no such folder/a.oms").c_str(), kOrvaAEOpenDocuments));
    EXPECT_FALSE(OrvaPostAppleEvent(nullptr, kOrvaAEOpenDocuments));
    EXPECT_FALSE(OrvaPostAppleEvent((folder + "/").c_str(), kOrvaAEOpenDocuments)) << "a folder is no document";
    // A quote, a blank and bytes that are not UTF-8 are only bytes of a name.
    const char odd[] = "it's a \xFF\xFE.oms";
    ASSERT_TRUE(OrvaPostAppleEvent((folder + "/" + odd).c_str(), kOrvaAEOpenDocuments));
    OpenAll();
    ASSERT_EQ(gOpened.size(), 1u);
    EXPECT_EQ(gOpened[0].name, odd);
}

TEST_F(AppleEvents, EventNumbersAboveFourAreRefused) {
    EXPECT_EQ(AEInstallEventHandler(FourCC("aevt"), 5, OnOpen, 0, kFalse), paramErr);
    EXPECT_EQ(AERemoveEventHandler(FourCC("aevt"), 5), paramErr);
    EXPECT_EQ(AEInstallEventHandler(FourCC("aevt"), 4, OnOpen, 0, kFalse), noErr);
    EXPECT_EQ(AERemoveEventHandler(FourCC("aevt"), 4), noErr);
}

TEST_F(AppleEvents, BareNameIsTakenInTheResourceFolderOnceItIsKnown) {
    SInt16 saved = OrvaPathRessource[2];
    OrvaPathRessource[2] = -1;
    EXPECT_FALSE(OrvaPostAppleEvent("bare.oms", kOrvaAEOpenDocuments));
    SInt32 id = OrvaGetFolderId((folder + "/").c_str());
    OrvaPathRessource[2] = SInt16(id);
    EXPECT_TRUE(OrvaPostAppleEvent("bare.oms", kOrvaAEOpenDocuments));
    OrvaPathRessource[2] = saved;
    OpenAll();
    ASSERT_EQ(gOpened.size(), 1u);
    EXPECT_EQ(gOpened[0].name, "bare.oms");
    EXPECT_EQ(gOpened[0].parID, id);
}
