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
    float rate = (float)atof(text);
    float thousandths = rate * 1000.0f;
    /* Compare before converting: a float beyond 32 bits has no integer. */
    if (!(thousandths >= 10000.0f))
        return 10000;
    if (thousandths > 100000.0f)
        return 100000;
    DWORD value = (DWORD)thousandths;
    return value < 10000 ? 10000 : value;
}
