#pragma once
// What GUI tests read back: message boxes and beeps (recorded, never shown), list rows, pixels.

#include <QAbstractItemModel>
#include <QImage>
#include <QStringList>
#include <QTest>

#include "platform/message_box.h"

namespace dovrane::test {

// Every box's text, in order; Yes/No boxes get `answer`, others OK.
struct RecordedBoxes {
    explicit RecordedBoxes(platform::MessageBoxResult answer = platform::MessageBoxResult::Yes)
        : hook([this, answer](const platform::MessageBoxRequest& r) {
              texts << r.text;
              return r.buttons == platform::MessageBoxButtons::YesNo
                         ? answer
                         : platform::MessageBoxResult::Ok;
          }) {}
    ~RecordedBoxes() { platform::SetBeepHook(previousBeep); }
    QStringList texts;
    int beeps = 0;
    platform::ScopedMessageBoxHook hook;
    platform::BeepHook previousBeep = platform::SetBeepHook([this] { ++beeps; });
};

// Names the case of a table looped over when a check in the loop's body fails.
struct Case {
    explicit Case(QString what) : name(std::move(what)) {}
    ~Case() {
        if (QTest::currentTestFailed())
            qWarning("in case: %s", qPrintable(name));
    }
    QString name;
};

// The texts of `column`, or with -1 each row's cells joined by '|', top to bottom.
inline QStringList Rows(const QAbstractItemModel* model, int column = -1) {
    QStringList out;
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model->columnCount(); ++c)
            if (column < 0 || c == column)
                cells << model->index(r, c).data().toString();
        out << cells.join(u'|');
    }
    return out;
}

// The colour at a point given in device-independent pixels, without alpha.
inline QRgb PixelAt(const QImage& image, QPoint p) {
    const qreal r = image.devicePixelRatio();
    return image.pixel(qRound(p.x() * r), qRound(p.y() * r)) & 0xFFFFFF;
}

// Whether any pixel of `image` has `color` (alpha ignored).
inline bool Shows(const QImage& image, QRgb color) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == color)
                return true;
    return false;
}

}  // namespace dovrane::test
