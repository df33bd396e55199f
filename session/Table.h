#pragma once
// A reply that the server sends as columns and rows instead of objects (the allowed-child list of
// the structure form). Cells are matched to columns by position and named by their elements.
#include "foundation/CAttributes.h"
#include "foundation/CLinkedList.h"
#include "foundation/CTString.h"
#include "framework/CWMFormData.h"

class TiXmlNode;

class Table : public CWindowManager::CWMFormData {
public:
    class Column : public CLinkedListObject {
    public:
        CTString name;
        int numeric = 0;    // 1: the cells are integers
        int len = 0;
        int flags = 0;
        int readOnly = 0;
    };

    class Row : public CLinkedListObject {
    public:
        __int64 value = 0;
        BYTE flag = 0;
        CAttributes cells;
    };

    Table() = default;
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;
    ~Table() override;

    // Replaces the content with the reply's "result" columns and rows.
    void ReadFromXml(const CTString& tableName, TiXmlNode* reply);
    // The cell of the row at that position named like the column at that position.
    bool GetCell(int row, int column, CAttribute& out);

    CLinkedList rows;
    CLinkedList columns;
    CTString name;
    int count = 0;
    CTString text;
};
