#pragma once
// The test class apart from its raw-string expectations, which moc cannot read.

#include <QObject>

class TestGrowthReport : public QObject {
    Q_OBJECT
private slots:
    void init();
    void textAndJson();
    void byTypeBelowAPath();
    void sinceWithoutSnapshots_data();
    void sinceWithoutSnapshots();
};
