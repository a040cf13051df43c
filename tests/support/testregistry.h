#pragma once

#include <QTemporaryDir>

// Points the class registration at a registry file of the test's own, so
// tests never touch the user's registration.
class TestRegistry {
public:
    TestRegistry();
    ~TestRegistry();
    QString path() const;

private:
    QTemporaryDir dir_;
    QByteArray previous_;
    bool hadPrevious_;
};

// The path of the library under test (libvantrel.so beside the test).
QString vantrelLibraryPath();
