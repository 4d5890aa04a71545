#pragma once
// The test class apart from its raw-string expectations, which moc cannot read.

#include <QObject>

class TestFileReports : public QObject {
    Q_OBJECT
private slots:
    void typesJson();
    void typesText();
    void searches();
    void folderAndTypeFiles();
    void overview();
};
