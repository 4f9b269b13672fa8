/*
 * The display-driver check: which maker's driver the Direct3D 9 probe saw,
 * stored for the hook library, and one warning when that driver is too old
 * for smooth capture.
 */
#include "probe/probe.h"

#include <stdio.h>
#include <string.h>

const char NvidiaWebAddress[] = "https://www.nvidia.com/";
/* ATI's home page lives on at its new owner's. */
const char AtiWebAddress[] = "https://www.amd.com/";

static const char DisplayDriverWarningCaption[] = "ZENTU warning";

/* One row per driver the hook library treats specially. The thresholds are
 * signed 64-bit values of product.version.subversion.build, high to low. */
struct DisplayDriverRule {
    const char *fileName;
    UINT32 kind;
    INT64 oldestCurrentVersion;
    const char *warningText;
    const char *webAddress;
};

static const DisplayDriverRule DisplayDriverRules[] = {
    { "nv4_disp.dll", DISPLAY_DRIVER_NVIDIA, 0x0006000E000110FFLL, /* 6.14.1.4351 */
      "Your NVIDIA Detonator drivers are out of date!\r\n\r\n"
      "There may be performance problems capturing video from your games.\r\n\r\n"
      "You can download the latest Forceware drivers for free from:\r\n\r\n",
      NvidiaWebAddress },
    { "ati2dvag.dll", DISPLAY_DRIVER_ATI, 0x0006000E000A18C7LL, /* 6.14.10.6343 */
      "Your ATI Catalyst drivers are out of date!\r\n\r\n"
      "There may be performance problems capturing video from your games.\r\n\r\n"
      "You can download the latest Catalyst drivers for free from:\r\n\r\n",
      AtiWebAddress },
};

/* Only the ASCII letters fold: the runtime's text is not in any code page
 * we could know, and a locale must not make two names equal. */
static char FoldAsciiCase(char c)
{
    return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
}

static BOOL EqualIgnoringAsciiCase(const char *a, const char *b)
{
    for (; *a && *b; a++, b++)
        if (FoldAsciiCase(*a) != FoldAsciiCase(*b))
            return FALSE;
    return *a == *b;
}

static const DisplayDriverRule *RuleOfKind(UINT32 kind)
{
    for (const DisplayDriverRule &rule : DisplayDriverRules)
        if (rule.kind == kind)
            return &rule;
    return NULL;
}

UINT32 DisplayDriverKindOf(const char *driverName)
{
    for (const DisplayDriverRule &rule : DisplayDriverRules)
        if (EqualIgnoringAsciiCase(driverName, rule.fileName))
            return rule.kind;
    return DISPLAY_DRIVER_OTHER;
}

BOOL DisplayDriverIsOutdated(UINT32 kind, INT64 driverVersion)
{
    const DisplayDriverRule *rule = RuleOfKind(kind);
    return rule && driverVersion < rule->oldestCurrentVersion;
}

int FormatDisplayDriverWarning(char *dest, size_t size, UINT32 kind)
{
    const DisplayDriverRule *rule = RuleOfKind(kind);
    if (!rule)
        return 1;
    char text[512];
    int length = snprintf(text, sizeof text, "%s%s", rule->warningText, rule->webAddress);
    if (length < 0 || (size_t)length >= sizeof text || (size_t)length >= size)
        return 1;
    memcpy(dest, text, (size_t)length + 1);
    return 0;
}

int FormatDriverVersion(char *dest, size_t size, INT64 driverVersion)
{
    UINT64 bits = (UINT64)driverVersion;
    char text[32];
    int length = snprintf(text, sizeof text, "%u.%u.%u.%u", (unsigned)(bits >> 48 & 0xFFFF),
                          (unsigned)(bits >> 32 & 0xFFFF), (unsigned)(bits >> 16 & 0xFFFF), (unsigned)(bits & 0xFFFF));
    if (length < 0 || (size_t)length >= sizeof text || (size_t)length >= size)
        return 1;
    memcpy(dest, text, (size_t)length + 1);
    return 0;
}

BOOL ClassifyDisplayDriver(void)
{
    /* An empty name, left by a probe that could not ask the adapter, is
     * simply another driver. */
    ApiOffsets.DisplayDriverKind = DisplayDriverKindOf(AdapterDriverName);
    return DisplayDriverIsOutdated(ApiOffsets.DisplayDriverKind, AdapterDriverVersion);
}

void CheckDisplayDriver(void)
{
    if (!ClassifyDisplayDriver())
        return;
    char text[512];
    if (FormatDisplayDriverWarning(text, sizeof text, ApiOffsets.DisplayDriverKind) != 0)
        return;
    MessageBoxA(NULL, text, DisplayDriverWarningCaption, MB_TOPMOST | MB_ICONERROR);
}
