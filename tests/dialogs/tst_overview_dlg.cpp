// The Overview details: its ten figures, the card it shows, its colours.

#include <QLabel>
#include <QTest>

#include "dialogs/colors.h"
#include "dialogs/control_id.h"
#include "dialogs/overview_dlg.h"
#include "support/overview_figures.h"
#include "support/probes.h"

using namespace dovrane;
using dialogs::COverviewDlg;

class TestOverviewDlg : public QObject {
    Q_OBJECT

private slots:
    void values() {
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

QTEST_MAIN(TestOverviewDlg)
#include "tst_overview_dlg.moc"
