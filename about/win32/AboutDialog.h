#pragma once
// The About box as a Windows dialog: loaded afresh and shown modally with no
// owner on every call, returning when it is closed. An error raised while it
// loads reaches the caller as runtime::AutomationError.
#include <windows.h>

namespace corvane::about {

// Control identifiers of the dialog resource (automation/win32/CorvaneMP3.rc).
enum AboutControl : int {
    kAboutDialog = 200,
    kTitleLabel = 201,
    kActiveXLabel,
    kVersionLabel,
    kBetaLabel,
    kDescriptionLabel,
    kDisclaimerLabel,
    kCopyrightLabel,
    kCopyright2Label,
    kWebLinkLabel,
    kIconPicture,
    kIcon256Picture,
    kSysInfoButton,
};

void ShowAboutBox();

}  // namespace corvane::about
