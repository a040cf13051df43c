#include "frmListMedTech.h"

#include "entry/modulestate.h"
#include "frmRemarksInput.h"
#include "platform/ado/recordset.h"
#include "platform/forms/errorguard.h"
#include "platform/forms/keys.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace signoff {

frmListMedTech::frmListMedTech() {
    setObjectName(QStringLiteral("frmListMedTech"));
    setWindowTitle(QStringLiteral("Displayer Window"));

    lblTitle = new QLabel(QStringLiteral("Med. Tech."), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont big = lblTitle->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    lblTitle->setFont(big);
    lblSTitle = new QLabel(QStringLiteral("Med. Tech."), this);
    lblSTitle->setObjectName(QStringLiteral("lblSTitle"));
    lblHospitalName = new QLabel(this);
    lblHospitalName->setObjectName(QStringLiteral("lblHospitalName"));
    txtSearchStr = new QLineEdit(this);
    txtSearchStr->setObjectName(QStringLiteral("txtSearchStr"));
    fraDispWinFrame = new QGroupBox(QStringLiteral("Medical Technology Table"), this);
    fraDispWinFrame->setObjectName(QStringLiteral("fraDispWinFrame"));
    grdDispWindow = new controls::MSHFlexGrid(fraDispWinFrame);
    grdDispWindow->setObjectName(QStringLiteral("grdDispWindow"));
    lblTotalCap = new QLabel(QStringLiteral("Total Patients Listed:"), this);
    lblTotalCap->setObjectName(QStringLiteral("lblTotalCap"));
    lblTotal = new QLabel(this);
    lblTotal->setObjectName(QStringLiteral("lblTotal"));
    cmdSearch = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdSearch->setObjectName(QStringLiteral("cmdSearch"));

    auto* heading = new QVBoxLayout;
    heading->addWidget(lblTitle);
    heading->addWidget(lblHospitalName);
    auto* search = new QHBoxLayout;
    search->addWidget(lblSTitle);
    search->addWidget(txtSearchStr, 1);
    auto* frame = new QVBoxLayout(fraDispWinFrame);
    frame->addWidget(grdDispWindow);
    buttonRow()->addWidget(lblTotalCap);
    buttonRow()->addWidget(lblTotal);
    buttonRow()->addStretch();
    buttonRow()->addWidget(cmdSearch);
    auto* layout = new QVBoxLayout(body());
    layout->addLayout(heading);
    layout->addLayout(search);
    layout->addWidget(fraDispWinFrame, 1);
    resize(520, 420);

    forms::onEnter(txtSearchStr, [this] { SearchMed(txtSearchStr->text()); });
    forms::connectGuarded(grdDispWindow, &controls::MSHFlexGrid::Click, this, [this] { pick(); });
    forms::connectGuarded(grdDispWindow, &controls::MSHFlexGrid::enterPressed, this,
                          [this] { pick(); });
    forms::connectGuarded(cmdSearch, &QPushButton::clicked, this, [this] { Unload(); });
}

void frmListMedTech::Form_Load() {
    SearchMed(SearchText);
    lblHospitalName->setText(entry::state().HospitalCompany);
}

void frmListMedTech::SearchMed(const QString& search) {
    grdDispWindow->Clear();
    entry::ModuleState& s = entry::state();
    if (!s.LabConnection)
        vrt::raise(vrt::err::ObjectNotSet);
    ado::Connection& connection = *s.LabConnection;
    connection.setCursorLocation(ado::adUseClient);
    ado::Recordset rs;
    if (search.isEmpty()) {
        rs.Open(QStringLiteral("LABORATORY..sp_listmedtech"), connection, ado::adOpenDynamic,
                ado::adLockReadOnly, -1);
    } else {
        rs.Open(QStringLiteral("LABORATORY..sp_listsearchmedtech 1,'") + ado::quoted(search) +
                    QStringLiteral("'"),
                connection, ado::adOpenDynamic, ado::adLockReadOnly, -1);
        if (rs.State() != ado::adStateOpen || rs.eof()) {
            if (rs.State() == ado::adStateOpen)
                rs.Close();
            return;
        }
    }
    if (rs.State() != ado::adStateOpen)
        return;
    grdDispWindow->setDataSource(rs.columnNames(), rs.rows());
    const int widths[] = {800, 1500, 1500, 1500};
    for (int c = 0; c < 4; ++c)
        grdDispWindow->setColWidth(c, widths[c]);
    rs.Close();
}

void frmListMedTech::pick() {
    // Without a data row there is nothing to pick.
    const int row = grdDispWindow->Row();
    if (row < 1)
        return;
    entry::state().MedTechID = grdDispWindow->TextMatrix(row, 0);
    forms::loaded<frmRemarksInput>().txtMedTech->setText(
        grdDispWindow->TextMatrix(row, 1) + QStringLiteral(", ") +
        grdDispWindow->TextMatrix(row, 2) + QStringLiteral(" ") +
        grdDispWindow->TextMatrix(row, 3));
    Unload();
}

} // namespace signoff
