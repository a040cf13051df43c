#pragma once

#include "platform/controls/flexgrid.h"
#include "platform/forms/form.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace signoff {

// The medical technologist picker: a searchable list; a pick writes
// MedTechID and the sign-off dialog's technologist box.
class frmListMedTech : public forms::Form {
    Q_OBJECT
public:
    frmListMedTech();

    // The text to search with when the form loads; set before each showing.
    QString SearchText;

    void SearchMed(const QString& search);

    QLabel* lblTitle;
    QLabel* lblSTitle;
    QLabel* lblHospitalName;
    QLineEdit* txtSearchStr;
    QGroupBox* fraDispWinFrame;
    controls::MSHFlexGrid* grdDispWindow;
    QLabel* lblTotalCap;
    QLabel* lblTotal;
    QPushButton* cmdSearch;

protected:
    void Form_Load() override;

private:
    void pick();
};

} // namespace signoff
