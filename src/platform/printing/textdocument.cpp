#include "textdocument.h"

namespace printing {

namespace {

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

} // namespace

QString TextDocument::Text() const {
    qsizetype length = 0;
    for (const TextPiece& p : pieces_)
        length += p.text.size();
    QString text;
    text.reserve(length);
    for (const TextPiece& p : pieces_)
        text += p.text;
    return text;
}

void TextDocument::setText(const QString& text) {
    pieces_.clear();
    SelText(text);
}

void TextDocument::SelText(const QString& text) {
    if (text.isEmpty())
        return;
    pieces_.push_back({text, CharFormat{SelFontName, SelFontSize, SelBold, SelCharOffset,
                                        SelFitToLine, SelKeepWithPrevious}});
}

int TextDocument::Find(const QString& text, int start, int options) const {
    if (text.isEmpty())
        return -1;
    const QString all = Text();
    const Qt::CaseSensitivity cs =
        (options & rtfMatchCase) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (qsizetype at = all.indexOf(text, qMax(start, 0), cs); at >= 0;
         at = all.indexOf(text, at + 1, cs)) {
        if (!(options & rtfWholeWord))
            return int(at);
        const qsizetype end = at + text.size();
        const bool before = at > 0 && isWordChar(all[at - 1]);
        const bool after = end < all.size() && isWordChar(all[end]);
        if (!before && !after)
            return int(at);
    }
    return -1;
}

int TextDocument::GetLineFromChar(int position) const {
    int line = 0;
    int at = 0;
    QChar previous;
    for (const TextPiece& p : pieces_) {
        for (QChar c : p.text) {
            if (at++ >= position)
                return line;
            // "\r\n" is one break; a lone CR or LF is one too.
            if (c == u'\r' || (c == u'\n' && previous != u'\r'))
                ++line;
            previous = c;
        }
    }
    return line;
}

} // namespace printing
