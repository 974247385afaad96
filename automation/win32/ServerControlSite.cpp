#include "automation/win32/ServerControlSite.h"

#include <olectl.h>

#include <vector>

#include "runtime/BitmapResource.h"

namespace corvane::automation {

namespace {

constexpr int32_t kTwipsPerInch = 1440;

int32_t TwipsPerPixel(int axis) {
    HDC screen = GetDC(nullptr);
    const int dotsPerInch = screen ? GetDeviceCaps(screen, axis) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dotsPerInch > 0 ? kTwipsPerInch / dotsPerInch : 15;
}

}  // namespace

ServerControlSite::ServerControlSite(std::shared_ptr<runtime::MessageLoop> loop)
    : NativeControlSite(*loop), loop_(std::move(loop)) {}

ServerControlSite::~ServerControlSite() { SetClientSite(nullptr); }

void ServerControlSite::SetClientSite(IOleClientSite *site) {
    if (site) site->AddRef();
    if (clientSite_) clientSite_->Release();
    clientSite_ = site;
}

void ServerControlSite::BeginDrawing(HDC dc, POINT origin) {
    drawTarget_ = dc;
    origin_ = origin;
}

void ServerControlSite::EndDrawing() { drawTarget_ = nullptr; }

void ServerControlSite::RaiseEvent(int32_t dispatchId, const runtime::Text &name) {
    NativeControlSite::RaiseEvent(dispatchId, name);
    if (onEvent_) onEvent_(dispatchId);
}

void ServerControlSite::PropertyChanged(const runtime::Text &) {
    dirty_ = true;
    if (onPropertyChanged_) onPropertyChanged_();
}

// The ambient user mode, asked of the container each time; a control with no
// container, or one that does not say, is running in a program.
bool ServerControlSite::UserMode() const {
    IDispatch *ambient = nullptr;
    if (clientSite_ == nullptr ||
        FAILED(clientSite_->QueryInterface(IID_IDispatch, reinterpret_cast<void **>(&ambient))))
        return true;
    VARIANT result;
    VariantInit(&result);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    const HRESULT status = ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, LOCALE_USER_DEFAULT,
                                           DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr);
    ambient->Release();
    const bool userMode = FAILED(status) || FAILED(VariantChangeType(&result, &result, 0, VT_BOOL)) ||
                          V_BOOL(&result) != VARIANT_FALSE;
    VariantClear(&result);
    return userMode;
}

int32_t ServerControlSite::TwipsPerPixelX() const { return TwipsPerPixel(LOGPIXELSX); }
int32_t ServerControlSite::TwipsPerPixelY() const { return TwipsPerPixel(LOGPIXELSY); }

// The bitmap as an 8-bit top-down device-independent bitmap with its palette.
void ServerControlSite::DrawBitmap(const runtime::Bitmap &bitmap, int32_t x, int32_t y) {
    if (drawTarget_ == nullptr || bitmap.width <= 0 || bitmap.height <= 0) return;
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[16];
    } info{};
    info.header = {sizeof(BITMAPINFOHEADER), bitmap.width, -bitmap.height, 1, 8, BI_RGB, 0, 0, 0, 16, 0};
    for (size_t i = 0; i < 16; ++i) {
        const uint32_t rgb = bitmap.palette[i];
        info.colours[i] = {static_cast<BYTE>(rgb), static_cast<BYTE>(rgb >> 8), static_cast<BYTE>(rgb >> 16), 0};
    }
    const int stride = (bitmap.width + 3) & ~3;
    std::vector<BYTE> rows(static_cast<size_t>(stride) * bitmap.height);
    for (int row = 0; row < bitmap.height; ++row)
        for (int column = 0; column < bitmap.width; ++column)
            rows[static_cast<size_t>(row * stride + column)] = bitmap.pixels[static_cast<size_t>(row * bitmap.width + column)];
    StretchDIBits(drawTarget_, origin_.x + x, origin_.y + y, bitmap.width, bitmap.height, 0, 0, bitmap.width,
                  bitmap.height, rows.data(), reinterpret_cast<BITMAPINFO *>(&info), DIB_RGB_COLORS, SRCCOPY);
}

std::shared_ptr<runtime::MessageLoop> ServerControlSite::ThreadLoop() {
    // Kept until the thread ends: a control released from inside one of the
    // loop's own tasks must not take the loop with it.
    thread_local std::shared_ptr<runtime::MessageLoop> current;
    if (!current) current = std::make_shared<runtime::MessageLoop>();
    return current;
}

}  // namespace corvane::automation
