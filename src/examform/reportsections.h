#pragma once

#include "platform/printing/textdocument.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace examform {

// The value slots of one run of Save_Entries; not cleared between exams.
struct Slots {
    double A1 = 0, A2 = 0, A4 = 0, C1 = 0, C2 = 0, G3 = 0, G4 = 0;
    QString A3, A5, B1, B2, B3, B4, E1, E2, H[6], F1, G1, G2, G5, K1, K2;
    // The exam's normal value was a text: its result is A5, its normal value G1.
    bool NormalText = false;
    // The exam's elements as the entry screen gave them (element k at k): the
    // report shows ranges and flags as the screen shows them.
    QStringList Typed;
    // A numeric normal range given with one limit only: the other is not
    // stored (its argument is sent empty) and A1 or A2 holds 0.
    bool A1Missing = false, A2Missing = false;
    // A critical result prints "CRITICAL" beside it, whatever the flags
    // setting, and its notification under it: who was told, then when and
    // by whom, each part starting a line of its own.
    bool Critical = false;
    QStringList NoticeLines;
    // The normal values are the exam's general range (age or sex unknown).
    bool GeneralRange = false;
};

// One exam as its report section sees it.
struct SectionInput {
    int layout = 0;
    int position = 0; // in the exam list
    bool isLast = false;
    QString title; // the exam's title
    // False for an exam left empty: it keeps its place in the framing but
    // prints no line, so an unmeasured value never reads as a 0.
    bool hasResult = true;
    const Slots* values = nullptr;
    const QStringList* promptLines = nullptr;
    const QStringList* resultLines = nullptr;
};

// The result report of one run of Save_Entries, composed exam by exam in the
// report document. Every finished report is kept, so that all of them print
// after the save and none is lost when the next exam clears the document.
class ExamReport {
public:
    void Add_Section(const SectionInput& exam);
    // Profile mode: the profile's exams share one report. The result and
    // the normal value come as typed, so that a text prints as one.
    void Print_NormalProfile(int position, const QString& name, const QString& result,
                             const QString& normal, const Slots& v, bool isLast);
    // Closes a report left open and prints every finished one, in order.
    void printAll();
    int finishedReports() const { return int(finished_.size()); }

private:
    void closeRun();
    void keep();

    bool runOpen_ = false;
    static constexpr int noCaptions = -2; // the profile is layout -1
    int captions_ = noCaptions;           // layout of the captions last written
    std::vector<std::vector<printing::TextPiece>> finished_;
};

} // namespace examform
