#pragma once
#include <windows.h>
#include "foundation/CTString.h"

// The system's typed value: one 64-bit number or one text, tagged with a type code that says how the
// number is read and shown, and always carrying its display text. Setting a value regenerates the text
// from the number (UpdateText); comparisons follow the type.
//
// Derived value types override these virtual operations, so their order is fixed: destructor, SetText,
// Set, SetValue, Assign, IsEqual, IsNotEqual, IsGreater, IsLess.
class CAttribute {
public:
    enum Type : int {
        Text = 0,
        Integer = 1,
        Date = 2,               // Unix time, UTC calendar day
        Percentage = 3,         // number, or "NNN%Label" text
        Integer2 = 4,
        IPv4 = 5,               // low 32 bits, most significant byte first
        ByteSize = 6,
        Text2 = 7,
        DurationSeconds = 8,
        Tenths = 9,
        DateTime = 10,          // Unix time, local, no seconds
        LocalTimeOfDay = 11,    // Unix time, local
        DurationMinutes = 12,
        Thousandths = 13,
        Currency = 14,          // thousandths of the unit
        Version = 15,           // four 16-bit parts
        TimeOfDay = 16,         // seconds on a UTC clock
        DateTimeSeconds = 17,   // Unix time, local, with seconds
        DateTimeNumber = 18,    // type-17 text, a blank and the number
    };

    CAttribute() = default;                       // type 1, value 0, empty text
    explicit CAttribute(unsigned __int64 value);  // type 1 with its text
    explicit CAttribute(const CTString& text);    // type 0
    CAttribute(int type, __int64 value);
    CAttribute(int type, const CTString& text);
    CAttribute(int type, const wchar_t* text);
    CAttribute(const CAttribute& other);
    CAttribute& operator=(const CAttribute& other) { return Assign(other); }
    virtual ~CAttribute() = default;

    // The setters store their arguments and regenerate the text; each returns true.
    virtual bool SetText(int type, const CTString& text);
    virtual bool Set(int type, __int64 value, const CTString& text);
    virtual bool SetValue(int type, __int64 value);
    // Copies type, text and value unchanged.
    virtual CAttribute& Assign(const CAttribute& other);
    virtual bool IsEqual(const CAttribute& other) const;
    virtual bool IsNotEqual(const CAttribute& other) const;
    // Text types compare their texts (lstrcmpW); every other type compares the stored values as
    // unsigned 64-bit numbers, whatever the other's type.
    virtual bool IsGreater(const CAttribute& other) const;
    virtual bool IsLess(const CAttribute& other) const;

    void UpdateText();
    // The value of the first item of an edit-spec text ("KEY=value|KEY=value") whose key equals key
    // ignoring case, as a text; the empty integer value when no item has that key.
    static CAttribute ConstructFromSpec(const CTString& spec, const CTString& key);
    static bool IsTextType(int type) { return type == Text || type == Text2; }

    int GetType() const { return m_type; }
    // 0 for the text types.
    __int64 GetValue() const { return IsTextType(m_type) ? 0 : m_value; }
    int GetValue32() const { return static_cast<int>(GetValue()); }
    bool HasValue() const { return !IsTextType(m_type) && m_value != 0; }
    bool IsEmpty() const;
    const wchar_t* GetText() const { return m_text.GetBuffer() ? m_text.GetBuffer() : L""; }
    unsigned GetTextLength() const { return m_text.GetLength(); }
    const CTString& GetString() const { return m_text; }
    void Clear();

    int m_type = Integer;
    CTString m_text;
    __int64 m_value = 0;   // kept for the text types too, where only the comparisons see it
};
