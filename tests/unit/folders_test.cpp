#include "base/base.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>

/* Refused: the buffer keeps its bytes. */
TEST(Folders, PathsAreJoinedAndCutWholeOrNotAtAll)
{
    /* repeat: base is this many 'a', for a cut the module path of that index; tail NULL: cut the module path at its
     * last backslash; expected "": base + tail, NULL: refused */
    static const struct { size_t repeat; const char *tail, *expected; } cases[] = {
        { 0, NULL, "C:\\Program Files\\Zentu" },
        { 1, NULL, "C:" },
        { 2, NULL, NULL },
        { 250, "\\help", "" },
        { 251, "\\help", NULL }, /* 255 characters, the most a buffer holds */
        { 243, "\\zentu64.dll", "" },
        { 244, "\\zentu64.dll", NULL },
        { 255, "", "" },
        { 256, "", NULL },
    };
    const char *modules[] = { "C:\\Program Files\\Zentu\\zentu64.exe", "C:\\zentu64.exe", "zentu64.exe" };
    for (const auto &c : cases) {
        std::string base = c.tail ? std::string(c.repeat, 'a') : modules[c.repeat];
        char dest[256];
        memset(dest, '#', sizeof dest);
        int result = c.tail ? JoinPath(dest, sizeof dest, base.c_str(), c.tail)
                            : ProgramFolderFromModulePath(dest, sizeof dest, base.c_str());
        SCOPED_TRACE(base.substr(0, 40) + "... + " + (c.tail ? c.tail : "cut"));
        EXPECT_EQ(c.expected ? 0 : 1, result);
        EXPECT_EQ(!c.expected ? std::string(256, '#') : *c.expected ? c.expected : base + c.tail,
                  c.expected ? std::string(dest) : std::string(dest, sizeof dest));
    }
}
