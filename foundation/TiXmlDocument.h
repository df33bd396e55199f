#pragma once
#include "foundation/TiXmlComment.h"
#include "foundation/TiXmlDeclaration.h"
#include "foundation/TiXmlElement.h"
#include "foundation/TiXmlNode.h"
#include "foundation/TiXmlText.h"
#include "foundation/TiXmlUnknown.h"

// The root of a tree: its children, the file name (value) and the error state of the last parse.
class TiXmlDocument : public TiXmlNode {
public:
    TiXmlDocument() : TiXmlNode(DOCUMENT) {}
    TiXmlDocument(const TiXmlDocument& other);
    TiXmlDocument& operator=(const TiXmlDocument& other) { Assign(other); return *this; }

    // Reads text into the tree (appending to what is there); the error state tells the outcome.
    const wchar_t* Parse(const wchar_t* text, TiXmlLocationTracker* start, int encoding) override;
    void PrintToString(TiXmlString& out, int depth) const override;
    TiXmlNode* Clone() const override;

    // Copies value, user data and the error state, then appends clones of all children.
    void CopyTo(TiXmlDocument* target) const;
    // Replaces the children with copies of other's.
    void Assign(const TiXmlDocument& other);

    // Reads a UTF-8 file (with or without a byte-order mark) and parses it; true when it parsed
    // without error. A missing file records error 2; an empty file returns false with no error.
    bool LoadFile(const wchar_t* path);
    // Writes the document as UTF-8 with a byte-order mark and CR LF line ends.
    bool SaveFile(const wchar_t* path) const;

    bool Error() const { return error; }
    int ErrorId() const { return errorId; }
    const wchar_t* ErrorDesc() const { return errorDesc.c_str(); }
    int ErrorRow() const { return errorLocation.row; }
    int ErrorCol() const { return errorLocation.col; }
    int TabSize() const { return tabSize; }
    void SetTabSize(int size) { tabSize = size; }

    void ClearError();
    // Records the first error of a parse; later ones are ignored. With a position and a tracker
    // the error location becomes that position's row and column.
    void SetError(int id, const wchar_t* position, TiXmlLocationTracker* tracker, int encoding);
    static const wchar_t* ErrorText(int id);

    bool error = false;
    int errorId = 0;
    TiXmlString errorDesc;
    int tabSize = 4;
    TiXmlLocation errorLocation{0, 0};

protected:
    void Write(TiXmlWriter& w, int depth) const override;
};
