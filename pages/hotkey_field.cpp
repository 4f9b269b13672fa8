/*
 * The pages' hotkey fields. The platform's hotkey control paints its own key
 * value whatever its window text says, ignores EM_SETSEL and tells its parent
 * nothing about focus. The pages need all three: the field shows the text the
 * companion writes into it ("F9", "Alt - F9", "None"), shows the select-all
 * that marks an assignment in progress, and reports gaining and losing the
 * focus with the edit notifications EN_SETFOCUS and EN_KILLFOCUS.
 */
#include "pages/page_frame.h"

#include <commctrl.h>

static const char SelectAllProperty[] = "ZentuSelectAll";
static const UINT_PTR SubclassId = 1;

static void NotifyParent(HWND field, WORD code)
{
    SendMessageA(GetParent(field), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(field), code), (LPARAM)field);
}

static void PaintField(HWND field)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(field, &paint);
    RECT client;
    GetClientRect(field, &client);
    FillRect(dc, &client, GetSysColorBrush(IsWindowEnabled(field) ? COLOR_WINDOW : COLOR_BTNFACE));

    char text[64];
    int length = GetWindowTextA(field, text, sizeof text);
    HFONT font = (HFONT)SendMessageA(field, WM_GETFONT, 0, 0);
    HGDIOBJ previousFont = font ? SelectObject(dc, font) : NULL;
    RECT textRect = client;
    textRect.left += 2;

    BOOL selected = GetPropA(field, SelectAllProperty) != NULL && GetFocus() == field && length > 0;
    if (selected) {
        SIZE extent;
        GetTextExtentPoint32A(dc, text, length, &extent);
        RECT highlight = textRect;
        highlight.right = textRect.left + extent.cx;
        FillRect(dc, &highlight, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    } else {
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    }
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, text, length, &textRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);

    if (previousFont)
        SelectObject(dc, previousFont);
    EndPaint(field, &paint);
}

static void SetSelectAll(HWND field, BOOL selectAll)
{
    if (selectAll)
        SetPropA(field, SelectAllProperty, (HANDLE)1);
    else
        RemovePropA(field, SelectAllProperty);
    InvalidateRect(field, NULL, TRUE);
}

static LRESULT CALLBACK HotkeyFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR data)
{
    (void)id;
    (void)data;
    switch (message) {
    case WM_PAINT:
        PaintField(field);
        return 0;
    case WM_SETTEXT: {
        /* The control keeps the text like any window and never shows it; the
         * text is what this field paints. (The subclass sees the messages in
         * the control's own character set, so they pass on untouched.) */
        LRESULT result = DefSubclassProc(field, message, wParam, lParam);
        InvalidateRect(field, NULL, TRUE);
        return result;
    }
    case EM_SETSEL:
        SetSelectAll(field, wParam == 0 && (INT_PTR)lParam == -1);
        return 0;
    case WM_SETFOCUS: {
        LRESULT result = DefSubclassProc(field, message, wParam, lParam);
        NotifyParent(field, EN_SETFOCUS);
        return result;
    }
    case WM_KILLFOCUS: {
        SetSelectAll(field, FALSE);
        LRESULT result = DefSubclassProc(field, message, wParam, lParam);
        NotifyParent(field, EN_KILLFOCUS);
        return result;
    }
    case WM_NCDESTROY:
        RemovePropA(field, SelectAllProperty);
        RemoveWindowSubclass(field, HotkeyFieldProc, SubclassId);
        break;
    }
    return DefSubclassProc(field, message, wParam, lParam);
}

void SubclassHotkeyField(HWND field)
{
    if (field)
        SetWindowSubclass(field, HotkeyFieldProc, SubclassId, 0);
}
