#pragma once
// How a control's saved properties travel: the core reads and writes a
// runtime property bag, which here is either the container's IPropertyBag or
// a stream holding the bag's text form (a 32-bit length, then the text in
// UTF-8), and the conversions of the control's extent between the
// container's units (HIMETRIC) and the core's (twips).
#include <windows.h>
#include <ocidl.h>

#include <functional>

#include "runtime/PropertyBag.h"

namespace corvane::automation {

// The container's property bag as the core sees it: a value the bag lacks,
// or cannot give, reads as its default; a value equal to its default is not
// written.
class ContainerPropertyBag : public runtime::PropertyBag {
public:
    ContainerPropertyBag(IPropertyBag &bag, IErrorLog *log) : bag_(bag), log_(log) {}
    runtime::Variant ReadProperty(const runtime::Text &name, const runtime::Variant &defaultValue) override;
    void WriteProperty(const runtime::Text &name, const runtime::Variant &value,
                       const runtime::Variant &defaultValue) override;

private:
    IPropertyBag &bag_;
    IErrorLog *log_;
};

// Runs `read` over the bag a stream holds; E_FAIL for a stream that ends
// early or holds no bag.
HRESULT LoadFromStream(IStream *stream, const std::function<void(runtime::PropertyBag &)> &read);
// Runs `write` on a fresh bag and saves it to the stream.
HRESULT SaveToStream(IStream *stream, const std::function<void(runtime::PropertyBag &)> &write);
// The size SaveToStream would write.
ULONG SavedSize(const std::function<void(runtime::PropertyBag &)> &write);

int32_t HimetricToTwips(LONG himetric);
LONG TwipsToHimetric(int32_t twips);

// A child window of `parent` that paints through `paint(dc)`; its class is
// registered once in the server's module.
HWND CreateControlWindow(HWND parent, const RECT &position, std::function<void(HDC)> *paint);

}  // namespace corvane::automation
