// The dialog frame's header, Cancel button and line; point fonts; the About box.

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "charts/point_font.h"
#include "dialogs/about_dlg.h"
#include "dialogs/analyzer_dialog.h"
#include "dialogs/colors.h"
#include "dialogs/control_id.h"

using namespace dovrane;
using dialogs::GetDlgItem;

namespace {

// A dialog of the frame with a title and, when asked, a Cancel button somewhere else.
class TitledDialog : public dialogs::CAnalyzerDialog {
public:
    TitledDialog(const QString& title, bool withCancel) : CAnalyzerDialog(150) {
        m_strTitle = title;
        if (withCancel)
            CreateCancelButton()->setGeometry(10, 100, 60, 20);
    }
};

}  // namespace

class TestAnalyzerDialog : public QObject {
    Q_OBJECT

private slots:
    void headerAndCancelAtTheDevicesWidth() {
        TitledDialog dialog(QStringLiteral("File List"), true);
        dialog.resize(240, 320);
        dialog.show();
        const QLabel* header = dialog.header();
        QVERIFY(header);
        QCOMPARE(header, GetDlgItem<QLabel>(&dialog, dialogs::kIdHeader));
        QCOMPARE(header->text(), QStringLiteral("File List"));
        QCOMPARE(header->geometry(), QRect(4, 5, 166, 17));  // clipped at x = 170
        QCOMPARE(header->font().weight(), QFont::DemiBold);
        QCOMPARE(header->font().pixelSize(), 11);
        QCOMPARE(header->palette().color(QPalette::WindowText), dialogs::kBlue);
        const auto* cancel = GetDlgItem<QPushButton>(&dialog, dialogs::kIdCancel);
        QCOMPARE(cancel->geometry(), QRect(190, 2, 48, 20));  // x 190 to 238, y 2 to 22
        QCOMPARE(cancel->palette().color(QPalette::ButtonText), dialogs::kBlue);

        dialog.resize(320, 320);  // the layout follows the width
        QCOMPARE(header->geometry(), QRect(4, 5, 246, 17));
        QCOMPARE(cancel->geometry(), QRect(270, 2, 48, 20));
    }

    void cancelRejects() {
        TitledDialog dialog(QStringLiteral("Preferences"), true);
        dialog.show();
        QTest::mouseClick(GetDlgItem<QPushButton>(&dialog, dialogs::kIdCancel), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
    }

    void withoutCancelKeepsHeaderAndLine() {
        TitledDialog dialog(QStringLiteral("Overview"), false);
        dialog.resize(240, 320);
        dialog.show();
        QVERIFY(!GetDlgItem(&dialog, dialogs::kIdCancel));
        QVERIFY(dialog.header());
        QCOMPARE(dialog.header()->geometry(), QRect(4, 5, 166, 17));
        const QImage image = dialog.grab().toImage();
        for (const int x : {0, 200, 239}) {
            QCOMPARE(image.pixelColor(x, 23), QColor(Qt::black));
            QCOMPARE(image.pixelColor(x, 24), QColor(Qt::white));
        }
        QCOMPARE(image.pixelColor(200, 10), QColor(Qt::white));  // nothing right of the header
    }

    void pointFontHeight_data() {
        QTest::addColumn<double>("points");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("height");
        QTest::newRow("8.5 at 96") << 8.5 << 96 << -11;
        QTest::newRow("9 at 96") << 9.0 << 96 << -12;
        QTest::newRow("14 at 96") << 14.0 << 96 << -18;
        QTest::newRow("8.5 at 120") << 8.5 << 120 << -14;  // 85 * 120 / 72 = 141, / 10 = 14
        QTest::newRow("9 at 192") << 9.0 << 192 << -24;
        QTest::newRow("8.5 at 72") << 8.5 << 72 << -8;  // truncated, not rounded
    }

    void pointFontHeight() {
        QFETCH(double, points);
        QFETCH(int, dpi);
        QFETCH(int, height);
        QCOMPARE(charts::PointFontHeight(points, dpi), height);
    }

    void pointFontOnTheScreen() {
        QCOMPARE(QGuiApplication::primaryScreen()->logicalDotsPerInchY(), 96.0);
        const QFont bold = charts::CreatePointFont(QStringLiteral("Tahoma"), 8.5, true);
        QCOMPARE(bold.pixelSize(), 11);
        QCOMPARE(bold.weight(), QFont::DemiBold);  // 600, not 700
        const QFont plain = charts::CreatePointFont(QStringLiteral("Tahoma"), 9);
        QCOMPARE(plain.pixelSize(), 12);
        QCOMPARE(plain.weight(), QFont::Normal);
        QCOMPARE(plain.family(), QStringLiteral("Tahoma"));
    }

    void aboutBox() {
        dialogs::CAboutDlg about;
        about.show();
        const struct {
            int id;
            const char* text;
            bool large;
        } rows[] = {{dialogs::kIdAboutName, "Dovrane Storage Analyzer", true},
                    {dialogs::kIdAboutPlatform, "for Pocket PC", true},
                    {dialogs::kIdAboutVersion, "Version 2.0", false}};
        int previousBottom = 0;
        for (const auto& row : rows) {
            const auto* label = GetDlgItem<QLabel>(&about, row.id);
            QVERIFY(label);
            QCOMPARE(label->text(), QString::fromLatin1(row.text));
            QVERIFY(label->alignment() & Qt::AlignHCenter);
            QVERIFY(label->geometry().top() >= previousBottom);  // rows in template order
            previousBottom = label->geometry().bottom();
            if (row.large) {
                QCOMPARE(label->font().pixelSize(), 18);  // 14 points
                QCOMPARE(label->font().weight(), QFont::DemiBold);
                QCOMPARE(label->palette().color(QPalette::WindowText), dialogs::kBlue);
            } else {
                QCOMPARE(label->font().pixelSize(), 12);  // the dialog's Tahoma 9
                QVERIFY(label->palette().color(QPalette::WindowText) != dialogs::kBlue);
            }
        }
        QVERIFY(GetDlgItem<QLabel>(&about, dialogs::kIdAboutIcon));
        QCOMPARE(about.findChildren<QPushButton*>(), QList<QPushButton*>{about.okButton()});
        QTest::mouseClick(about.okButton(), Qt::LeftButton);
        QCOMPARE(about.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestAnalyzerDialog)
#include "tst_analyzer_dialog.moc"
