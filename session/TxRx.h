#pragma once
// Keyed bag of typed values that travels between threads and callbacks; each derived class is
// told apart by a fixed 16-byte class id.
#include <windows.h>
#include <map>
#include "foundation/CTString.h"
#include "foundation/CTByteArray.h"
#include "foundation/CDataString.h"

class CAttribute;

// An unsigned 32-bit integer or a text.
class TxRxKey {
public:
    enum Kind : BYTE { Empty = 0, Integer = 1, Text = 2 };

    TxRxKey() = default;
    TxRxKey(unsigned value) : m_kind(Integer), m_int(value) {}
    TxRxKey(int value) : m_kind(Integer), m_int(static_cast<unsigned>(value)) {}
    TxRxKey(const CTString& text) : m_kind(Text), m_text(text) {}
    TxRxKey(const wchar_t* text) : m_kind(Text), m_text(text) {}

    // Empty first, then integers by unsigned value, then texts by lstrcmpW.
    bool operator<(const TxRxKey& other) const;

    BYTE m_kind = Empty;
    unsigned m_int = 0;
    CTString m_text;
};

// One entry: a kind and its payload in the tagged field format.
class TxRxValue {
public:
    enum Kind : int { None = 0, Bytes = 3, Attribute = 4, String = 5, Int64 = 6 };

    TxRxValue() = default;
    TxRxValue(const TxRxValue& other);
    TxRxValue& operator=(const TxRxValue& other);

    unsigned AsInt() const;
    CTString AsText() const;

    int m_kind = None;
    mutable CDataString m_data;   // reading moves its read offset
};

class TxRx {
public:
    TxRx() = default;
    // A copy is a bag of the class being built holding copies of every entry.
    TxRx(const TxRx& other);
    TxRx& operator=(const TxRx& other) { return Assign(other); }
    virtual ~TxRx() = default;

    virtual TxRx& Assign(const TxRx& other);
    virtual void AcceptTypeId(const GUID& id) { (void)id; }
    virtual GUID GetTypeId() const { return GUID{}; }
    virtual void Clear() { m_map.clear(); }
    virtual void Remove(const TxRxKey& key) { m_map.erase(key); }
    virtual bool Has(const TxRxKey& key) const { return m_map.count(key) != 0; }

    TxRxValue& At(const TxRxKey& key) { return m_map[key]; }
    TxRxValue GetValue(const TxRxKey& key) { return m_map[key]; }

    void SetBytes(const TxRxKey& key, const CTByteArray& bytes);
    void SetText(const TxRxKey& key, const CTString& text);
    void SetAttribute(const TxRxKey& key, const CAttribute& value);
    void SetInt64(const TxRxKey& key, unsigned __int64 value);
    // Exchanges the entry's payload buffer with bytes: moves a body in or out without copying.
    void SwapBytes(const TxRxKey& key, CTByteArray& bytes);

    bool GetBytes(const TxRxKey& key, CTByteArray& out);
    bool GetInt(const TxRxKey& key, unsigned& out);
    bool GetInt64(const TxRxKey& key, __int64& out);

    std::map<TxRxKey, TxRxValue> m_map;
};

// The bag record and the route record in a CDataString (see TxRx.cpp for the layouts).
CDataString& WriteTxRx(CDataString& stream, const TxRx& bag);
CDataString& ReadTxRx(CDataString& stream, TxRx& bag);
