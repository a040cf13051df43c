#include "entryscreen.h"
#include "screentable.h"

namespace entryscreens {

namespace {

const ScreenTable normalValues{
    .name = "ctlscrnNormalValues",
    .layout = Layout::Rows,
    .upper = 6,
    .columns = {{"Examination", Cell::Title, 6, 0},
                {"Result", Cell::Entry, 3, 12},
                {"Flag", Cell::Flag, 5, 4},
                {"Unit", Cell::Text, 4, 10},
                {"Normal Values", Cell::Range, 1, 20, 2},
                {"Check", Cell::Alarm, 0, 11},
                {"Previous", Cell::Previous, 0, 17}},
    .flag = 5,
    .unit = 4,
    .checks = {{3, 1, 2}},
    .numbers = {.elements = {3}, .range = 1, .textCodes = {"6", "9"}},
    .resultChecks = true,
};

const ScreenTable shortForm{
    .name = "ctlscrnShortForm",
    .heading = "Results",
    .layout = Layout::Blocks,
    .upper = 1,
    .columns = {{"Result", Cell::Memo, 1, 0}},
};

const ScreenTable shortWText{
    .name = "ctlscrnShortWText",
    .heading = "Results",
    .layout = Layout::Blocks,
    .upper = 1,
    .columns = {{"Result", Cell::Memo, 1, 0}},
    .lookup = Lookup::Template,
};

const ScreenTable specific{
    .name = "ctlscrnSpecific",
    .layout = Layout::Lines,
    .upper = 1,
    .columns = {{"Examination", Cell::Title, 0, 0},
                {"Description", Cell::Prompt, 0, 24},
                {"Result", Cell::Entry, 1, 24}},
    .lookup = Lookup::Prompts,
    .lineTwips = 350,
    .headerTwips = 250,
};

const ScreenTable withCutOff{
    .name = "ctlscrnWithCutOff",
    .layout = Layout::Rows,
    .upper = 4,
    .columns = {{"Description", Cell::Title, 1, 0},
                {"Cut-Off Value", Cell::Text, 2, 14},
                {"Patient Value", Cell::Entry, 3, 14},
                {"Result", Cell::Entry, 4, 16}},
};

const ScreenTable specs{
    .name = "ctlscrnSpecs",
    .heading = "Specimen Results",
    .layout = Layout::Blocks,
    .upper = 5,
    .columns = {{"Specimen", Cell::Entry, 1, 0},
                {"Final Result (Y/N)", Cell::YesNo, 5, 0},
                {"Result", Cell::Memo, 2, 0}},
};

const ScreenTable conv1{
    .name = "ctlscrnConv1",
    .layout = Layout::Rows,
    .upper = 10,
    .columns = {{"Examination", Cell::Title, 0, 0},
                {"Result", Cell::Entry, 1, 10},
                {"Flag", Cell::Flag, 7, 4},
                {"Unit", Cell::Text, 5, 8},
                {"Normal Values", Cell::Range, 3, 14, 4},
                {"SI Result", Cell::Converted, 2, 10},
                {"SI Unit", Cell::Text, 10, 8},
                {"SI Normal Values", Cell::Range, 8, 14, 9}},
    .flag = 7,
    .checks = {{1, 3, 4}, {2, 8, 9}},
    .converted = 2,
    .from = 1,
    .factor = 6,
    .numbers = {.elements = {1, 2}},
};

const ScreenTable conv2{
    .name = "ctlscrnConv2",
    .layout = Layout::Rows,
    .upper = 7,
    .columns = {{"Examination", Cell::Title, 0, 0},
                {"Result", Cell::Entry, 1, 10},
                {"Unit", Cell::Text, 7, 8},
                {"Normal Values", Cell::Text, 2, 16},
                {"SI Result", Cell::Entry, 3, 10},
                {"SI Normal Values", Cell::Text, 4, 16}},
    .numbers = {.elements = {1, 3}},
};

const ScreenTable abusedDrugAssay{
    .name = "ctlscrnAbusedDrugAssay",
    .layout = Layout::Rows,
    .upper = 3,
    .columns = {{"Examination", Cell::Title, 0, 0},
                {"Result", Cell::Entry, 3, 14},
                {"Threshold Value", Cell::Text, 1, 16},
                {"Interpretation", Cell::Entry, 2, 18}},
};

const ScreenTable hisoCytology{
    .name = "ctlscrnHisoCytology",
    .heading = "Histopathology / Cytology",
    .layout = Layout::Blocks,
    .upper = 6,
    .columns = {{"Number", Cell::Entry, 1, 0},
                {"Specimen (1)", Cell::Entry, 2, 0},
                {"Specimen (2)", Cell::Entry, 3, 0},
                {"Specimen (3)", Cell::Entry, 4, 0},
                {"Gross and Microscopic Diagnosis", Cell::Memo, 5, 0},
                {"Final Diagnosis", Cell::Memo, 6, 0}},
};

} // namespace

ctlscrnNormalValues::ctlscrnNormalValues(QWidget* parent) : EntryScreen(normalValues, parent) {}
ctlscrnShortForm::ctlscrnShortForm(QWidget* parent) : EntryScreen(shortForm, parent) {}
ctlscrnShortWText::ctlscrnShortWText(QWidget* parent) : EntryScreen(shortWText, parent) {}
ctlscrnSpecific::ctlscrnSpecific(QWidget* parent) : EntryScreen(specific, parent) {}
ctlscrnWithCutOff::ctlscrnWithCutOff(QWidget* parent) : EntryScreen(withCutOff, parent) {}
ctlscrnSpecs::ctlscrnSpecs(QWidget* parent) : EntryScreen(specs, parent) {}
ctlscrnConv1::ctlscrnConv1(QWidget* parent) : EntryScreen(conv1, parent) {}
ctlscrnConv2::ctlscrnConv2(QWidget* parent) : EntryScreen(conv2, parent) {}
ctlscrnAbusedDrugAssay::ctlscrnAbusedDrugAssay(QWidget* parent)
    : EntryScreen(abusedDrugAssay, parent) {}
ctlscrnHisoCytology::ctlscrnHisoCytology(QWidget* parent) : EntryScreen(hisoCytology, parent) {}

EntryScreen* newScreen(int index, QWidget* parent) {
    switch (index) {
    case 0:
        return new ctlscrnNormalValues(parent);
    case 1:
        return new ctlscrnShortForm(parent);
    case 2:
        return new ctlscrnShortWText(parent);
    case 3:
        return new ctlscrnSpecific(parent);
    case 4:
        return new ctlscrnWithCutOff(parent);
    case 5:
        return new ctlscrnSpecs(parent);
    case 6:
        return new ctlscrnConv1(parent);
    case 7:
        return new ctlscrnConv2(parent);
    case 8:
        return new ctlscrnAbusedDrugAssay(parent);
    case 9:
        return new ctlscrnHisoCytology(parent);
    default:
        return nullptr;
    }
}

} // namespace entryscreens
