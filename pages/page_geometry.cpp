/* Arithmetic of the pages: outline, design space, tab row, placement. */
#include "pages/pages.h"



void RegionCornerEllipse(INT32 width, INT32 height, INT32 *ellipseWidth, INT32 *ellipseHeight)
{
    *ellipseWidth = (width + 4) * 50 / 400;
    *ellipseHeight = (height + 3) * 50 / 300;
}

void ToDesignSpace(INT32 x, INT32 y, INT32 pageWidth, INT32 pageHeight, INT32 *designX, INT32 *designY)
{
    /* A page that has not been measured yet maps nothing. */
    *designX = pageWidth > 0 ? x * 400 / pageWidth : -1;
    *designY = pageHeight > 0 ? y * 300 / pageHeight : -1;
}

struct TabRange {
    INT32 left, right;   /* inclusive, design space */
};

/* The tab row as the art draws it: general, frame rate, movies, screenshots. */
static const TabRange Tabs[] = {
    { 10, 74 },
    { 75, 120 },
    { 121, 180 },
    { 181, 266 },
};

PageClickKind ClassifyPageClick(INT32 designX, INT32 designY, int *tab)
{
    *tab = -1;
    if (designY <= 28)
        return CLICK_DRAG;
    if (designY < 39 || designY > 59)
        return CLICK_NOTHING;
    for (int i = 0; i < (int)(sizeof Tabs / sizeof Tabs[0]); i++)
        if (designX >= Tabs[i].left && designX <= Tabs[i].right)
            *tab = i;
    return CLICK_TAB;
}

INT32 TitleBandHeight(INT32 pageHeight)
{
    /* The rows whose design Y is 28 or less. */
    return (29 * pageHeight + 299) / 300;
}

BOOL PlacementFits(const RECT *stored, INT32 pageWidth, INT32 pageHeight, const RECT *workArea)
{
    /* In 64 bits: a stored record is anyone's 44 bytes, and its sums must
     * not wrap into something that fits. */
    const LONGLONG left = stored->left, top = stored->top;
    if (stored->right - left != pageWidth || stored->bottom - top != pageHeight)
        return FALSE;
    return left >= workArea->left && stored->right <= workArea->right && top >= workArea->top &&
           top + TitleBandHeight(pageHeight) <= workArea->bottom;
}
