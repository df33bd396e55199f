#pragma once
// Whether this console's version suits the server: the system settings object's
// "qelconsole_version" holds the lowest supported version and the current one, separated by a
// blank. The check decides which message (if any) the user sees after sign-in.
#include <windows.h>
#include "foundation/CTString.h"
#include "foundation/FileVersionNumber.h"

struct VersionCheck {
    enum Outcome {
        Current,            // no message
        UpdateAvailable,    // "Update Available": a newer console may be downloaded
        UpgradeRequired,    // "Incompatible Version": this console is too old
        PreviousRequired,   // "Incompatible Version": this console is newer than the server allows
    };

    FileVersionNumber min;
    FileVersionNumber max;
    bool hasRange = false;   // false when the attribute is missing or empty: every version passes

    // Reads "MIN MAX" (MAX defaults to MIN); an empty text gives no range.
    void ReadRange(const CTString& attributeText);
    Outcome Judge(const FileVersionNumber& own) const;

    // The box for an outcome other than Current: text, caption and MB_* type.
    static void BuildMessage(Outcome outcome, const FileVersionNumber& own, const FileVersionNumber& max,
                             CTString& text, CTString& caption, UINT& type);
};
