#include "automation/win32/ControlPersistence.h"

#include <string>

#include "automation/win32/ComSupport.h"

namespace corvane::automation {

namespace {

constexpr ULONG kLargestSavedBag = 1 << 20;

// Reads exactly `size` bytes; false when the stream ends first.
bool ReadExactly(IStream *stream, void *into, ULONG size) {
    ULONG read = 0;
    return SUCCEEDED(stream->Read(into, size, &read)) && read == size;
}

bool WriteExactly(IStream *stream, const void *from, ULONG size) {
    ULONG written = 0;
    return SUCCEEDED(stream->Write(from, size, &written)) && written == size;
}

std::string SavedText(const std::function<void(runtime::PropertyBag &)> &write) {
    runtime::MemoryPropertyBag bag;
    write(bag);
    return bag.ToText();
}

LRESULT CALLBACK ControlWindowProcedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto *create = reinterpret_cast<CREATESTRUCTW *>(l);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    if (message == WM_PAINT) {
        auto *paint = reinterpret_cast<std::function<void(HDC)> *>(GetWindowLongPtrW(window, GWLP_USERDATA));
        PAINTSTRUCT painting;
        HDC dc = BeginPaint(window, &painting);
        if (paint && *paint) (*paint)(dc);
        EndPaint(window, &painting);
        return 0;
    }
    return DefWindowProcW(window, message, w, l);
}

}  // namespace

runtime::Variant ContainerPropertyBag::ReadProperty(const runtime::Text &name, const runtime::Variant &defaultValue) {
    VARIANT value;
    VariantInit(&value);
    const std::wstring key(name.begin(), name.end());
    if (FAILED(bag_.Read(key.c_str(), &value, log_))) return defaultValue;
    runtime::Variant result = defaultValue;
    try {
        result = FromVariant(value);
    } catch (...) {
    }
    VariantClear(&value);
    return result.IsEmpty() || result.IsMissing() ? defaultValue : result;
}

void ContainerPropertyBag::WriteProperty(const runtime::Text &name, const runtime::Variant &value,
                                         const runtime::Variant &defaultValue) {
    if (value == defaultValue) return;
    VARIANT saved;
    ToVariant(value, &saved);
    const std::wstring key(name.begin(), name.end());
    const HRESULT status = bag_.Write(key.c_str(), &saved);
    VariantClear(&saved);
    if (FAILED(status)) runtime::Raise(75, u"Path/File access error");
}

HRESULT LoadFromStream(IStream *stream, const std::function<void(runtime::PropertyBag &)> &read) {
    if (stream == nullptr) return E_POINTER;
    ULONG length = 0;
    if (!ReadExactly(stream, &length, sizeof length) || length > kLargestSavedBag) return E_FAIL;
    std::string text(length, '\0');
    if (!ReadExactly(stream, text.data(), length)) return E_FAIL;
    try {
        runtime::MemoryPropertyBag bag = runtime::MemoryPropertyBag::FromText(text);
        read(bag);
    } catch (...) {
        return E_FAIL;
    }
    return S_OK;
}

HRESULT SaveToStream(IStream *stream, const std::function<void(runtime::PropertyBag &)> &write) {
    if (stream == nullptr) return E_POINTER;
    const std::string text = SavedText(write);
    const ULONG length = static_cast<ULONG>(text.size());
    return WriteExactly(stream, &length, sizeof length) && WriteExactly(stream, text.data(), length)
               ? S_OK : STG_E_CANTSAVE;
}

ULONG SavedSize(const std::function<void(runtime::PropertyBag &)> &write) {
    return static_cast<ULONG>(sizeof(ULONG) + SavedText(write).size());
}

// One twip is 1/1440 inch, one HIMETRIC unit 1/2540 inch.
int32_t HimetricToTwips(LONG himetric) { return MulDiv(himetric, 1440, 2540); }
LONG TwipsToHimetric(int32_t twips) { return MulDiv(twips, 2540, 1440); }

HWND CreateControlWindow(HWND parent, const RECT &position, std::function<void(HDC)> *paint) {
    static const ATOM windowClass = [] {
        WNDCLASSEXW description{};
        description.cbSize = sizeof description;
        description.lpfnWndProc = ControlWindowProcedure;
        description.hInstance = ServerModule();
        description.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        description.lpszClassName = L"CorvaneMP3.Control";
        return RegisterClassExW(&description);
    }();
    if (windowClass == 0) return nullptr;
    return CreateWindowExW(0, MAKEINTATOM(windowClass), L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                           position.left, position.top, position.right - position.left,
                           position.bottom - position.top, parent, nullptr, ServerModule(), paint);
}

}  // namespace corvane::automation
