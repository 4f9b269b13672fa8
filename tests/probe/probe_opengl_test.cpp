/* ProbeOpenGL in-process against the fake OPENGL32.DLL. */
#include "probe_support.h"

#include <gtest/gtest.h>

struct OpenGlCase {
    const char *name;
    const char *variant;
    int result;
    bool swapBuffers;      /* WglSwapBuffersOffset measured */
    bool swapLayerBuffers; /* WglSwapLayerBuffersOffset measured */
};

TEST(OpenGlProbe, MeasuresBothSwapEntryPointsAndFreesTheLibrary)
{
    static const OpenGlCase cases[] = {
        { "both exports", "opengl32", 0, true, true },
        { "no wglSwapLayerBuffers: wglSwapBuffers still measured", "opengl32_no_swap_layer_buffers", 2, true, false },
        { "no wglSwapBuffers: nothing measured", "opengl32_no_swap_buffers", 2, false, false },
        { "no OPENGL32.DLL", "", 1, false, false },
    };
    for (const OpenGlCase &c : cases) {
        SCOPED_TRACE(c.name);
        ApiOffsets = SentinelApiOffsets();
        FakeSystemFolder system("d3d9", c.variant);

        EXPECT_EQ(c.result, ProbeOpenGL());
        EXPECT_EQ(NULL, system.Loaded("OPENGL32.DLL")) << "OPENGL32.DLL was kept";
        EXPECT_EQ(NULL, system.Loaded("D3D9.DLL")) << "the OpenGL probe touched Direct3D";

        ApiOffsetsFields expected = SentinelApiOffsets();
        if (c.swapBuffers || c.swapLayerBuffers) {
            HMODULE opengl32 = LoadLibraryA(system.FilePath("OPENGL32.DLL").c_str());
            ASSERT_TRUE(opengl32 != NULL);
            if (c.swapBuffers)
                expected.WglSwapBuffersOffset = ExportOffset(opengl32, "wglSwapBuffers");
            if (c.swapLayerBuffers)
                expected.WglSwapLayerBuffersOffset = ExportOffset(opengl32, "wglSwapLayerBuffers");
            FreeLibrary(opengl32);
        }
        ExpectApiOffsets(expected, ApiOffsets);
        /* Located, never called. */
        EXPECT_TRUE(system.Record().empty());
    }
}
