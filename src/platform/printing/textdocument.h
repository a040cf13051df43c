#pragma once

#include <QString>
#include <vector>

namespace printing {

// Character formatting of one piece of text.
struct CharFormat {
    QString fontName = QStringLiteral("Courier New");
    double pointSize = 9;
    bool bold = false;
    // Raise above the baseline in twips (negative lowers it).
    int charOffset = 0;
    // A line holding such a piece prints condensed when it is a little too
    // wide, instead of wrapping (a heading that ends with the run time).
    bool fitToLine = false;
    // A line holding such a piece never starts a page: it goes to the next
    // page with the three printed lines before it (a signature block).
    bool keepWithPrevious = false;

    friend bool operator==(const CharFormat&, const CharFormat&) = default;
};

struct TextPiece {
    QString text;
    CharFormat format;
};

// Options of TextDocument::Find, combined by adding them.
enum FindOptions : int { rtfWholeWord = 2, rtfMatchCase = 4 };

// A rich-text document that is composed at its end: text goes in at the
// insertion point, in the insertion point's formatting, as one piece. Line
// breaks are part of the text ("\r\n").
class TextDocument {
public:
    // Formatting of the insertion point; text inserted next takes it.
    QString SelFontName = QStringLiteral("Courier New");
    double SelFontSize = 9;
    bool SelBold = false;
    int SelCharOffset = 0;
    bool SelFitToLine = false;
    bool SelKeepWithPrevious = false;

    QString Text() const;
    // Replaces the whole content by one piece in the insertion point's
    // formatting; the empty string empties the document.
    void setText(const QString& text);

    // Inserts text at the insertion point, which stays at the end.
    void SelText(const QString& text);

    // Position of the first match at or after start, -1 when there is none.
    // A whole word has no letter, digit or underscore on either side.
    int Find(const QString& text, int start = 0, int options = 0) const;
    // Zero-based line of the character at a position.
    int GetLineFromChar(int position) const;

    const std::vector<TextPiece>& pieces() const { return pieces_; }

private:
    std::vector<TextPiece> pieces_;
};

} // namespace printing
