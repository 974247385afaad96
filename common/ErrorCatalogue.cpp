#include "common/ErrorCatalogue.h"

#include "runtime/AutomationError.h"

namespace corvane::common {

namespace {

struct CatalogueEntry {
    int32_t number;
    const char16_t *message;
};

constexpr CatalogueEntry kCatalogue[] = {
    {52, u"Bad file name or number."},
    {53, u"Can't find specified file. (File not found)"},
    {55, u"File already open."},
    {57, u"Device I/O error."},
    {68, u"Device unavailable or disk not ready."},
    {75, u"Path/File access error."},
    {76, u"Path not found."},
    {30073, u"File already exists in playlist."},
    {30074, u"Can't access file. File may be locked by another application."},
    {30075, u"File is not a recognized audio file format."},
    {30076, u"Audio device is already open."},
    {30077, u"A valid playlist file name must be selected in order to load or save it."},
    {30078, u"There are no playlist entries matching .."},
    {30098, u"There is no audio driver in this system."},
    {30099, u"Unable to allocate sound memory."},
    {30100, u"Audio device is synchronous."},
    {30101, u"No audio devices present."},
    {30102, u"Unknown media error."},
    {30103, u"Unknown genre."},
    {30104, u"Insufficient memory available."},
};

}  // namespace

Text GetErrorDescription(const int32_t &number) {
    for (const auto &entry : kCatalogue)
        if (entry.number == number) return entry.message;
    return u"Unknown error.";
}

void RaiseCatalogued(int32_t number) { runtime::Raise(number, GetErrorDescription(number), kCatalogueSource); }

}  // namespace corvane::common
