#pragma once
// The test class apart from its raw-string expectations, which moc cannot read.

#include <QObject>

class TestReports : public QObject {
    Q_OBJECT
private slots:
    void foldersJson();
    void namesThatAreNotUtf8();
    void unreadableFolders();
    void foldersText();
    void types();
    void searchesAndFileLists();
    void overview();
    void streamedListings();
    void chunkedListings_data();
    void chunkedListings();
    void init();
    void growthTextAndJson();
    void growthByTypeBelowAPath();
    void sinceWithoutSnapshots();
};
