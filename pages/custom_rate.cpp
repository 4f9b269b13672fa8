/* The movies page's custom frame rate: its text and its stored value. */
#include "pages/pages.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int FormatCustomRate(DWORD rate, char *text, size_t size)
{
    char formatted[32];
    DWORD whole = rate / 1000, fraction = rate % 1000;
    if (fraction == 0)
        snprintf(formatted, sizeof formatted, "%lu", (unsigned long)whole);
    else if (rate % 100 == 0)
        snprintf(formatted, sizeof formatted, "%lu.%lu", (unsigned long)whole, (unsigned long)(fraction / 100));
    else if (rate % 10 == 0)
        snprintf(formatted, sizeof formatted, "%lu.%02lu", (unsigned long)whole, (unsigned long)(fraction / 10));
    else
        snprintf(formatted, sizeof formatted, "%lu.%03lu", (unsigned long)whole, (unsigned long)fraction);
    size_t length = strlen(formatted);
    if (length >= size)
        return 1;
    memcpy(text, formatted, length + 1);
    return 0;
}

BOOL CleanCustomRateText(char *text, int *caret)
{
    BOOL dropped = FALSE;
    int kept = 0;
    for (const char *read = text; *read; read++) {
        unsigned char c = (unsigned char)*read;
        if ((c >= '0' && c <= '9') || c == '.') {
            text[kept++] = (char)c;
        } else {
            dropped = TRUE;
            *caret = kept;
        }
    }
    text[kept] = '\0';
    return dropped;
}

DWORD ConvertCustomRate(const char *text)
{
    /* The box holds up to 254 digits; such a number fits a double but not a
     * float, and narrowing it would be undefined. Clamp while still in double
     * precision (a NaN fails the first test too); only a rate within 10..100
     * goes on to the single-precision product the hook library's values were
     * always made with. */
    double rate = atof(text);
    if (!(rate >= 10.0))
        return 10000;
    if (rate > 100.0)
        return 100000;
    float thousandths = (float)rate * 1000.0f;
    DWORD value = (DWORD)thousandths;
    if (value < 10000)
        return 10000;
    return value > 100000 ? 100000 : value;
}
