#include "app/VersionCheck.h"


void VersionCheck::ReadRange(const CTString& attributeText)
{
    min.Clear();
    max.Clear();
    hasRange = false;
    // The first two runs of non-blank characters.
    CTString parts[2];
    const wchar_t* p = attributeText.GetBuffer() ? attributeText.GetBuffer() : L"";
    for (CTString& part : parts) {
        while (*p == L' ')
            ++p;
        while (*p && *p != L' ')
            part.AppendChar(*p++);
    }
    if (parts[0].IsEmpty())
        return;
    hasRange = true;
    min.Parse(parts[0]);
    if (parts[1].IsEmpty())
        max = min;
    else
        max.Parse(parts[1]);
}

VersionCheck::Outcome VersionCheck::Judge(const FileVersionNumber& own) const
{
    // A server that names no range does not lock every console out.
    if (!hasRange)
        return Current;
    if (own.IsLess(min) || own.IsGreater(max))
        return own.IsGreater(min) ? PreviousRequired : UpgradeRequired;
    if (own.IsLess(max))
        return UpdateAvailable;
    return Current;
}

namespace {

void AppendVersion(CTString& out, const FileVersionNumber& version)
{
    CTString text;
    text.Format(L"%d.%d.%d.%d", version.major, version.minor, version.build, version.revision);
    out.Append(text);
}

} // namespace

void VersionCheck::BuildMessage(Outcome outcome, const FileVersionNumber& own, const FileVersionNumber& max,
                                CTString& text, CTString& caption, UINT& type)
{
    text.Empty();
    caption.Empty();
    type = 0;
    switch (outcome) {
    case UpgradeRequired:
    case PreviousRequired:
        caption.AssignText(L"Incompatible Version");
        type = MB_OKCANCEL | MB_ICONWARNING;
        text.AssignText(outcome == UpgradeRequired ? L"Upgrade console version required\r\n\r\n"
                                                   : L"Previous console version required\r\n\r\n");
        text.AppendText(L"This version: \t");
        AppendVersion(text, own);
        text.AppendText(L"\r\nRequired version: \t");
        AppendVersion(text, max);
        text.AppendText(L"\r\n\r\nDownload Now?");
        break;
    case UpdateAvailable:
        caption.AssignText(L"Update Available");
        type = MB_OKCANCEL | MB_ICONINFORMATION;
        text.AssignText(L"Console update available for download\r\n\r\nThis version: \t");
        AppendVersion(text, own);
        text.AppendText(L"\r\nUpdate version: \t");
        AppendVersion(text, max);
        text.AppendText(L"\r\n\r\n");
        break;
    default:
        break;
    }
}
