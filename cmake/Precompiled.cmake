# Qt's headers are most of what every source file compiles: each library parses them once,
# into a precompiled header, instead of once a file (a third of the build's time). Only
# what a layer may use goes in: Qt Core below the charts, Qt Widgets from the charts up.
set(dovrane_core_headers <QByteArray> <QDateTime> <QDir> <QFile> <QFileInfo> <QHash> <QList>
    <QObject> <QString> <QStringList> <algorithm> <atomic> <functional> <memory> <optional>
    <string> <string_view> <vector>)
set(dovrane_widget_headers ${dovrane_core_headers} <QApplication> <QDialog> <QFont> <QImage>
    <QKeyEvent> <QLabel> <QMenu> <QMouseEvent> <QPainter> <QPushButton> <QScrollBar> <QWidget>)

function(dovrane_precompile target kind)
    target_precompile_headers(${target} PRIVATE ${dovrane_${kind}_headers})
endfunction()
