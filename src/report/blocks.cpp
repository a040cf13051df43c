#include "blocks.h"

#include "document.h"
#include "frmprinter.h"

#include "entry/modulestate.h"
#include "platform/runtime/datetime.h"
#include "platform/runtime/text.h"

namespace report {

namespace {

const QString crlf = QStringLiteral("\r\n");

QString spaces(qsizetype count) {
    return QString(qMax<qsizetype>(count, 0), u' ');
}

// Centres a heading on 80 characters; halves go to the even neighbour. A
// heading longer than the line gets no indent.
QString centred(const QString& heading) {
    const double indent = vrt::roundHalfEven((80 - heading.size()) / 2.0);
    return spaces(qsizetype(indent)) + heading;
}

// A name cut to its field keeps a blank before the label after it.
QString nameField(const QString& name, int16_t width) {
    if (vrt::Trim(name).size() >= width)
        return Fix_Width(name, int16_t(width - 1)) + u' ';
    return Fix_Width(name, width);
}

} // namespace

void Add_ReportTitle() {
    const entry::ModuleState& s = entry::state();
    const vrt::Date now = vrt::Now();
    // The heading lines end with the run date and time: rather condensed than
    // broken.
    printing::TextDocument& rtb = frmPrinter::instance().rtbDummy;
    rtb.SelFitToLine = true;
    Add_Text(centred(s.HospitalCompany) + crlf, 9);
    Add_Text(centred(s.HospitalTitle), 9);
    Add_Text(spaces(2) + QStringLiteral("RUNDATE : "), 9);
    Add_Text(spaces(2) + vrt::shortDate(now) + crlf, 9);
    Add_Text(centred(s.HospitalAddress), 9);
    Add_Text(spaces(14) + QStringLiteral("RUNTIME : "), 9);
    Add_Text(spaces(2) + vrt::longTime(now) + crlf, 9);
    Add_Text(Fix_Width(s.SectionName, 20), 11);
    Add_Text(spaces(8) + QStringLiteral("CLINICAL LABORATORY REPORT") + crlf, 11);
    rtb.SelFitToLine = false;
}

void Add_CorrectedHeading() {
    // Centred under "CLINICAL LABORATORY REPORT" (column 28, 26 characters).
    Add_Text(spaces(33) + QStringLiteral("CORRECTED REPORT") + crlf, 11);
}

void Add_PatientHeader() {
    const entry::ModuleState& s = entry::state();
    Add_Text(QStringLiteral("Name      : ") + nameField(s.PatName, 40), 9);
    Add_Text(QStringLiteral("Admission # : ") + s.IDNum, 9);
    Add_Text(spaces(2) + QStringLiteral("Age: ") + s.Age, 9);
    Add_Text(spaces(2) + QStringLiteral("Sex: ") + Fix_Width(s.Sex, 1) + crlf, 9);
    Add_Text(QStringLiteral("Hosp. No. : ") + Fix_Width(s.HospNum, 10), 9);
    Add_Text(spaces(30) + QStringLiteral("Room No. : ") + s.RoomID, 9);
    Add_Text(spaces(9) + QStringLiteral("Status: ") + s.CivilStatus + crlf, 9);
    Add_Text(QStringLiteral("Physician : ") + s.DoctorName + crlf, 9);
    Add_Text(crlf, 9);
}

void Add_Signatories() {
    const printing::TextDocument& rtb = frmPrinter::instance().rtbDummy;
    const int found = rtb.Find(QString(QChar(0x00A8)), 0, printing::rtfWholeWord);
    if (found < 0)
        return;
    const int line = rtb.GetLineFromChar(found);
    // Short results sign on the first half of the sheet, longer ones at its foot.
    const int padding = line < 34 ? 34 - line : 68 - line;
    for (int i = 0; i < padding; ++i)
        Add_Text(crlf, 9);
    const entry::ModuleState& s = entry::state();
    // The signatures never stand on a page of their own.
    printing::TextDocument& document = frmPrinter::instance().rtbDummy;
    document.SelKeepWithPrevious = true;
    Add_Text(Fix_Width(s.EmployeeName, 50) + s.Pathologist + crlf, 9);
    Add_Text(Fix_Width(QStringLiteral("-------------------------------------"), 50) +
                 QStringLiteral("------------------------------------") + crlf,
             9);
    Add_Text(Fix_Width(QStringLiteral("        MEDICAL TECHNOLOGIST         "), 50) +
                 QStringLiteral("             PATHOLOGIST            ") + crlf,
             9);
    document.SelKeepWithPrevious = false;
}

} // namespace report
