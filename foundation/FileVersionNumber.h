#pragma once
#include "foundation/CTString.h"

// A four-part version number: major.minor.build.revision, compared as unsigned, major first.
struct FileVersionNumber {
    unsigned major = 0;
    unsigned minor = 0;
    unsigned build = 0;
    unsigned revision = 0;

    FileVersionNumber() = default;
    FileVersionNumber(unsigned maj, unsigned min, unsigned bld, unsigned rev)
        : major(maj), minor(min), build(bld), revision(rev) {}
    explicit FileVersionNumber(const CTString& text) { Parse(text); }

    // "4.1.51.3"; missing or empty parts read as 0. An empty text changes nothing.
    void Parse(const CTString& text);
    void Format(CTString& out) const;
    bool Equals(const FileVersionNumber& other) const;
    bool IsLess(const FileVersionNumber& other) const;
    bool IsGreater(const FileVersionNumber& other) const;
    bool IsGreaterOrEqual(const FileVersionNumber& other) const;
    bool IsAtLeast(unsigned maj, unsigned min, unsigned bld, unsigned rev) const;
    void Clear();

private:
    int CompareWith(const FileVersionNumber& other) const;
};
