// The dialog frame's header, Cancel button and line; the About box; the Overview details.

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "dialogs/about_dlg.h"
#include "dialogs/analyzer_dialog.h"
#include "dialogs/colors.h"
#include "dialogs/control_id.h"
#include "dialogs/overview_dlg.h"
#include "support/overview_figures.h"
#include "support/probes.h"

using namespace dovrane;
using dialogs::COverviewDlg;
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
    void headerCancelAndLine() {
        for (const bool withCancel : {true, false}) {
            const test::Case name(withCancel ? "with Cancel" : "without");
            TitledDialog dialog(QStringLiteral("File List"), withCancel);
            dialog.resize(240, 320);
            dialog.show();
            const auto* header = GetDlgItem<QLabel>(&dialog, dialogs::kIdHeader);
            QCOMPARE(header->text(), QStringLiteral("File List"));
            QCOMPARE(header->geometry(), QRect(4, 5, 166, 17));  // clipped at x = 170
            // Bold 8.5 points: weight 600, not 700.
            QCOMPARE(std::tuple(header->font().family(), int(header->font().weight()),
                                header->font().pixelSize()),
                     std::tuple(QStringLiteral("Tahoma"), 600, 11));
            QCOMPARE(header->palette().color(QPalette::WindowText), dialogs::kBlue);
            // The line under the header across the whole width, white below it.
            const QImage image = dialog.grab().toImage();
            for (const int x : {0, 200, 239})
                QCOMPARE((QList{test::PixelAt(image, {x, 23}), test::PixelAt(image, {x, 24})}),
                         (QList<QRgb>{0, 0xFFFFFF}));
            auto* cancel = GetDlgItem<QPushButton>(&dialog, dialogs::kIdCancel);
            if (!withCancel) {
                QVERIFY(!cancel);
                continue;
            }
            QCOMPARE(cancel->geometry(), QRect(190, 2, 48, 20));  // x 190 to 238, y 2 to 22
            QTest::mouseClick(cancel, Qt::LeftButton);
            QVERIFY(dialog.result() == QDialog::Rejected && !dialog.isVisible());
        }
    }

    void aboutBox() {
        dialogs::CAboutDlg about;
        about.show();
        // Text, and whether large: 14 points bold in blue, else the dialog's Tahoma 9.
        const std::tuple<int, const char*, bool> rows[] = {
            {dialogs::kIdAboutName, "Dovrane Storage Analyzer", true},
            {dialogs::kIdAboutPlatform, "for Pocket PC", true},
            {dialogs::kIdAboutVersion, "Version 2.0", false}};
        int previousBottom = 0;
        for (const auto& [id, text, large] : rows) {
            const auto* label = GetDlgItem<QLabel>(&about, id);
            QCOMPARE(label->text(), QString::fromLatin1(text));
            QVERIFY(label->geometry().top() >= previousBottom);  // rows in template order
            previousBottom = label->geometry().bottom();
            QCOMPARE(std::tuple(label->font().pixelSize(), int(label->font().weight()),
                                label->palette().color(QPalette::WindowText) == dialogs::kBlue),
                     large ? std::tuple(18, 600, true) : std::tuple(12, 400, false));
        }
        QCOMPARE(about.findChildren<QPushButton*>(), QList<QPushButton*>{about.okButton()});
    }

    // The Overview details: its ten figures, the card it shows, its colours.
    void overviewValues() {
        const QStringList memory{"24.00 MB", "8.00 MB",  "6.00 MB", "2.00 MB",
                                 "16.00 MB", "12.00 MB", "4.00 MB"};
        // With cards, the card chosen, the values in the order of the template's rows.
        for (const auto& [cards, card, values] :
             {std::tuple(false, -1, memory + QStringList{"", "", ""}),
              {true, 1, memory + QStringList{"0.95 MB", "0.48 MB", "0.48 MB"}},
              {true, -1, memory + QStringList{"4.00 MB", "1.00 MB", "3.00 MB"}}}) {  // the first
            const test::Case name(QStringLiteral("cards %1, card %2").arg(cards).arg(card));
            platform::TestDevice device;
            test::SetupOverview(device, cards);
            COverviewDlg dialog(device);
            dialog.m_nCard = card;
            dialog.show();
            QCOMPARE(dialog.header()->text(), QStringLiteral("Overview"));
            QStringList got, blueBold;
            for (const COverviewDlg::Row& row : COverviewDlg::Rows()) {
                got.append(dialogs::GetDlgItem<QLabel>(&dialog, row.valueId)->text());
                const auto* label = dialogs::GetDlgItem<QLabel>(&dialog, row.labelId);
                if (label->palette().color(QPalette::WindowText) == dialogs::kBlue &&
                    label->font().weight() == QFont::DemiBold)
                    blueBold.append(label->text());
            }
            QCOMPARE(got, values);
            QCOMPARE(blueBold, (QStringList{"Total Main Memory:", "Total Storage Memory:",
                                            "Total Program Memory:", "Total Storage Card Size:"}));
        }
    }
};

QTEST_MAIN(TestAnalyzerDialog)
#include "tst_analyzer_dialog.moc"
