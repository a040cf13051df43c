#pragma once

// The laboratory application's side: its own connection to the laboratory
// database, its log book, and the hand-over of one request to the
// result-entry component through the component's dispatch interface.

#include "platform/ado/connection.h"
#include "platform/com/createobject.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

struct PendingRequest {
    QString requestNum;
    QString transDate;
    QString patient;
    QString section;
    QString exams;
    bool verified = false;
};

class Laboratory {
public:
    explicit Laboratory(const QString& connectionString);

    std::vector<PendingRequest> requests(bool all);
    // Writes the request's properties and exams into a new data-entry object
    // and calls Show_ResultEntry; returns HasSaved.
    bool enterResults(const QString& requestNum);

    ado::Connection& connection() { return *connection_; }

private:
    std::shared_ptr<ado::Connection> connection_;
};
