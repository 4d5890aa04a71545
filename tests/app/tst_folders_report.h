#pragma once
// The test class apart from its raw-string expectations, which moc cannot read.

#include <QObject>

class TestFoldersReport : public QObject {
    Q_OBJECT
private slots:
    void jsonIsExact();
    void namesThatAreNotUtf8();
    void textRowsAligned();
    void emptyFolderGetsEqualSlices();
};
