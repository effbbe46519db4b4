// ctest-labels: layout
// What a page shows beside its staves: free texts, images (a BMP, and data that does not decode,
// which shows an empty frame), frames and lines at their place on their page, staff graphics at
// their time; and the records' data released with their score and staff.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engraving/engraver.h"
#include "layout/free_objects.h"
#include "layout/layout_start.h"
#include "layout/page_drawing.h"
#include "layout/pagination.h"
#include "layout/staff_heights.h"
#include "layout/units.h"
#include "graphics/cairo/port_surfaces.h"
#include "platform/core/memory.h"
#include "support/graphics/quickdraw_support.h"
#include "support/score_support.h"
#include "tools/demo_scores/demo_scores.h"

namespace {

// 10 pixels a millimetre: tenths of a millimetre are pixels.
const SInt16 kDpi = 254;

Handle Octets(const void *bytes, size_t size) {
    Handle h = NewHandle(UInt32(size));
    if (h && size) std::memcpy(*h, bytes, size);
    return h;
}

// A 2 x 2 red BMP, bottom-up rows of 24-bit pixels padded to 8 bytes.
std::vector<UInt8> BmpRouge() {
    std::vector<UInt8> file = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0,
                               24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int row = 0; row < 2; row++) file.insert(file.end(), {0, 0, 255, 0, 0, 255, 0, 0});
    return file;
}

class FreeObjects : public ::testing::Test {
protected:
    DocumentRecord *document = nullptr;
    GrafPort port;
    void SetUp() override {
        StartQuickDrawForTests();
        InitGravure();
        InitMiseEnPage();
        SetDpiDest(kDpi);
        document = CreeDemoScore("scale");
        ASSERT_NE(document, nullptr);
        OpenTestPort(&port, 600, 600);
    }
    void TearDown() override {
        ClosePort(&port);
        LibereDemoScore(&document);  // the objects' data goes with the score: LeakSanitizer watches
        FinMiseEnPage();
        FinGravure();
        SetDpiDest(kDpiEcran);
    }
    FreeObjectRecord *Objet(UInt8 kind, SInt32 top, SInt32 left, SInt32 bottom, SInt32 right, UInt16 page = 0) {
        SInt32 index = NewObjetLibre(document, kind);
        EXPECT_GE(index, 0);
        FreeObjectRecord *o = GetObjetLibrePtr(document->score, index);
        o->page = page;
        o->rect[0] = top, o->rect[1] = left, o->rect[2] = bottom, o->rect[3] = right;
        return o;
    }
    void Trace() {
        OrvaFillSurfaceRect(&port, 0, 0, 599, 599, 0x808080);
        ASSERT_EQ(TracePageDocument(document, 1, 1, 1, 1), noErr);
    }
    SInt32 Encre(SInt32 left, SInt32 top, SInt32 right, SInt32 bottom) {
        SInt32 ink = 0;
        for (SInt32 y = top; y < bottom; y++)
            for (SInt32 x = left; x < right; x++) ink += (PortPixel(&port, x, y) & 0xFF) < 128;
        return ink;
    }
};

TEST_F(FreeObjects, ObjectsOfThePageAreDrawnAtTheirPlace) {
    const char text[] = "Free text";
    FreeObjectRecord *label = Objet(kObjetTexte, 20, 20, 80, 300);
    label->data = Octets(text, sizeof text - 1);
    label->style.size = 14;
    std::vector<UInt8> bmp = BmpRouge();
    FreeObjectRecord *image = Objet(kObjetImage, 100, 400, 140, 440);
    image->format = kFormatImageBMP;
    image->data = Octets(bmp.data(), bmp.size());
    const UInt8 garbage[] = {1, 2, 3, 4, 5};
    FreeObjectRecord *broken = Objet(kObjetImage, 200, 400, 240, 440);
    broken->format = kFormatImagePNG;
    broken->data = Octets(garbage, sizeof garbage);
    Objet(kObjetLigneHorizontale, 300, 100, 320, 300);
    FreeObjectRecord *frame = Objet(kObjetCadre, 400, 100, 450, 200, 3);  // on page 4: not drawn on page 1
    (void)frame;
    Objet(kObjetTexte, -90000, -90000, -80000, -80000);  // off the page, without text
    Trace();
    EXPECT_GT(Encre(20, 20, 300, 80), 20);  // the text
    EXPECT_EQ(PortPixel(&port, 420, 120), 0xFF0000u);  // the BMP, scaled to its rectangle
    EXPECT_EQ(PortPixel(&port, 400, 220), 0u);  // the empty frame of what does not decode
    EXPECT_EQ(PortPixel(&port, 420, 220), 0xFFFFFFu);
    EXPECT_EQ(Encre(100, 305, 300, 315), 200);  // the line through the middle, one pixel high
    SInt32 withoutFrame = Encre(100, 400, 200, 450);
    GetObjetLibrePtr(document->score, 4)->page = 0;
    Trace();
    // Its four sides, one pixel wide (a staff line may cross them).
    EXPECT_NEAR(Encre(100, 400, 200, 450), withoutFrame + 2 * 100 + 2 * 48, 4);
    EXPECT_EQ(NbObjetsLibres(document->score), 6);
    LibereObjetLibre(document->score, 0);
    EXPECT_EQ(NbObjetsLibres(document->score), 5);
    EXPECT_EQ(GetObjetLibrePtr(document->score, 0)->format, UInt32(kFormatImageBMP));
    EXPECT_EQ(NewObjetLibre(document, 2), -1);  // not a kind of free object
    EXPECT_EQ(NewObjetLibre(nullptr, kObjetTexte), -1);
}

TEST_F(FreeObjects, StaffGraphicsStandAtTheirTime) {
    StaffHandle staff = GetPortee(document->score, 0);
    std::vector<UInt8> bmp = BmpRouge();
    SInt32 index = NewGraphique(staff);
    ASSERT_EQ(index, 0);
    GraphicRecord *g = GetGraphiquePtr(staff, index);
    g->format = kFormatImageBMP;
    g->data = Octets(bmp.data(), bmp.size());
    g->anchor[0] = -30;                 // points above the top line
    g->anchor[1] = 2 * kTempsNoire;     // the third quarter
    g->anchor[2] = -10;
    g->anchor[3] = 2 * kTempsNoire + 20160;
    ASSERT_EQ(NewGraphique(staff), 1);
    DeleteGraphique(staff, 1);
    EXPECT_EQ(NbGraphiques(staff), 1);
    Trace();
    float x = CvtTempsEnXLigne(document, 1, 0, 2 * kTempsNoire);
    float y = GetYPorteeLigne(document, 1, 0, 0);
    EXPECT_EQ(PortPixel(&port, SInt32(x) + 3, SInt32(y - 20 * kDpi / 72.0f)), 0xFF0000u);
}

}  // namespace
