#pragma once

#include "platform/printing/printer.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace reportengine {

// Value types of parameter fields; the two date kinds take dates only.
enum ValueType : int16_t {
    vtNumber = 2,
    vtBoolean = 3,
    vtText = 4,
    vtDate = 10,
    vtDateTime = 16,
};

// Errors of the engine, raised as run-time errors.
constexpr int32_t errFileNotFound = 53;
constexpr int32_t errDefinition = 31001;
constexpr int32_t errMissingValue = 31002;
constexpr int32_t errUnknownField = 31003;
constexpr int32_t errDatabase = 31004;

struct TableDefinition {
    QString name;
    QString location; // database.owner.table
    QString orderBy;  // the column that gives the rows their order
    QString server;
    QString database;
    QString user;
    QString password;
};

struct ParameterDefinition {
    QString name;
    int16_t valueType = vtText;
};

enum class Align { Left, Center, Right };

// One statement of a band: a line of text made from a template, or blank
// lines. "{Name}" stands for a parameter, a column of the detail row or
// CompanyName; "{Name:40}", "{Name:^40}", "{Name:>40}" put it in a field of
// 40 characters, left, centred or right.
struct LineDefinition {
    bool blank = false;
    int count = 1; // blank lines
    QString text;
    printing::CharFormat format;
    Align align = Align::Left;
    int indent = 0; // characters
    int sourceLine = 0;
};

// A report definition (.RPT): page, tables, parameter fields and the bands:
// the header at the top of every page, the detail once per row of the first
// table, the footer at the bottom of the last page, and, optional, the page
// footer at the bottom of every page of a report that takes more than one
// (where {PageNumber} and {PageCount} stand for "n" and "m").
struct ReportDefinition {
    QString path;
    QString name;
    printing::PageSetup page;
    printing::CharFormat font;
    std::vector<TableDefinition> tables;
    std::vector<ParameterDefinition> parameters;
    std::vector<LineDefinition> header;
    std::vector<LineDefinition> detail;
    std::vector<LineDefinition> footer;
    std::vector<LineDefinition> pageFooter;
};

// Whether a band line prints the field (a parameter, column or other value).
bool printsField(const ReportDefinition& d, const QString& name);

// Raises errDefinition with the file and line of the first fault.
ReportDefinition parseDefinition(const QString& text, const QString& path);
// Raises errFileNotFound when the file cannot be read.
ReportDefinition readDefinition(const QString& path);

} // namespace reportengine
