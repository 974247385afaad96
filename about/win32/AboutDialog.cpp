// The About box's dialog. The resource (automation/win32/CorvaneMP3.rc)
// holds its controls; this file gives them their fonts and colours, runs
// the portable rules at load, paints the band and rule behind the controls,
// switches the link's look as the pointer moves, and answers the buttons.
#include "about/win32/AboutDialog.h"

#include <exception>

#include "about/AboutBox.h"
#include "about/win32/SystemAboutPlatform.h"
#include "runtime/AutomationError.h"

namespace corvane::about {

namespace {

constexpr COLORREF kDarkBlue = RGB(0, 0, 128), kLightBlue = RGB(0, 0, 255), kRed = RGB(255, 0, 0);
constexpr int32_t kCannotLoad = 5;

struct DialogState {
    SystemAboutPlatform platform;
    HFONT title = nullptr, activeX = nullptr, beta = nullptr, link = nullptr, linkHover = nullptr;
    bool underlined = false;
    std::exception_ptr failure;
    ~DialogState() {
        for (HFONT font : {title, activeX, beta, link, linkHover})
            if (font) DeleteObject(font);
    }
};

HMODULE OwnModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&OwnModule), &module);
    return module;
}

HFONT MakeFont(HWND dialog, double points, bool bold, bool underline, const wchar_t *face) {
    HDC dc = GetDC(dialog);
    const int height = -static_cast<int>(points * GetDeviceCaps(dc, LOGPIXELSY) / 72.0 + 0.5);
    ReleaseDC(dialog, dc);
    return CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
}

// A control's place in the dialog's client area, in pixels.
Rect PlaceOf(HWND dialog, int control) {
    RECT area{};
    HWND window = GetDlgItem(dialog, control);
    GetWindowRect(window, &area);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&area), 2);
    return {static_cast<double>(area.left), static_cast<double>(area.top),
            static_cast<double>(area.right - area.left), static_cast<double>(area.bottom - area.top)};
}

const wchar_t *Wide(const Text &text) { return reinterpret_cast<const wchar_t *>(text.c_str()); }

void Load(HWND dialog, DialogState &state) {
    state.title = MakeFont(dialog, 18, true, false, L"Arial");
    state.activeX = MakeFont(dialog, 14.25, false, false, L"Times New Roman");
    state.beta = MakeFont(dialog, 12, true, false, L"Arial");
    state.link = MakeFont(dialog, 8.25, false, false, L"MS Sans Serif");
    state.linkHover = MakeFont(dialog, 8.25, false, true, L"MS Sans Serif");
    SendDlgItemMessageW(dialog, kTitleLabel, WM_SETFONT, reinterpret_cast<WPARAM>(state.title), FALSE);
    SendDlgItemMessageW(dialog, kActiveXLabel, WM_SETFONT, reinterpret_cast<WPARAM>(state.activeX), FALSE);
    SendDlgItemMessageW(dialog, kBetaLabel, WM_SETFONT, reinterpret_cast<WPARAM>(state.beta), FALSE);
    SendDlgItemMessageW(dialog, kWebLinkLabel, WM_SETFONT, reinterpret_cast<WPARAM>(state.link), FALSE);
    SetDlgItemTextW(dialog, kDescriptionLabel, Wide(kDescription));
    SetDlgItemTextW(dialog, kWebLinkLabel, Wide(kMakerName));

    const Rect copyright = PlaceOf(dialog, kCopyrightLabel);
    const Rect link = PlaceOf(dialog, kWebLinkLabel);
    const LoadedDialog loaded = LoadDialog(state.platform, copyright);
    SetWindowPos(GetDlgItem(dialog, kWebLinkLabel), nullptr, static_cast<int>(loaded.linkLeft), static_cast<int>(link.top),
                 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(GetDlgItem(dialog, loaded.richPicture ? kIcon256Picture : kIconPicture), SW_SHOW);
    SetWindowTextW(dialog, Wide(loaded.caption));
    SetDlgItemTextW(dialog, kVersionLabel, Wide(loaded.version));
    SetDlgItemTextW(dialog, kTitleLabel, Wide(loaded.title));
}

COLORREF ColourOf(SystemColour colour) {
    switch (colour) {
    case SystemColour::White: return RGB(255, 255, 255);
    case SystemColour::ButtonFace: return GetSysColor(COLOR_BTNFACE);
    case SystemColour::ButtonShadow: return GetSysColor(COLOR_BTNSHADOW);
    case SystemColour::Highlight3D: return GetSysColor(COLOR_3DHILIGHT);
    }
    return 0;
}

void PaintBackground(HWND dialog, HDC dc) {
    RECT client;
    GetClientRect(dialog, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    PaintLayout layout{static_cast<double>(client.right), PlaceOf(dialog, kActiveXLabel), PlaceOf(dialog, kVersionLabel),
                       PlaceOf(dialog, kDescriptionLabel), PlaceOf(dialog, kDisclaimerLabel), PlaceOf(dialog, kIconPicture),
                       PlaceOf(dialog, kIcon256Picture), PlaceOf(dialog, IDOK)};
    for (const PaintStep &step : PaintSteps(layout)) {
        const RECT area{static_cast<LONG>(step.x1), static_cast<LONG>(step.y1), static_cast<LONG>(step.x2),
                        static_cast<LONG>(step.y2)};
        if (step.kind == PaintStep::Fill) {
            HBRUSH brush = CreateSolidBrush(ColourOf(step.colour));
            FillRect(dc, &area, brush);
            DeleteObject(brush);
            continue;
        }
        HPEN pen = CreatePen(PS_SOLID, 1, ColourOf(step.colour));
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, area.left, area.top, nullptr);
        LineTo(dc, area.right, area.bottom);
        SelectObject(dc, old);
        DeleteObject(pen);
    }
}

// Labels above the band's edge stand on white, the rest on the button face.
HBRUSH ColourLabel(HWND dialog, HDC dc, HWND label, const DialogState &state) {
    const int id = GetDlgCtrlID(label);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, id == kTitleLabel ? kDarkBlue : id == kBetaLabel ? kRed
                   : id == kWebLinkLabel ? (state.underlined ? kLightBlue : kDarkBlue) : RGB(0, 0, 0));
    const Rect activeX = PlaceOf(dialog, kActiveXLabel), version = PlaceOf(dialog, kVersionLabel);
    const bool onWhite = PlaceOf(dialog, id).top < MiddleOfGap(activeX.top, activeX.height, version.top);
    return onWhite ? static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)) : GetSysColorBrush(COLOR_BTNFACE);
}

void PointerOverWindow(HWND dialog, HWND window, DialogState &state) {
    const bool overLink = window == GetDlgItem(dialog, kWebLinkLabel);
    const bool underlined = LinkUnderlined(state.underlined, overLink ? PointerOver::Link : PointerOver::Elsewhere);
    if (underlined == state.underlined) return;
    state.underlined = underlined;
    SendDlgItemMessageW(dialog, kWebLinkLabel, WM_SETFONT,
                        reinterpret_cast<WPARAM>(underlined ? state.linkHover : state.link), TRUE);
}

INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    auto *state = reinterpret_cast<DialogState *>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        state = reinterpret_cast<DialogState *>(l);
        SetWindowLongPtrW(dialog, DWLP_USER, l);
        try {
            Load(dialog, *state);
        } catch (...) {
            state->failure = std::current_exception();
            EndDialog(dialog, IDCANCEL);
        }
        return TRUE;
    case WM_ERASEBKGND:
        PaintBackground(dialog, reinterpret_cast<HDC>(w));
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(ColourLabel(dialog, reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l), *state));
    case WM_SETCURSOR:
        if (state == nullptr) return FALSE;
        PointerOverWindow(dialog, reinterpret_cast<HWND>(w), *state);
        if (reinterpret_cast<HWND>(w) != GetDlgItem(dialog, kWebLinkLabel)) return FALSE;
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(w)) {
        case IDOK:
        case IDCANCEL: EndDialog(dialog, IDOK); return TRUE;
        case kSysInfoButton: StartSysInfo(state->platform); return TRUE;
        case kWebLinkLabel:
            if (HIWORD(w) == STN_CLICKED) state->platform.OpenWithShell(kMakerAddress);
            return TRUE;
        default: return FALSE;
        }
    default: return FALSE;
    }
}

}  // namespace

void ShowAboutBox() {
    DialogState state;
    const INT_PTR result =
        DialogBoxParamW(OwnModule(), MAKEINTRESOURCEW(kAboutDialog), nullptr, Procedure, reinterpret_cast<LPARAM>(&state));
    if (state.failure) std::rethrow_exception(state.failure);
    if (result == -1) runtime::Raise(kCannotLoad, u"The About box cannot be shown.");
}

}  // namespace corvane::about
