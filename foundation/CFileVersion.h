#pragma once
#include <windows.h>
#include "foundation/CTString.h"
#include "foundation/FileVersionNumber.h"

// The version resource of a module file: the fixed version numbers and a few string values,
// in the translation that best fits the user's language. Missing information leaves fields empty.
class CFileVersion {
public:
    explicit CFileVersion(const wchar_t* modulePath);
    virtual ~CFileVersion() = default;

    bool Read(const wchar_t* modulePath);
    bool HasFixedInfo() const { return m_hasFixedInfo; }

    // VerQueryValueW of prefix + name, else of the name in "\StringFileInfo\040904E4\".
    // A found value is assigned to out; answers whether out is non-empty.
    static bool QueryText(const void* block, const wchar_t* prefix, const wchar_t* name, CTString& out);

    // Index of the (language, code page) pair that best fits the user's language: the same
    // language, the same primary language, neutral, English; else the first. 0 for none.
    static unsigned PickTranslation(const WORD* pairs, unsigned count, LANGID userLanguage);

    FileVersionNumber fileVersion;
    FileVersionNumber productVersion;
    CTString productName;
    CTString productVersionText;
    CTString companyName;
    CTString fileDescription;
    CTString componentName;
    int componentId = 0;
    CTString modulePath;

private:
    bool m_hasFixedInfo = false;
};
