#pragma once

#include "definition.h"

#include "platform/runtime/variant.h"

#include <QString>
#include <memory>

namespace ado {
class Connection;
}
#include <vector>

namespace reportengine {

// A table the report reads, where it is found and how to log on to it.
class DatabaseTable : public vrt::Object {
public:
    explicit DatabaseTable(TableDefinition definition) : d_(std::move(definition)) {}

    QString Name() const { return d_.name; }
    // "database.owner.table".
    QString Location() const { return d_.location; }
    void setLocation(const QString& location) { d_.location = location; }

    // An empty server name means the application's default data source; the
    // database becomes the current database of the connection.
    void SetLogOnInfo(const QString& serverName, const QString& databaseName = {},
                      const QString& userID = {}, const QString& password = {});
    QString LogOnServerName() const { return d_.server; }
    QString LogOnDatabaseName() const { return d_.database; }
    QString LogOnUserID() const { return d_.user; }

    const TableDefinition& definition() const { return d_; }

private:
    TableDefinition d_;
};

class ParameterField : public vrt::Object {
public:
    explicit ParameterField(ParameterDefinition definition) : d_(std::move(definition)) {}

    QString Name() const { return d_.name; }
    int16_t ValueType() const { return d_.valueType; }

    // The value must suit the value type: a date for the date kinds, a
    // number for vtNumber; 13 (type mismatch) otherwise.
    void SetCurrentValue(const vrt::Variant& value);
    vrt::Variant CurrentValue() const { return value_; }
    bool HasCurrentValue() const { return hasValue_; }

private:
    ParameterDefinition d_;
    vrt::Variant value_;
    bool hasValue_ = false;
};

// An open report definition: its tables and parameter fields can be set
// before it prints.
class Report : public vrt::Object {
public:
    // A table without a server of its own is read through connection while
    // that is open, else through a connection to defaultDataSource.
    Report(ReportDefinition definition, QString defaultDataSource,
           std::weak_ptr<ado::Connection> connection = {});

    QString FileName() const { return d_.path; }
    const std::vector<std::shared_ptr<DatabaseTable>>& Tables() const { return tables_; }
    const std::vector<std::shared_ptr<ParameterField>>& ParameterFields() const {
        return parameters_;
    }

    // The company the report is printed for: the print job's creator, and
    // {CompanyName} in the bands.
    QString CompanyName() const { return companyName_; }
    void setCompanyName(const QString& name) { companyName_ = name; }
    // A value the bands may print as {name} besides the parameter fields
    // (whom the report is about, for instance); a parameter of that name
    // comes first.
    void setFieldValue(const QString& name, const QString& value) {
        fieldValues_.emplace_back(name, value);
    }

    // While on, a parameter field without a value stops the print
    // (errMissingValue), since this engine has no way to ask for one; off, it
    // prints as empty text.
    bool PromptForMissingValues() const { return promptForMissingValues_; }
    void setPromptForMissingValues(bool on) { promptForMissingValues_ = on; }

    // Reads the tables and prints on the default printer; with promptUser
    // the print dialog comes first.
    void PrintOut(bool promptUser = true);

    const ReportDefinition& definition() const { return d_; }

private:
    ReportDefinition d_;
    QString defaultDataSource_;
    std::weak_ptr<ado::Connection> connection_;
    std::vector<std::shared_ptr<DatabaseTable>> tables_;
    std::vector<std::shared_ptr<ParameterField>> parameters_;
    QString companyName_;
    std::vector<std::pair<QString, QString>> fieldValues_;
    bool promptForMissingValues_ = true;
};

} // namespace reportengine
