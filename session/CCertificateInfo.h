#pragma once
// The server certificate as named values: "SUBJECT", "ISSUER" (texts, one name part per line),
// "STARTS", "EXPIRES" (date-time, Unix seconds), "FLAGS" and "BITNESS" (integers).
#include "foundation/CAttributes.h"
#include "foundation/CLinkedList.h"
#include "session/CSLItem.h"

class CCertificateInfo : public VSLItemBase, public CAttributes, public CLinkedListCompare {
public:
    CCertificateInfo();
    ~CCertificateInfo() override = default;

    // The last line of the named text, without surrounding blanks, quotes, CR or LF.
    CTString GetText(const CTString& name) const;

    // 2: the "ID" values differ; otherwise 0 when the sets without "SERVERID" are equal, else 1.
    int Compare(CLinkedListCompare* key) override;

    // Item layout: the header values; an int32 count; per value: UTF-16 name, UTF-16 text, int64
    // value, int32 type.
    void WriteTo(CSLItem& item) override;
    void ReadFrom(CSLItem& item) override;
};
