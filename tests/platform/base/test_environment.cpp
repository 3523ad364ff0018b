/* Environment look-up and creation of objects by class name through the
 * registry of factories. */
#include "platform/base/VyrEnvironment.h"

#include "support/VyrRecordingGenerator.h"
#include "platform/base/VyrUnicodeString.h"
#include "platform/font/VyrFont.h"
#include "platform/print/VyrPrintParameters.h"
#include "platform/print/VyrPrintStream.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(VyrEnvironment, GetEnvTellsUnsetFromEmpty)
{
    unsetenv("VYR_TEST_UNSET");
    EXPECT_EQ(VyrGetEnv("VYR_TEST_UNSET"), nullptr);
    setenv("VYR_TEST_EMPTY", "", 1);
    ASSERT_NE(VyrGetEnv("VYR_TEST_EMPTY"), nullptr);
    EXPECT_STREQ(VyrGetEnv("VYR_TEST_EMPTY"), "");
    EXPECT_EQ(VyrGetEnv(nullptr), nullptr);
}

namespace {
int gMade = 0;
void *MakeInt(const char *, void *arg, void *)
{
    ++gMade;
    return arg;
}
void *MakeNothing(const char *, void *, void *) { return nullptr; }
} // namespace

TEST(VyrEnvironment, FactoriesByClassName)
{
    /* built in: the CGM generator */
    void *g = VyrCreateExternalObject("VyrPrintCGMGenerator", nullptr, "VyrPrtDriverCGM", nullptr);
    ASSERT_NE(g, nullptr);
    static_cast<VyrPrintGenerator *>(g)->Release();
    EXPECT_EQ(VyrCreateExternalObject("NoSuchClass", nullptr, "lib", nullptr), nullptr);
    EXPECT_EQ(VyrCreateExternalObject(nullptr, nullptr, nullptr, nullptr), nullptr);

    int token = 0;
    EXPECT_EQ(VyrRegisterObjectFactory("Custom", MakeInt), nullptr);
    EXPECT_EQ(VyrCreateExternalObject("Custom", &token, nullptr, nullptr), &token);
    EXPECT_EQ(VyrRegisterObjectFactory("Custom", nullptr), MakeInt);
    EXPECT_EQ(VyrCreateExternalObject("Custom", &token, nullptr, nullptr), nullptr);
    EXPECT_EQ(gMade, 1);
}

/* A default serves until a factory is registered and again when that one
 * is removed; the print library's generator is such a default. */
TEST(VyrEnvironment, DefaultsAndTheFactoriesThatOverrideThem)
{
    int token = 0;
    EXPECT_EQ(VyrRegisterDefaultFactory("Layered", MakeInt), nullptr);
    EXPECT_EQ(VyrCreateExternalObject("Layered", &token, nullptr, nullptr), &token);
    EXPECT_EQ(VyrRegisterObjectFactory("Layered", MakeNothing), nullptr);
    EXPECT_EQ(VyrCreateExternalObject("Layered", &token, nullptr, nullptr), nullptr);
    EXPECT_EQ(VyrRegisterObjectFactory("Layered", nullptr), MakeNothing);
    EXPECT_EQ(VyrCreateExternalObject("Layered", &token, nullptr, nullptr), &token);
    EXPECT_EQ(VyrRegisterDefaultFactory("Layered", nullptr), MakeInt);
    EXPECT_EQ(VyrCreateExternalObject("Layered", &token, nullptr, nullptr), nullptr);
    EXPECT_EQ(VyrRegisterDefaultFactory(nullptr, MakeInt), nullptr);
}

TEST(VyrEnvironment, RecordingGeneratorTakesTheGeneratorsPlace)
{
    {
        VyrRecordingScope scope;
        void *g = VyrCreateExternalObject("VyrPrintCGMGenerator", nullptr, "VyrPrtDriverCGM", nullptr);
        ASSERT_NE(g, nullptr);
        VyrPrintGenerator *gen = static_cast<VyrPrintGenerator *>(g);
        VyrPrintStream stream(VyrUnicodeString("out.cgm"), "CGM", "V3");
        gen->SetStream(&stream);
        gen->SetExtent(32400, 32400);
        VyrPrintParameters p;
        p.SetScale(1);
        p.GetCurrentForm()->SetSize(32400, 32400, VyrPrintUnitMillimetre);
        gen->SetParameters(p);
        gen->DefineColor(7, 0, 0, 0);
        gen->SetLineWidth(0.13f);
        gen->SetLineType(0, 0, 0);
        gen->SetColor(256);
        gen->SetTextFont(0, VyrFont::sGetFont("Coure.pfb", 0));
        gen->SetTextParameter(2, 2.5f);
        gen->DrawArc(1.5f, -2, 3, 0, 1.5707964f, 0);
        const float xy[] = {0, 0, 1, 1};
        gen->DrawPolyline(2, xy);
        const float knots[] = {0, 0, 1, 1};
        const float w[] = {1, 1};
        gen->DrawNurbs(2, xy, 2, knots, 4, 0, 1000, w);
        gen->DrawText(1, 2, VyrUnicodeString::FromUtf8("\xC3\xA9"));
        gen->DrawMarker(1, 2, 8, 0);
        gen->EndPicture();
        gen->Release();
        EXPECT_EQ(VyrRecordingGenerator::CreatedCount(), 1);
        EXPECT_EQ(VyrRecordingGenerator::ReleasedCount(), 1);
        EXPECT_EQ(VyrRecordingGenerator::Text(),
                  "SetStream out.cgm CGM V3\n"
                  "SetExtent 32400 32400\n"
                  "SetParameters scale=1 margins=0,0,0,0 position=0,0 form=32400,32400,0\n"
                  "DefineColor 7 0 0 0\n"
                  "SetLineWidth 0.13\n"
                  "SetLineType 0 0 0\n"
                  "SetColor 256\n"
                  "SetTextFont 0 Coure.pfb\n"
                  "SetTextParameter 2 2.5\n"
                  "DrawArc 1.5 -2 3 0 1.5707964 0\n"
                  "DrawPolyline 2 0 0 1 1\n"
                  "DrawNurbs 2 2 0 0 1 1 knots 4 0 0 1 1 0 1000 weights 1 1\n"
                  "DrawText 1 2 \"\xC3\xA9\"\n"
                  "DrawMarker 1 2 8 0\n"
                  "EndPicture\n"
                  "Release\n");
        EXPECT_EQ(VyrRecordingGenerator::Lines("Draw").size(), 5u);
    }
    /* the scope ends: the real generator is back */
    void *g = VyrCreateExternalObject("VyrPrintCGMGenerator", nullptr, "VyrPrtDriverCGM", nullptr);
    ASSERT_NE(g, nullptr);
    VyrPrintGenerator *gen = static_cast<VyrPrintGenerator *>(g);
    VyrRecordingGenerator::Reset();
    gen->Release();
    EXPECT_EQ(VyrRecordingGenerator::ReleasedCount(), 0);
}
